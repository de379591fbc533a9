// The error collector: the messages of one request and the error page that lists them.
#include "generate/error_collector.h"

#include <algorithm>

#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "generate/exception_status.h"
#include "platform/config.h"
#include "platform/file_io.h"
#include "platform/log.h"
#include "platform/own_strings.h"

namespace {

void ShowError(const std::string& text) {
  ShowMessageBox(HostString(host_message::kProductName), text);
}

constexpr char kPlainErrorPage[] = "<html><body><div/></body></html>";

// The element that takes the messages: "body/div" below the document element.
platform::DomNode ListOf(const platform::DomDocument& page) {
  const platform::DomNode root = page.documentElement();
  return root.isNull() ? platform::DomNode() : root.selectSingleNode("body/div");
}

std::string ErrorPageTemplatePath() {
  const platform::ConfigSetting home(platform::OwnStringText(platform::kHomeKeyStringId));
  return home.Value() + "/errreport.htm";
}

}  // namespace

void ErrorCollector::add(const QuireStatus& status) { addAt(0, status.Message()); }

void ErrorCollector::addAt(std::size_t order, const std::string& message) {
  std::size_t at = messages_.size();
  if (order != 0) {
    // After the last message about the same comment, or else before the first message about a
    // later one: messages about one comment stay together, in the order they came.
    const auto same = std::find(orders_.rbegin(), orders_.rend(), order);
    if (same != orders_.rend()) {
      at = static_cast<std::size_t>(orders_.rend() - same);
    } else {
      const auto later = std::find_if(orders_.begin(), orders_.end(),
                                      [order](std::size_t other) { return other > order; });
      at = static_cast<std::size_t>(later - orders_.begin());
    }
  }
  messages_.insert(messages_.begin() + static_cast<std::ptrdiff_t>(at), message);
  orders_.insert(orders_.begin() + static_cast<std::ptrdiff_t>(at), order);
}

bool ErrorCollector::hasMessageAt(std::size_t order) const {
  return order != 0 && std::find(orders_.begin(), orders_.end(), order) != orders_.end();
}

void ErrorCollector::writeErrorPage(const std::string& outputPath) {
  // The messages reach the log at the default level whether or not the page can be written.
  for (const std::string& message : messages_) {
    platform::Log("Error generating " + name_ + ": " + message, platform::kLogCriticalError);
  }
  if (!page_) page_ = platform::NewDomDocument();
  if (!page_) {
    ShowError(HostString(host_message::kDocumentObjectNotCreated));
    return;
  }
  try {
    // Reloaded for every page, so a second page of the same request does not repeat the first.
    // Without the installation's page, or with one that has no place for the messages, they
    // still reach the user in a plain page.
    platform::DomNode list;
    if (page_->load(ErrorPageTemplatePath())) list = ListOf(*page_);
    if (list.isNull()) {
      page_->loadXML(kPlainErrorPage);
      list = ListOf(*page_);
    }
    platform::DomNode heading = page_->createElement("p");
    heading.setText(HostString(host_message::kErrorsWhileGenerating) + name_);
    list.appendChild(heading);
    for (const std::string& message : messages_) {
      platform::DomNode paragraph = page_->createElement("p");
      paragraph.setText(message);
      list.appendChild(paragraph);
    }
    pageText_ = page_->xml();
    pageBytes_ = page_->encodedXml();
    page_->save(outputPath);
  } catch (...) {
    const std::string reason = CurrentExceptionStatus("").Message();
    platform::Log("Cannot write the error page " + outputPath + ": " + reason,
                  platform::kLogCriticalError);
    ShowError(reason);
  }
}

std::string ErrorCollector::errorPagePath(const std::string& fileName) {
  const std::size_t slash = fileName.find_last_of("/\\");
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return fileName + "ERR";
  }
  return fileName.substr(0, dot) + "ERR" + fileName.substr(dot);
}
