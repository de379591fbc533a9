#include "generate/web_page_generator.h"

#include <vector>

#include "commands/command_text.h"
#include "commands/field.h"
#include "commands/master_command.h"
#include "commands/replicator.h"
#include "foundation/quire_status.h"
#include "generate/page_formatting.h"
#include "platform/log.h"

namespace {

using platform::DomNode;

// Marks a REPEAT element made for the next recursion level.
constexpr const char* kLevelAttribute = "QuireLevel";
constexpr const char* kSubLevel = "Sub";
}  // namespace

WebPageGenerator::WebPageGenerator(std::shared_ptr<platform::DomDocument> templateDocument,
                                   std::string templatePath, ErrorCollector& errors,
                                   ProgressSink* progress)
    : TemplateGenerator(std::move(templateDocument), std::move(templatePath), errors, progress),
      companionFolder_(companionFolderOf(this->templatePath())) {}

std::string WebPageGenerator::companionFolderOf(const std::string& templatePath) {
  std::size_t separator = templatePath.rfind('/');
  if (separator == std::string::npos) separator = templatePath.rfind('\\');
  const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  std::string name = templatePath.substr(nameStart);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return templatePath.substr(0, nameStart) + name + "_files";
}

DomNode WebPageGenerator::expandRepeatCopy(const RepeatCopyRequest& request) {
  const DomNode copy = request.repeat.cloneNode(true);
  if (currentIndex_ != -1 && current_) {
    // After a LINK element served its object, the copies follow it in list order.
    current_.parentNode().insertBefore(copy, current_.nextSibling());
    current_ = copy;
    ++currentIndex_;
  } else {
    request.repeat.parentNode().insertBefore(copy, request.repeat);
  }
  addSubLevel(request, copy);
  return copy;
}

// A REPEAT whose parent variable is its own variable recurses: each copy holds a MASTER with a
// copy of the REPEAT one level further down, indented one tab interval, until the level limit.
void WebPageGenerator::addSubLevel(const RepeatCopyRequest& request, const DomNode& copy) {
  const Replicator& replicator = request.replicator;
  if (replicator.parentVariable() != replicator.variableName()) return;
  const int level = replicator.number();
  const int limit = maxRecursionLevel() > 0 ? maxRecursionLevel() : kHardRecursionLimit;
  if (level >= limit) {
    QuireStatus printStatus;
    platform::Log("Recursion level " + std::to_string(level) + " reached the limit of " +
                      std::to_string(limit) + ": no deeper level of " +
                      replicator.print(printStatus),
                  platform::kLogWarning);
    return;
  }
  const MasterCommand masterCommand(request.master.getAttribute(kCommandAttribute));
  const DomNode master = request.master.cloneNode(false);
  master.setAttribute(kCommandAttribute, masterCommand.textWithoutTable());
  const DomNode subLevel = request.repeat.cloneNode(true);
  subLevel.setAttribute(
      kCommandAttribute,
      Replicator::textAtLevel(request.repeat.getAttribute(kCommandAttribute), level + 1));
  subLevel.setAttribute(kLevelAttribute, kSubLevel);
  master.appendChild(subLevel);
  copy.appendChild(master);
  IndentLevel(subLevel, TabInterval(body()));
}

void WebPageGenerator::removeCommandElement(const DomNode& element) {
  const DomNode parent = element.parentNode();
  if (parent) parent.removeChild(element);
}

void WebPageGenerator::setCurrentIndex(const DomNode& container, int position) {
  currentIndex_ = position;
  current_ = position < 0 ? DomNode() : container.childNodes().item(position);
}

void WebPageGenerator::resetCurrentIndex() {
  currentIndex_ = -1;
  current_ = DomNode();
}
