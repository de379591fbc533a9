// TemplateGenerator: turns an annotated template (its commands in QuireQuery elements) into the
// generated page, in place. OPEN binds objects, DISPLAY writes values, MASTER/REPEAT pairs are
// expanded once per object, LIMIT narrows or hides regions. The page-specific writing is left to
// six hooks that a derived generator implements (WebPageGenerator for the portal's pages); three
// more tell when a MASTER's copies may be written out as text instead of built as nodes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "commands/quire_binding.h"
#include "foundation/quire_status.h"
#include "generate/outline_entries.h"
#include "platform/dom/dom_document.h"
#include "platform/dom/dom_node.h"

class ErrorCollector;
class Field;
class ProgressSink;
class Replicator;
struct RepeatStamp;
struct StampGap;

// The three texts a request hands to generatePage.
struct RequestTexts {
  std::string locator;     // the artifact locator, "Domain:Class:name=value,..."
  std::string serverUrl;   // the portal's server address
  std::string templateId;  // the template identifier
};

// What hook 1 needs to place one object's copy of a REPEAT element.
struct RepeatCopyRequest {
  const QuireObject& object;
  const Replicator& replicator;
  platform::DomNode master;     // the MASTER element
  platform::DomNode container;  // the MASTER element, or its table in table mode
  platform::DomNode repeat;     // the REPEAT element (the template of every copy)
  bool kindQ;                   // the REPEAT's command text begins with "Q"
  bool containerHasLinks;       // the container holds LINK elements
  bool tableMode;
};

class TemplateGenerator {
 public:
  // Recursion stops here when "MaxRecursionLevel" sets no limit of its own or a higher one: each
  // level is one more call of the walk, and the walk must fit a Java thread's stack.
  static constexpr int kHardRecursionLimit = 64;

  // `templateDocument` is the annotated template, rewritten in place into the page;
  // `templatePath` is where it was loaded from. `errors` is owned by the caller and must outlive
  // the generator; `progress` may be null. One request, one thread.
  TemplateGenerator(std::shared_ptr<platform::DomDocument> templateDocument,
                    std::string templatePath, ErrorCollector& errors,
                    ProgressSink* progress = nullptr);
  TemplateGenerator(const TemplateGenerator&) = delete;
  TemplateGenerator& operator=(const TemplateGenerator&) = delete;
  virtual ~TemplateGenerator();

  // Generates the page: completes the OPEN commands from the locator, prepares their domains,
  // walks the body and hands back the outline entries (the outline's inner XML, only when the
  // serialised outline is longer than 20 characters). Returns the generator's status; messages
  // for the error page go to the error collector, which holds at least one whenever the status
  // is not OK, and a failure is logged at the critical level. DOM failures end as a status,
  // never a throw.
  QuireStatus generatePage(const std::string& locator, const std::string& serverUrl,
                           const std::string& templateId, std::optional<std::string>& outline);

  // On by default: a MASTER whose copies hold only plain values and inner lists of them has its
  // copies written out as text while the walk goes (see repeat_stamp.h). Off, every copy is built
  // as nodes; the page is the same.
  void setCopiesAsText(bool on) { copiesAsText_ = on; }

  const std::string& templatePath() const { return templatePath_; }
  // The configured "MaxRecursionLevel" up to kHardRecursionLimit; 0 when none is configured.
  int maxRecursionLevel() const { return maxRecursionLevel_; }

 protected:
  // A value put markup of its own into the page (formatted text), which the passes after the
  // walk must look through as well as what the template holds.
  void noteMarkupInserted() { ++markupInsertions_; }
  // Hook 1: builds and places the copy of `request.repeat` for one object and gives it back;
  // the null node when no copy was made (the object is then skipped). The copies of one
  // expansion are built alike: the object decides where its copy goes, not what it holds.
  virtual platform::DomNode expandRepeatCopy(const RepeatCopyRequest& request) = 0;
  // Hook 2: takes a processed command element out of the page.
  virtual void removeCommandElement(const platform::DomNode& element) = 0;
  // Hook 3: a LINK element at `position` among the children of `container` serves the object;
  // the following copies come after it.
  virtual void setCurrentIndex(const platform::DomNode& container, int position) = 0;
  // Hook 4: no current index.
  virtual void resetCurrentIndex() = 0;
  // Hook 5: writes the value of a non-graphic DISPLAY into `element`; false (with the
  // generator's status set) when it cannot.
  virtual bool writeDisplayValue(QuireBindingList& context, const platform::DomNode& element,
                                 const Field& field, const RequestTexts& request) = 0;
  // Hook 6: the same for a graphic DISPLAY.
  virtual bool writeGraphicValue(QuireBindingList& context, const platform::DomNode& element,
                                 const Field& field) = 0;

  // Hook 7: whether expandRepeatCopy places each copy, the clone of the REPEAT and nothing more,
  // right before the REPEAT when no LINK served an object and the REPEAT has no deeper levels:
  // the copies may then be written as text instead. False here; the portal's generator says so.
  virtual bool copiesAreClones() const { return false; }
  // Hook 8: whether writeDisplayValue writes the value of `field` as text alone into the
  // element, whatever the element and its place in the page: what WriteText
  // (generate/value_text.h) writes of the text that plainDisplayText gives. False here.
  virtual bool writesPlainText(const Field& /*field*/) const { return false; }
  // Hook 9: for such a field, the text; false (with the generator's status set) as
  // writeDisplayValue fails.
  virtual bool plainDisplayText(QuireBindingList& /*context*/, const Field& /*field*/,
                                std::string& /*shown*/) {
    return false;
  }

  // Rewrites the template hyperlinks of the body after the OPEN completion. Nothing here; the
  // portal's generator overrides it.
  virtual void rewriteTemplateHyperlinks(const platform::DomNode& body,
                                         const RequestTexts& request);
  // Completes the page after a successful walk (scripts, portal form, outline entries). Nothing
  // here; the portal's generator overrides it. False (with the status set) on failure.
  virtual bool completePage(const RequestTexts& request);

  // Walks the commands of `region` (recursive): see template_generator.cpp.
  bool processCommands(QuireBindingList& context, const platform::DomNode& region, int& boundCount,
                       bool topLevel);

  // The message's host string, with " (" + status text + ")" when a failing status is given and
  // " in " + the failing command's text when one is given, goes to the error collector and the
  // log; the place of the command being processed (its comment label and the text near it)
  // comes first when the template's comments gave it one.
  void report(HostMessageId message, const QuireStatus* status = nullptr,
              const std::string& command = "");
  void setStatus(const QuireStatus& status) { status_ = status; }

  const std::shared_ptr<platform::DomDocument>& templateDocument() const { return document_; }
  // Created by generatePage with "<outline></outline>".
  const std::shared_ptr<platform::DomDocument>& outlineDocument() const { return outline_; }
  // The ids given out for the entries of that outline, made afresh with it.
  OutlineIds& outlineIds() { return outlineIds_; }
  // The "body" below the document element (null when there is none).
  platform::DomNode body() const;

 private:
  // The passes of generatePage; false when generation ended before the walk.
  bool runPasses(std::optional<std::string>& outline);
  // A failed generation: collected when no step did, and logged.
  void endFailed();
  QuireStatus completeOpenCommands(const platform::DomNode& body);
  QuireStatus prepareDomains(const platform::DomNode& body);
  bool walk(const platform::DomNode& body);
  // False (reported, with the status set) when commands nest deeper than kMaxCommandNesting.
  bool checkCommandNesting(const platform::DomNode& body);
  void countMasters(const platform::DomNode& body);

  bool processOpen(QuireBindingList& context, const platform::DomNode& element,
                   const std::string& text, int& boundCount, QuireStatus& stepStatus);
  bool processDisplay(QuireBindingList& context, const platform::DomNode& element,
                      const std::string& text, QuireStatus& stepStatus);
  bool expandMaster(QuireBindingList& context, const platform::DomNode& master,
                    const platform::DomNode& repeat, bool topLevel, QuireStatus& stepStatus);
  bool processLimit(QuireBindingList& context, const platform::DomNode& limit,
                    const std::string& text, int& boundCount, bool topLevel,
                    QuireStatus& stepStatus);
  // The objects that the REPEAT `repeatText` lists for one expansion of its MASTER, and its
  // replicator; null when they cannot be listed (reported, or with the reason in `stepStatus`).
  Replicator* listObjects(QuireBindingList& context, const std::string& repeatText,
                          QuireObjectList& objects, QuireStatus& stepStatus);
  // Adds one copy's estimated size to the page's; false (with the reason in `stepStatus`) when
  // the page grows past its limit.
  bool addCopyBytes(std::uint64_t bytes, const std::string& repeatText, QuireStatus& stepStatus);
  // The copies of `repeat` for `objects`, written as text when a stamp can write them:
  // kNotStamped leaves them to be built as nodes; kDone and kFailed end the expansion as
  // expandMaster ends it. See template_stamping.cpp.
  enum class Stamped { kNotStamped, kDone, kFailed };
  Stamped stampCopies(QuireBindingList& context, const platform::DomNode& repeat,
                      const Replicator& replicator, const QuireObjectList& objects,
                      std::uint64_t copyBytes, bool topLevel, bool tableMode,
                      QuireStatus& stepStatus);
  bool writeStampedCopy(QuireBindingList& context, const RepeatStamp& stamp,
                        platform::RawMarkup& out);
  bool writeStampedValue(QuireBindingList& context, const StampGap& gap, platform::RawMarkup& out,
                         QuireStatus& stepStatus);
  bool writeStampedList(QuireBindingList& context, const StampGap& gap, platform::RawMarkup& out,
                        QuireStatus& stepStatus);
  // Whether a DISPLAY text writes its value as plain text, and a REPEAT text makes copies without
  // deeper levels: what a stamp can write.
  bool isPlainDisplay(const std::string& text);
  bool isFlatRepeat(const std::string& text);
  bool showAndProcess(QuireBindingList& context, const platform::DomNode& region, int& boundCount,
                      bool topLevel);
  void reportProgress(std::size_t index, std::size_t objectCount);
  // The DISPLAY command `text` read once per page: every copy of a repeated region carries the
  // same texts. Null (with the reason in `status`) when the text does not read as a field.
  const Field* fieldOf(const std::string& text, QuireStatus& status);
  // The same for the REPEAT command `text`.
  Replicator* replicatorOf(const std::string& text, QuireStatus& status);

  std::shared_ptr<platform::DomDocument> document_;
  std::shared_ptr<platform::DomDocument> outline_;
  OutlineIds outlineIds_;
  std::string templatePath_;
  RequestTexts request_;
  QuireStatus status_;
  ErrorCollector& errors_;
  ProgressSink* progress_;
  QuireBindingList context_;     // the object context of the current walk
  platform::DomNode reporting_;  // the command element whose failure report() names
  int maxRecursionLevel_ = 0;
  // The limits of one page (platform/work_limits.h) and the page's estimated size so far.
  std::uint64_t maxPageBytes_ = 0;
  std::uint64_t maxRepeatObjects_ = 0;
  std::uint64_t pageBytes_ = 0;
  int masterCount_ = 0;
  int expansions_ = 0;            // MASTER expansions started in this walk
  bool placesForgotten_ = false;  // the comment places are gone from the page
  bool placesLeft_ = false;       // some places are left for a walk of the whole page
  bool copiesAsText_ = true;      // see setCopiesAsText
  bool stampedClean_ = false;     // the copies written as text so far are document text
  bool pageFormatting_ = false;   // the template has date fields or numbered lists
  int markupInsertions_ = 0;      // see noteMarkupInserted; counted over the generator's life
  int mastersDone_ = 0;
  std::unordered_map<std::string, std::unique_ptr<Field>> fields_;            // see fieldOf
  std::unordered_map<std::string, std::unique_ptr<Replicator>> replicators_;  // replicatorOf
  // REPEAT texts whose copies a stamp could not write (with "T" in front when of the page itself,
  // else "N"): an inner list in each copy of a list built as nodes is not tried again.
  std::unordered_set<std::string> unstamped_;
};
