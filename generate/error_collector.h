// ErrorCollector: the messages of one request that could not produce its page, and the error
// page built from the installation's "errreport.htm" that lists them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/dom/dom_document.h"

class QuireStatus;

class ErrorCollector {
 public:
  // `name` is shown after the heading line of the page (the request's file name).
  explicit ErrorCollector(std::string name) : name_(std::move(name)) {}

  void add(const std::string& message) { addAt(0, message); }
  // The status's message text.
  void add(const QuireStatus& status);
  // A message about the template's comment number `order` (1 for the first comment; 0 for none):
  // messages about comments stand in template order among themselves (those about one comment
  // in the order they came), the others where they were added. Each is an entry of its own.
  void addAt(std::size_t order, const std::string& message);
  // Whether a message about comment number `order` (not 0) was added.
  bool hasMessageAt(std::size_t order) const;
  bool empty() const { return messages_.empty(); }
  const std::vector<std::string>& messages() const { return messages_; }

  // Logs every message at the default level, loads "<home>/errreport.htm" (a plain built-in page
  // when it cannot be loaded or has no "body/div"), appends to its "body/div" a heading paragraph
  // (host_message::kErrorsWhileGenerating followed by the name) and one paragraph per message,
  // keeps the serialised page as pageText() (UTF-8) and pageBytes() (in the encoding its
  // declaration names, the bytes of the file) and saves it to `outputPath` (through a temporary
  // file and a rename). Failures are logged and shown in a message box
  // (host_message::kDocumentObjectNotCreated when no document can be made) and never propagate.
  void writeErrorPage(const std::string& outputPath);
  const std::string& pageText() const { return pageText_; }
  const std::string& pageBytes() const { return pageBytes_; }

  // `fileName` with "ERR" before its extension, or appended when it has none.
  static std::string errorPagePath(const std::string& fileName);

 private:
  std::string name_;
  std::vector<std::string> messages_;
  std::vector<std::size_t> orders_;  // the comment each message is about, 0 for none
  std::shared_ptr<platform::DomDocument> page_;
  std::string pageText_;
  std::string pageBytes_;
};
