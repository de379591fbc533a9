// TemplateGenerator: the generation walk over a template's commands.
#include "generate/template_generator.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "commands/command_text.h"
#include "commands/connector.h"
#include "commands/field.h"
#include "commands/general_source.h"
#include "commands/master_command.h"
#include "commands/parse_limits.h"
#include "commands/replicator.h"
#include "commands/stipulator.h"
#include "domains/domain_registry.h"
#include "domains/kestrel_pictures.h"
#include "domains/kestrel_root_container.h"
#include "foundation/host_hooks.h"
#include "foundation/number_images.h"
#include "foundation/text_helpers.h"
#include "generate/context_scope.h"
#include "generate/error_collector.h"
#include "generate/exception_status.h"
#include "generate/page_formatting.h"
#include "generate/progress_sink.h"
#include "generate/table_copy_borders.h"
#include "generate/template_comments.h"
#include "model/quire_abstract_domain.h"
#include "model/template_file_names.h"
#include "platform/config.h"
#include "platform/log.h"
#include "platform/work_limits.h"

namespace {

using platform::DomNode;
using platform::DomNodeList;

// The command elements inside `region` in document order (".//*[@QuireQuery]"), and the command
// spans (".//span[@QuireQuery]"): walks of the subtree, taken once per copy.
DomNodeList AllCommands(const DomNode& region) {
  return region.descendantsWithAttribute(kCommandAttribute);
}
DomNodeList CommandSpans(const DomNode& region) {
  return region.descendantsWithAttribute(kCommandAttribute, "span");
}

std::string CommandText(const DomNode& element) { return element.getAttribute(kCommandAttribute); }
bool IsCommand(const DomNode& element) { return element.hasAttribute(kCommandAttribute); }
std::size_t NestedCommandCount(const DomNode& element) { return AllCommands(element).length(); }
bool IsElementNamed(const DomNode& node, const std::string& name) {
  return node && node.nodeType() == platform::kDomElement && LowercaseCopy(node.nodeName()) == name;
}

// Where a MASTER's copies go: the MASTER element, or the table it holds when its command text
// carries the table information; rows are repeated when that information says so.
struct MasterLayout {
  DomNode container;
  bool tableMode = false;
};

MasterLayout LayoutOf(const DomNode& master) {
  MasterLayout layout{master, false};
  const MasterCommand command(CommandText(master));
  if (!command.hasTable()) return layout;
  layout.tableMode = command.repeatsTableRows();
  const DomNode table = master.selectSingleNode("./table");
  if (table) layout.container = table;
  return layout;
}

// The REPEAT that a MASTER governs: its first command whose text is a REPEAT (copies keep the
// REPEAT's text, so a copy found first gives the same command).
DomNode RepeatOfMaster(const DomNode& master) {
  for (const DomNode& element : AllCommands(master)) {
    if (HasRepeatLetter(CommandText(element))) return element;
  }
  return {};
}

// Shows the table MASTER's `container` and every table in it. The children whose command text is
// `copyText` (the REPEAT's, when its copies hold no tables) are passed by without a walk.
void ShowTables(const DomNode& container, const std::string& copyText) {
  if (IsElementNamed(container, "table")) ShowElement(container);
  for (const DomNode& child : container.childNodes()) {
    if (child.nodeType() != platform::kDomElement) continue;
    if (!copyText.empty() && IsCommand(child) && CommandText(child) == copyText) continue;
    if (child.nodeName() == "table") ShowElement(child);
    for (const DomNode& table : child.descendantsNamed("table")) ShowElement(table);
  }
}

std::string ReferenceOf(const QuireObject& object) {
  QuireStatus status;
  std::string reference = object.referenceText(status);
  return status.IsOk() ? reference : std::string();
}

int ChildPosition(const DomNode& parent, const DomNode& child) {
  int position = 0;
  for (const DomNode& node : parent.childNodes()) {
    if (node == child) return position;
    ++position;
  }
  return -1;
}

DomNode PreviousElement(const DomNode& node) {
  DomNode previous = node.previousSibling();
  while (previous && previous.nodeType() != platform::kDomElement) {
    previous = previous.previousSibling();
  }
  return previous;
}

// The entries of the serialised outline (what lies between its opening and closing tags) when
// the outline is longer than 20 characters, which an empty outline never is.
std::optional<std::string> OutlineEntries(const std::string& xml) {
  if (xml.size() <= 20) return std::nullopt;
  const std::size_t begin = xml.find('>');
  const std::size_t end = xml.rfind("</");
  if (begin == std::string::npos || end == std::string::npos || end <= begin) return std::nullopt;
  return xml.substr(begin + 1, end - begin - 1);
}

// The failure of the OPEN `text`, named in the message so that the error page points at it.
QuireStatus OpenFailure(const std::string& text, const QuireStatus& status) {
  return QuireStatus(status.Kind(), "OPEN (" + text + "): ", status.Message());
}

int ReadMaxRecursionLevel() {
  const platform::ConfigSetting setting("MaxRecursionLevel");
  bool valid = false;
  const double level = ParseDecimal(setting.Value(), valid);
  if (!valid || level < 1) return 0;
  if (level > TemplateGenerator::kHardRecursionLimit) {
    platform::Log("MaxRecursionLevel " + setting.Value() + " is taken as " +
                      std::to_string(TemplateGenerator::kHardRecursionLimit) +
                      ", the most recursion levels a page may have",
                  platform::kLogWarning);
    return TemplateGenerator::kHardRecursionLimit;
  }
  return static_cast<int>(level);
}

// The folder that holds the template, made absolute ("" for an empty path).
std::string FolderOf(const std::string& templatePath) {
  if (templatePath.empty()) return {};
  std::error_code ignored;
  const std::string absolute = std::filesystem::absolute(templatePath, ignored).string();
  const std::size_t cut = absolute.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : absolute.substr(0, cut == 0 ? 1 : cut);
}

// Records the template's folder for the file names its commands give, for one generation.
class TemplateFolderRecord {
 public:
  explicit TemplateFolderRecord(const std::string& templatePath) {
    SetTemplateFolder(FolderOf(templatePath));
  }
  ~TemplateFolderRecord() { SetTemplateFolder(""); }
  TemplateFolderRecord(const TemplateFolderRecord&) = delete;
  TemplateFolderRecord& operator=(const TemplateFolderRecord&) = delete;
};

void RefreshWordDomain() {
  DomainRegistry& registry = DomainRegistry::instance();
  if (!registry.hasDomainNamed("Word")) return;
  QuireStatus status;
  registry.getDomain(status, "Word").refresh();
}

}  // namespace

TemplateGenerator::TemplateGenerator(std::shared_ptr<platform::DomDocument> templateDocument,
                                     std::string templatePath, ErrorCollector& errors,
                                     ProgressSink* progress)
    : document_(std::move(templateDocument)),
      templatePath_(std::move(templatePath)),
      errors_(errors),
      progress_(progress) {}

TemplateGenerator::~TemplateGenerator() = default;

void TemplateGenerator::rewriteTemplateHyperlinks(const DomNode& /*body*/,
                                                  const RequestTexts& /*request*/) {}

bool TemplateGenerator::completePage(const RequestTexts& /*request*/) { return true; }

DomNode TemplateGenerator::body() const {
  if (!document_) return {};
  const DomNode root = document_->documentElement();
  return root ? root.selectSingleNode("body") : DomNode();
}

void TemplateGenerator::report(HostMessageId message, const QuireStatus* status,
                               const std::string& command) {
  std::string text = HostString(message);
  if (status != nullptr && !status->IsOk()) text += " (" + status->Text() + ")";
  if (!command.empty()) text += " in " + command;
  // The comment the author wrote the failing command in, as Word shows it.
  const CommentPlace place = CommentPlaceOf(reporting_);
  if (!place.description.empty()) text = place.description + ": " + text;
  platform::Log(text, platform::kLogError);
  errors_.addAt(place.order, text);
}

QuireStatus TemplateGenerator::generatePage(const std::string& locator,
                                            const std::string& serverUrl,
                                            const std::string& templateId,
                                            std::optional<std::string>& outline) {
  outline.reset();
  request_ = RequestTexts{locator, serverUrl, templateId};
  const TemplateFolderRecord templateFolder(templatePath_);
  SetPictureDocumentName(std::filesystem::path(templatePath_).stem().string());
  status_ = QuireStatus();
  reporting_ = DomNode();
  placesForgotten_ = false;
  placesLeft_ = false;
  bool walked = false;
  try {
    walked = runPasses(outline);
  } catch (...) {
    status_ = CurrentExceptionStatus("Generation: ");
    report(host_message::kTemplateCommandFailed, &status_);
  }
  if (!status_.IsOk()) endFailed();
  // A walk of the whole page: once is enough.
  if (!placesForgotten_) ForgetCommentPlaces(body());
  reporting_ = DomNode();
  if (walked) RefreshWordDomain();
  return status_;
}

bool TemplateGenerator::runPasses(std::optional<std::string>& outline) {
  outline_ = platform::DomDocument::Create();
  outline_->loadXML("<outline></outline>");
  outlineIds_ = OutlineIds();

  const DomNode pageBody = body();
  if (pageBody) {
    status_ = completeOpenCommands(pageBody);
    if (!status_.IsOk()) return false;
    rewriteTemplateHyperlinks(pageBody, request_);
    status_ = prepareDomains(pageBody);
    if (!status_.IsOk()) return false;
  }
  if (!errors_.empty()) return false;
  if (progress_ != nullptr)
    progress_->report(HostString(host_message::kEvaluatingTemplateCommands), 10);

  maxRecursionLevel_ = ReadMaxRecursionLevel();
  maxPageBytes_ =
      platform::ConfiguredLimit(platform::kMaxPageBytesKey, platform::kDefaultMaxPageBytes);
  maxRepeatObjects_ =
      platform::ConfiguredLimit(platform::kMaxRepeatObjectsKey, platform::kDefaultMaxRepeatObjects);
  pageBytes_ = document_ ? document_->xml().size() : 0;
  if (pageBody && !checkCommandNesting(pageBody)) return false;
  // Places belong to command elements; one on any other element is only found by a walk of the
  // whole page at the end.
  if (pageBody) {
    for (const DomNode& element : pageBody.descendantsWithAttribute(kCommentLabelAttribute)) {
      if (!IsCommand(element)) placesLeft_ = true;
    }
  }
  if (pageBody) walk(pageBody);
  // A walk that went to its end took every place away region by region, copies included.
  if (placesLeft_ || !status_.IsOk()) ForgetCommentPlaces(pageBody);
  placesForgotten_ = true;
  if (status_.IsOk() && !completePage(request_) && status_.IsOk()) {
    status_ = QuireStatus(kEvaluationError, "Page completion");
  }
  outline = OutlineEntries(outline_->xml());
  return true;
}

void TemplateGenerator::endFailed() {
  // A failure that no step reported (an OPEN of the passes before the walk, the page
  // completion) still makes the error page: the page is not generated.
  if (status_.Kind() == kUnloggedFailure) {
    if (errors_.empty()) errors_.add(status_);  // already shown: the page only, no log line
    return;
  }
  if (errors_.empty()) report(host_message::kTemplateCommandFailed, &status_);
  platform::Log("The page " + templatePath_ + " was not generated: " + status_.Text(),
                platform::kLogCriticalError);
}

QuireStatus TemplateGenerator::completeOpenCommands(const DomNode& pageBody) {
  for (const DomNode& element : CommandSpans(pageBody)) {
    const std::string text = CommandText(element);
    if (CommandKindOf(text) != CommandKind::kOpen) continue;
    QuireStatus status;
    std::string completed;
    if (!Connector::completeFromLocator(text, request_.locator, completed, status)) {
      // The locator may name a data source rather than an artifact: once its root container
      // is open, the data source knows the command's class.
      QuireStatus rootStatus;
      reporting_ = element;
      if (!OpenDataSourceRootContainer(request_.locator, rootStatus))
        return OpenFailure(text, status);
      status = QuireStatus();
      if (!Connector::completeFromLocator(text, request_.locator, completed, status)) {
        return OpenFailure(text, status);
      }
    }
    if (completed != text) {
      platform::Log("OPEN completed from the request: " + completed, platform::kLogDebug);
      element.setAttribute(kCommandAttribute, completed);
    }
  }
  return QuireStatus();
}

QuireStatus TemplateGenerator::prepareDomains(const DomNode& pageBody) {
  for (const DomNode& element : CommandSpans(pageBody)) {
    const std::string text = CommandText(element);
    if (CommandKindOf(text) != CommandKind::kOpen) continue;
    QuireStatus status;
    Connector connector(text, status);
    if (status.IsOk()) connector.prepareExternalClasses(status);
    if (!status.IsOk()) {
      reporting_ = element;
      return OpenFailure(text, status);
    }
  }
  return QuireStatus();
}

bool TemplateGenerator::walk(const DomNode& pageBody) {
  countMasters(pageBody);
  mastersDone_ = 0;
  expansions_ = 0;
  context_ = QuireBindingList();
  // The copies hold what the template holds: a template without date fields or numbered lists
  // makes a page without them, unless a value brought markup of its own.
  const bool formatting = HasDateFieldsOrNumberedLists(pageBody);
  pageFormatting_ = formatting;
  const int insertionsBefore = markupInsertions_;
  int bound = 0;
  processCommands(context_, pageBody, bound, true);
  if (formatting || markupInsertions_ != insertionsBefore) {
    QuireStatus dateStatus;
    ConvertDateFields(pageBody, dateStatus);
    RenumberLists(pageBody);
  }
  return true;
}

bool TemplateGenerator::checkCommandNesting(const DomNode& pageBody) {
  // The walk goes one call deeper for each command inside another: the template's nesting is
  // checked once, before the walk, so that no copy can take it past the stack.
  for (const DomNode& element : AllCommands(pageBody)) {
    std::size_t depth = 1;
    for (DomNode up = element.parentNode(); up && !(up == pageBody); up = up.parentNode()) {
      if (IsCommand(up)) ++depth;
    }
    if (depth <= static_cast<std::size_t>(kMaxCommandNesting)) continue;
    reporting_ = element;
    const QuireStatus status(kEvaluationError, "Commands nested " + std::to_string(depth) +
                                                   " deep, more than the limit of " +
                                                   std::to_string(kMaxCommandNesting) +
                                                   " nested commands");
    report(host_message::kTemplateCommandFailed, &status, CommandText(element));
    setStatus(status);
    return false;
  }
  return true;
}

void TemplateGenerator::countMasters(const DomNode& pageBody) {
  masterCount_ = 0;
  for (const DomNode& child : pageBody.childNodes()) {
    for (const DomNode& grandchild : child.childNodes()) {
      if (grandchild.nodeType() != platform::kDomElement) continue;
      bool master =
          IsCommand(grandchild) && CommandKindOf(CommandText(grandchild)) == CommandKind::kMaster;
      for (const DomNode& span : CommandSpans(grandchild)) {
        if (master) break;
        master = CommandKindOf(CommandText(span)) == CommandKind::kMaster;
      }
      if (master) ++masterCount_;
    }
  }
}

// Visits the commands of `region` in document order. Commands inside a MASTER or LIMIT are
// skipped here and reached through the expansion or the LIMIT's own processing. Comment places
// are only on command elements, so once every command of the region is done, their places go. A
// step that fails with a status adds host_message::kTemplateCommandFailed and gives its status to
// the generator; a failure already reported further down returns false with nothing more.
bool TemplateGenerator::processCommands(QuireBindingList& context, const DomNode& region,
                                        int& boundCount, bool topLevel) {
  const DomNodeList commands = AllCommands(region);
  for (std::size_t i = 0; i < commands.length(); ++i) {
    const DomNode element = commands.item(i);
    const std::string text = CommandText(element);
    QuireStatus stepStatus;
    bool done = true;
    std::string failing = text;
    DomNode pointed = element;  // the element whose comment a failure of this step names
    reporting_ = pointed;
    switch (CommandKindOf(text)) {
      case CommandKind::kOpen:
        done = processOpen(context, element, text, boundCount, stepStatus);
        break;
      case CommandKind::kDisplay:
        done = processDisplay(context, element, text, stepStatus);
        break;
      case CommandKind::kMaster: {
        const std::size_t nested = NestedCommandCount(element);
        const DomNode repeat = commands.item(i + 1);
        if (nested == 0 || !HasRepeatLetter(CommandText(repeat))) {
          report(host_message::kMasterWithoutRepeat);
          setStatus(QuireStatus(kEvaluationError, host_message::kMasterWithoutRepeat));
          placesLeft_ = true;
          return false;
        }
        i += nested;
        failing = CommandText(repeat);  // what fails in a MASTER is its REPEAT
        pointed = repeat;
        reporting_ = pointed;
        done = expandMaster(context, element, repeat, topLevel, stepStatus);
        break;
      }
      case CommandKind::kLimit:
        i += NestedCommandCount(element);
        done = processLimit(context, element, text, boundCount, topLevel, stepStatus);
        break;
      default:  // REPEAT and LINK elements serve the MASTER before them.
        break;
    }
    // The commands of a copy or region pointed elsewhere meanwhile.
    reporting_ = pointed;
    if (!done) {
      if (!stepStatus.IsOk()) {
        report(host_message::kTemplateCommandFailed, &stepStatus, failing);
        setStatus(stepStatus);
      }
      placesLeft_ = true;
      return false;
    }
  }
  // The region's commands are done: their places, which only name a failing command, go now,
  // while the region is at hand, instead of in a walk of the whole page. A copy is a command
  // element itself, a copy of its REPEAT.
  for (const DomNode& element : commands) ForgetCommentPlace(element);
  if (IsCommand(region)) ForgetCommentPlace(region);
  return true;
}

bool TemplateGenerator::processOpen(QuireBindingList& context, const DomNode& element,
                                    const std::string& text, int& boundCount,
                                    QuireStatus& stepStatus) {
  platform::Log("Processing OPEN", platform::kLogDebug);
  const Connector connector(text, stepStatus);
  if (stepStatus.IsOk()) {
    const QuireObjectList objects = connector.evaluate(stepStatus, context);
    if (stepStatus.IsOk()) {
      for (const QuireObject& object : objects) {
        context.prepend(QuireBinding(GeneralSource(connector.clone()), object));
      }
      boundCount += static_cast<int>(objects.size());
    }
  }
  removeCommandElement(element);
  return stepStatus.IsOk();
}

bool TemplateGenerator::processDisplay(QuireBindingList& context, const DomNode& element,
                                       const std::string& text, QuireStatus& stepStatus) {
  if (platform::LogEnabled(platform::kLogDebug))
    platform::Log("Process DISPLAY (" + text + ")", platform::kLogDebug);
  const Field* const read = fieldOf(text, stepStatus);
  if (read == nullptr) {
    report(host_message::kDisplayUnreadable, &stepStatus);
    return false;
  }
  const Field& field = *read;
  const bool written = field.attribute().type() == QuireType::GRAPHIC
                           ? writeGraphicValue(context, element, field)
                           : writeDisplayValue(context, element, field, request_);
  if (written) return true;
  if (status_.IsOk()) status_ = QuireStatus(kEvaluationError, "DISPLAY ", text);
  stepStatus = status_;
  return false;
}

const Field* TemplateGenerator::fieldOf(const std::string& text, QuireStatus& status) {
  if (const auto known = fields_.find(text); known != fields_.end()) return known->second.get();
  // A field that reads but is not complete (no variable) fails when it is evaluated.
  auto field = std::make_unique<Field>(text, status);
  if (!status.IsOk()) return nullptr;
  return fields_.emplace(text, std::move(field)).first->second.get();
}

Replicator* TemplateGenerator::replicatorOf(const std::string& text, QuireStatus& status) {
  if (const auto known = replicators_.find(text); known != replicators_.end()) {
    status = QuireStatus();
    return known->second.get();
  }
  auto replicator = std::make_unique<Replicator>(text, status);
  if (!status.IsOk()) return nullptr;
  return replicators_.emplace(text, std::move(replicator)).first->second.get();
}

bool TemplateGenerator::expandMaster(QuireBindingList& context, const DomNode& master,
                                     const DomNode& repeat, bool topLevel,
                                     QuireStatus& stepStatus) {
  ++expansions_;
  resetCurrentIndex();
  const MasterLayout layout = LayoutOf(master);
  const std::string repeatText = CommandText(repeat);
  const int insertionsAtStart = markupInsertions_;
  QuireObjectList objects;
  Replicator* const read = listObjects(context, repeatText, objects, stepStatus);
  if (read == nullptr) return false;
  Replicator& replicator = *read;
  // Every copy adds about the template's size to the page; a page past its limit stops here.
  const std::uint64_t copyBytes = objects.empty() ? 0 : repeat.xml().size();

  // LINK elements beside the REPEAT stand in for the listed object they name; the others go.
  std::unordered_map<std::string, DomNode> links;
  std::unordered_set<std::string> listed;
  for (const DomNode& child : layout.container.childNodes()) {
    if (child == repeat || !IsCommand(child)) continue;
    const std::string text = CommandText(child);
    if (CommandKindOf(text) != CommandKind::kLink) continue;
    if (listed.empty()) {
      for (const QuireObject& object : objects) listed.insert(ReferenceOf(object));
    }
    QuireStatus makeStatus;
    const QuireObject linked = QuireObject::makeObject(text, makeStatus);
    const std::string reference = linked.isUndefined() ? std::string() : ReferenceOf(linked);
    if (!reference.empty() && listed.count(reference) > 0) {
      links.emplace(reference, child);
    } else {
      removeCommandElement(child);
    }
  }

  if (topLevel) ++mastersDone_;

  std::optional<TableCopyBorders> borders;
  if (layout.tableMode) {
    const DomNode above = PreviousElement(repeat);
    borders.emplace(repeat, IsElementNamed(above, "tr") ? above : DomNode(),
                    replicator.parentVariable() == replicator.variableName());
  }
  if (links.empty()) {
    switch (stampCopies(context, repeat, replicator, objects, copyBytes, topLevel, layout.tableMode,
                        stepStatus)) {
      case Stamped::kFailed:
        return false;
      case Stamped::kDone:
        borders.reset();
        objects.clear();  // written: the loop below has nothing left to build
        break;
      case Stamped::kNotStamped:
        break;
    }
  }
  bool anchored = false;  // a LINK served an object: the following copies go after it
  const GeneralSource source(replicator.clone());  // shared by the copies' bindings

  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (topLevel) reportProgress(i + 1, objects.size());
    const QuireObject& object = objects[i];
    DomNode target;
    bool fresh = false;  // a new copy, not a LINK element
    const auto link = links.empty() ? links.end() : links.find(ReferenceOf(object));
    if (link != links.end()) {
      target = link->second;
      const DomNode parent = target.parentNode();
      setCurrentIndex(parent, ChildPosition(parent, target));
      anchored = true;
    } else {
      target = expandRepeatCopy(RepeatCopyRequest{object, replicator, master, layout.container,
                                                  repeat, replicator.kindFlag(), !links.empty(),
                                                  layout.tableMode});
      if (!target) continue;
      if (!addCopyBytes(copyBytes, repeatText, stepStatus)) return false;
      fresh = true;
      if (borders) borders->placed(target);
    }
    ContextScope scope(context);
    context.prepend(QuireBinding(source, object, replicator.number()));
    int bound = 0;
    const int expansionsBefore = expansions_;
    const int insertionsBefore = markupInsertions_;
    if (!processCommands(context, target, bound, false)) return false;
    if (borders && fresh && markupInsertions_ != insertionsBefore) borders->copyGrew();
    if (anchored && expansions_ != expansionsBefore) {
      // A MASTER inside the object's content reset the current index; this one goes on after it.
      const DomNode parent = target.parentNode();
      setCurrentIndex(parent, ChildPosition(parent, target));
    }
  }

  if (layout.tableMode) {
    // The copies of a template without tables, which no formatted text entered, hold none.
    const bool copiesWithoutTables =
        markupInsertions_ == insertionsAtStart && repeat.descendantsNamed("table").length() == 0;
    ShowTables(layout.container, copiesWithoutTables ? repeatText : std::string());
  }
  // The template of the copies stays, hidden: an OMIT or OTHERWISE LIMIT may ask it again.
  HideElement(repeat);
  MarkRegion(repeat, true);
  resetCurrentIndex();
  return true;
}

Replicator* TemplateGenerator::listObjects(QuireBindingList& context, const std::string& repeatText,
                                           QuireObjectList& objects, QuireStatus& stepStatus) {
  Replicator* const replicator = replicatorOf(repeatText, stepStatus);
  if (replicator == nullptr) {
    report(host_message::kRepeatUnreadable, &stepStatus);
    return nullptr;
  }
  replicator->setObjectLimit(maxRepeatObjects_);
  if (platform::LogEnabled(platform::kLogDebug)) {
    platform::Log("Process REPEAT (" + repeatText + ")", platform::kLogDebug);
    QuireStatus printStatus;
    platform::Log("Evaluating " + replicator->print(printStatus) + ".", platform::kLogDebug);
  }
  objects = replicator->evaluate(stepStatus, context);
  if (!stepStatus.IsOk()) {
    if (stepStatus.Kind() != kNoResult) {
      report(host_message::kRepeatNotEvaluated, &stepStatus);
      return nullptr;
    }
    stepStatus = QuireStatus();
    objects.clear();
  }
  if (objects.size() > maxRepeatObjects_) {
    stepStatus =
        QuireStatus(kEvaluationError,
                    "REPEAT (" + repeatText + ") lists " + std::to_string(objects.size()) +
                        " objects, more than " +
                        platform::LimitText(platform::kMaxRepeatObjectsKey, maxRepeatObjects_));
    return nullptr;
  }
  return replicator;
}

bool TemplateGenerator::addCopyBytes(std::uint64_t bytes, const std::string& repeatText,
                                     QuireStatus& stepStatus) {
  pageBytes_ += bytes;
  if (pageBytes_ <= maxPageBytes_) return true;
  stepStatus = QuireStatus(kEvaluationError,
                           "The generated page grows past " +
                               platform::LimitText(platform::kMaxPageBytesKey, maxPageBytes_) +
                               " bytes at REPEAT (" + repeatText + ")");
  return false;
}

void TemplateGenerator::reportProgress(std::size_t index, std::size_t objectCount) {
  const long long masters = std::max(masterCount_, mastersDone_);
  if (progress_ == nullptr || objectCount == 0 || masters <= 0) return;
  const long long count = static_cast<long long>(objectCount);
  const long long percent = 10 + 90 * (mastersDone_ - 1) / masters +
                            90 * static_cast<long long>(index) / (masters * count);
  progress_->report("Generating Web Page", static_cast<int>(percent));
}

bool TemplateGenerator::showAndProcess(QuireBindingList& context, const DomNode& region,
                                       int& boundCount, bool topLevel) {
  MarkRegion(region, false);
  return processCommands(context, region, boundCount, topLevel);
}

bool TemplateGenerator::processLimit(QuireBindingList& context, const DomNode& limit,
                                     const std::string& text, int& boundCount, bool topLevel,
                                     QuireStatus& stepStatus) {
  platform::Log("Process LIMIT (" + text + ")", platform::kLogDebug);
  // An incomplete stipulator (no variable) fails only where it is evaluated: OMIT and
  // OTHERWISE are never evaluated, they decide by their MASTER.
  const Stipulator stipulator(text, stepStatus);
  if (!stepStatus.IsOk()) return false;

  if (stipulator.mode() == Stipulator::kNormal) {
    QuireObjectList found = stipulator.evaluate(stepStatus, context);
    if (!stepStatus.IsOk()) {
      if (stepStatus.Kind() != kNoResult) {
        report(host_message::kLimitNotEvaluated, &stepStatus);
        return false;
      }
      stepStatus = QuireStatus();
      found.clear();
    }
    if (found.empty()) {
      MarkRegion(limit, true);
      return true;
    }
    ContextScope scope(context);
    context.prepend(QuireBinding(GeneralSource(stipulator.clone()), found.front()));
    return showAndProcess(context, limit, boundCount, topLevel);
  }

  // OMIT and OTHERWISE decide by whether the MASTER they govern has objects to repeat.
  DomNode master;
  const DomNode previous = PreviousElement(limit);
  if (previous && IsCommand(previous)) {
    const std::string previousText = CommandText(previous);
    if (previousText.empty()) {
      stepStatus = QuireStatus(kEvaluationError, kCommandAttribute, " attribute");
      return false;
    }
    if (CommandKindOf(previousText) == CommandKind::kMaster) master = previous;
  }
  for (const DomNode& span : CommandSpans(limit)) {
    if (master) break;
    if (CommandKindOf(CommandText(span)) == CommandKind::kMaster) master = span;
  }
  if (!master) {
    stepStatus = QuireStatus(kEvaluationError, host_message::kLimitWithoutMaster);
    return false;
  }
  const DomNode repeat = RepeatOfMaster(master);
  if (!repeat) {
    stepStatus = QuireStatus(kEvaluationError, "REPEAT of the MASTER");
    report(host_message::kGovernedRepeatNotEvaluated, &stepStatus);
    return false;
  }
  const Replicator replicator(CommandText(repeat), stepStatus);
  QuireObjectList objects;
  if (stepStatus.IsOk()) objects = replicator.evaluate(stepStatus, context);
  if (!stepStatus.IsOk()) {
    if (stepStatus.Kind() != kNoResult) {
      report(host_message::kGovernedRepeatNotEvaluated, &stepStatus);
      return false;
    }
    stepStatus = QuireStatus();
    objects.clear();
  }
  const bool show = (stipulator.mode() == Stipulator::kOtherwise) == objects.empty();
  if (!show) {
    MarkRegion(limit, true);
    return true;
  }
  return showAndProcess(context, limit, boundCount, topLevel);
}
