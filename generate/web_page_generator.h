// WebPageGenerator: the generator of the portal's web pages. Places the copies of repeated
// regions (with their recursive sub-levels), removes processed commands and writes plain values
// into their placeholders.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "generate/template_generator.h"

class WebPageGenerator : public TemplateGenerator {
 public:
  // As TemplateGenerator; the companion folder is derived from `templatePath`.
  WebPageGenerator(std::shared_ptr<platform::DomDocument> templateDocument,
                   std::string templatePath, ErrorCollector& errors,
                   ProgressSink* progress = nullptr);

  // The folder beside the template that holds its pictures: the template's folder, its file name
  // without extension and "_files" (plan.htm in C:\t gives C:\t\plan_files).
  const std::string& companionFolder() const { return companionFolder_; }

  static std::string companionFolderOf(const std::string& templatePath);

  // Appends an entry to the outline that generatePage hands back (see generate/outline_entries.h
  // for its attributes and contexts) and gives its id. Empty texts take the defaults (frame
  // "main", image "#!--!image#"); a URL makes it a "static" entry. Valid during generatePage
  // (the outline exists from its start); before that nothing is appended and the id is empty.
  std::string registerOutlineEntry(const std::string& label, const std::string& artifactId,
                                   const std::string& templ, const std::string& image,
                                   const std::string& url, const std::string& frame);

 protected:
  platform::DomNode expandRepeatCopy(const RepeatCopyRequest& request) override;
  void removeCommandElement(const platform::DomNode& element) override;
  void setCurrentIndex(const platform::DomNode& container, int position) override;
  void resetCurrentIndex() override;
  bool copiesAreClones() const override { return true; }
  bool writesPlainText(const Field& field) const override;
  bool plainDisplayText(QuireBindingList& context, const Field& field, std::string& shown) override;
  bool writeDisplayValue(QuireBindingList& context, const platform::DomNode& element,
                         const Field& field, const RequestTexts& request) override;
  bool writeGraphicValue(QuireBindingList& context, const platform::DomNode& element,
                         const Field& field) override;
  void rewriteTemplateHyperlinks(const platform::DomNode& body,
                                 const RequestTexts& request) override;
  bool completePage(const RequestTexts& request) override;

 private:
  void addSubLevel(const RepeatCopyRequest& request, const platform::DomNode& copy);
  // The value of a DISPLAY's field and the text of its link; false (logged, with the status set)
  // when the value cannot be evaluated.
  bool evaluateDisplay(QuireBindingList& context, const Field& field, std::string& valueText,
                       std::string& linkText);
  // The href (and target) of a URL link, by the link flags; a script URL gets none. With bit 8
  // the URL is registered as a "web:url:dynamic" entry, in frame "new" with bit 32.
  void writeUrlLink(const platform::DomNode& link, const std::string& valueText,
                    const std::string& shown, const std::string& linkText, uint8_t flags);
  // An HTML fragment in place of the element's content, its pictures copied beside the page.
  // False (with the status set) when it does not parse.
  bool writeFormattedText(const platform::DomNode& element, const std::string& html);

  std::string companionFolder_;
  int currentIndex_ = -1;
  platform::DomNode current_;  // the container's child at the current index
  int imageCounter_ = 0;
};
