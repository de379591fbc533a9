#include "generate/error_collector.h"

#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "generate/exception_status.h"
#include "platform/config.h"
#include "platform/file_io.h"
#include "platform/own_strings.h"

namespace {

void ShowError(const std::string& text) {
  ShowMessageBox(HostString(host_message::kProductName), text);
}

std::string ErrorPageTemplatePath() {
  const platform::ConfigSetting home(platform::OwnStringText(platform::kHomeKeyStringId));
  return home.Value() + "/errreport.htm";
}

}  // namespace

void ErrorCollector::add(const QuireStatus& status) { messages_.push_back(status.Message()); }

void ErrorCollector::writeErrorPage(const std::string& outputPath) {
  if (!page_) page_ = platform::NewDomDocument();
  if (!page_) {
    ShowError(HostString(host_message::kDocumentObjectNotCreated));
    return;
  }
  try {
    // Reloaded for every page, so a second page of the same request does not repeat the first.
    const std::string templatePath = ErrorPageTemplatePath();
    if (!page_->load(templatePath)) {
      // Without the installation's page the messages still reach the user in a plain page.
      page_->loadXML("<html><body><div/></body></html>");
    }
    platform::DomNode root = page_->documentElement();
    platform::DomNode list =
        root.isNull() ? platform::DomNode() : root.selectSingleNode("body/div");
    if (list.isNull()) {
      for (const std::string& message : messages_) ShowError(message);
      return;
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
    page_->save(outputPath);
  } catch (...) {
    ShowError(CurrentExceptionStatus("").Message());
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
