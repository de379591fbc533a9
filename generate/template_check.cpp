// The template check: pairs the comments, parses and resolves every command, follows variables.
#include "generate/template_check.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>

#include "commands/command_text.h"
#include "commands/connector.h"
#include "commands/field.h"
#include "commands/navigation_path.h"
#include "commands/replicator.h"
#include "commands/stipulator.h"
#include "domains/domain_registry.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/template_annotator.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_types.h"

using platform::DomNode;

namespace {

// Longer command texts are refused unparsed: no template editor writes them, and parsing and
// printing them would only cost time.
constexpr std::size_t kMaxCommandText = 64 * 1024;
constexpr std::size_t kShownCommandText = 160;
constexpr std::size_t kComparedNameBytes = 64;

const char* KindWord(MarkerKind kind) {
  switch (kind) {
    case MarkerKind::kOpen:
      return "OPEN";
    case MarkerKind::kDisplay:
    case MarkerKind::kEndDisplay:
      return "DISPLAY";
    case MarkerKind::kMaster:
    case MarkerKind::kEndMaster:
      return "MASTER";
    case MarkerKind::kRepeat:
    case MarkerKind::kEndRepeat:
      return "REPEAT";
    case MarkerKind::kLimit:
    case MarkerKind::kEndLimit:
      return "LIMIT";
    default:
      return "LINK";
  }
}

const char* EndWord(MarkerKind start) {
  switch (start) {
    case MarkerKind::kMaster:
      return "ENDMAST";
    case MarkerKind::kRepeat:
      return "ENDREP";
    case MarkerKind::kLimit:
      return "ENDLIM";
    default:
      return "ENDLINK";
  }
}

bool IsRegionStart(MarkerKind kind) {
  return kind == MarkerKind::kMaster || kind == MarkerKind::kRepeat || kind == MarkerKind::kLimit ||
         kind == MarkerKind::kLink;
}

bool IsRegionEnd(MarkerKind kind) {
  return kind == MarkerKind::kEndMaster || kind == MarkerKind::kEndRepeat ||
         kind == MarkerKind::kEndLimit || kind == MarkerKind::kEndLink;
}

// The modifiers that a DISPLAY of an attribute of `type` may carry.
std::string FittingModifiers(int32_t type) {
  switch (type) {
    case QuireType::BOOLEAN:
      return "B (true/false), L (link)";
    case QuireType::NUMBER:
      return "N (number format), L (link)";
    case QuireType::STRING:
      return "S (text), L (link)";
    case QuireType::GRAPHIC:
      return "G (picture), L (link)";
    default:
      return "L (link) or a modifier of the attribute's own letter";
  }
}

// Why the modifier field `modifier` cannot format a value of `type` ("" when it can): B, N and G
// format only BOOLEAN, NUMBER and GRAPHIC values, and a picture takes no text modifier. A link
// ("L" and its letter) is judged by the modifier it carries.
std::string ModifierMisfit(std::string modifier, int32_t type) {
  while (modifier.size() >= 2 && modifier[0] == 'L') modifier.erase(0, 2);
  if (modifier.empty()) return {};
  switch (modifier[0]) {
    case 'B':
      return type == QuireType::BOOLEAN ? "" : "formats only BOOLEAN values";
    case 'N':
      return type == QuireType::NUMBER ? "" : "formats only NUMBER values";
    case 'G':
      return type == QuireType::GRAPHIC ? "" : "shows only GRAPHIC values";
    default:
      return {};
  }
}

std::vector<std::string> SplitColons(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t at = text.find(':'); at != std::string::npos; at = text.find(':', start)) {
    fields.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  fields.push_back(text.substr(start));
  return fields;
}

std::string At(const std::vector<std::string>& fields, std::size_t index) {
  return index < fields.size() ? fields[index] : std::string();
}

std::string Suggestions(const std::string& name, const std::vector<std::string>& candidates,
                        const char* what) {
  if (candidates.empty()) return std::string("; it has no ") + what;
  const std::vector<std::string> closest = ClosestNames(name, candidates);
  std::string text = "; closest: ";
  for (std::size_t i = 0; i < closest.size(); ++i) text += (i > 0 ? ", " : "") + closest[i];
  return text;
}

std::vector<std::string> AttributeNames(const QuireClass& cls) {
  std::vector<std::string> names;
  for (const QuireAttribute& attribute : cls.attributeList(QuireFeatureList::kFirst))
    names.push_back(attribute.name());
  return names;
}

std::vector<std::string> StepNames(const QuireClass& cls) {
  std::vector<std::string> names;
  for (const QuireFeatureList list : {QuireFeatureList::kFirst, QuireFeatureList::kSecond}) {
    for (const QuireRelationship& step : cls.unaryList(list)) names.push_back("U=" + step.name());
    for (const QuireRelationship& step : cls.naryList(list)) names.push_back("N=" + step.name());
  }
  for (const QuireRelationship& link : cls.superclassLinks()) names.push_back("S=" + link.name());
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

// Finds the class `className` of domain `domainName`; false with `problem` saying what the
// schemas offer instead.
bool ResolveClass(const std::string& domainName, const std::string& className, QuireClass& cls,
                  std::string& problem) {
  DomainRegistry& registry = DomainRegistry::instance();
  QuireStatus status;
  QuireAbstractDomain& domain = registry.getDomain(status, domainName);
  if (!status.IsOk()) {
    std::vector<std::string> names;
    for (const QuireAbstractDomain* loaded : registry.domains()) names.push_back(loaded->name());
    problem = "no domain \"" + domainName + "\" is loaded" +
              Suggestions(domainName, names, "domains loaded");
    return false;
  }
  cls = domain.findClass(className, status);
  if (!status.IsOk() || cls.isUndefined()) {
    std::vector<std::string> names;
    for (const QuireClass& known : domain.classList()) names.push_back(known.name());
    problem = "domain " + domain.name() + " has no class \"" + className + "\"" +
              Suggestions(className, names, "classes");
    return false;
  }
  return true;
}

// Follows `path` from `cls` step by step, so that a failure names the step and what the class
// offers; `cls` ends at the class reached.
bool ResolvePath(const std::string& path, QuireClass& cls, const char* letters,
                 std::string& problem) {
  if (path.empty()) return true;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = path.find('.', start);
    const std::string step =
        path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    QuireStatus status;
    const QuireClass from = cls;
    NavigationPath::parse(step, cls, PathLookup::kCommand, letters, "Path", "Path", status);
    if (!status.IsOk()) {
      if (step.size() < 2 || step[1] != '=' ||
          std::string(letters).find(step[0]) == std::string::npos)
        problem = "the navigation step \"" + step + "\" is not one of " + letters +
                  " followed by \"=\" and a relationship";
      else
        problem = "class " + from.name() + " has no relationship for the step \"" + step + "\"" +
                  Suggestions(step, StepNames(from), "relationships");
      cls = from;
      return false;
    }
    if (dot == std::string::npos) return true;
    start = dot + 1;
  }
}

// The first attribute that a predicate or sort key names ("Domain:Class:path:Attribute") and
// its class lacks, as a problem with the closest names; "" when every one is found.
std::string UnknownAttributeInExpressions(const std::vector<std::string>& fields,
                                          std::size_t from) {
  DomainRegistry& registry = DomainRegistry::instance();
  for (std::size_t k = from; k + 3 < fields.size(); ++k) {
    if (!registry.hasDomainNamed(fields[k])) continue;
    QuireStatus status;
    QuireClass cls = registry.getDomain(status, fields[k]).findClass(fields[k + 1], status);
    if (!status.IsOk() || cls.isUndefined()) continue;
    std::string ignored;
    if (!ResolvePath(fields[k + 2], cls, "US", ignored)) continue;
    // A sort key's attribute runs up to the "," before the next key.
    const std::string name = fields[k + 3].substr(0, fields[k + 3].find(','));
    if (name.empty()) continue;
    QuireStatus lookup;
    cls.findAttribute(name, lookup);
    if (!lookup.IsOk())
      return "a predicate or sort key names the attribute \"" + name + "\", which class " +
             cls.name() + " does not have" + Suggestions(name, AttributeNames(cls), "attributes");
  }
  return {};
}

// What a variable stands for where it is bound.
struct Binding {
  std::string variable;
  QuireClass cls;
  std::size_t from = 0;   // comment index of the binding command
  std::size_t until = 0;  // bound for the comments before this index
};

// What one command needs: the variable it starts from and the class that variable must hold.
struct Use {
  std::string variable;
  QuireClass cls;
  bool checked = false;
};

class Checker {
 public:
  explicit Checker(const TemplateComments& comments) : input_(comments) {}

  std::vector<TemplateProblem> run() {
    const std::vector<TemplateComment>& comments = input_.comments;
    pairRegions();
    std::unordered_map<std::string, std::size_t> labels;
    uses_.resize(comments.size());
    for (std::size_t i = 0; i < comments.size(); ++i) {
      const TemplateComment& comment = comments[i];
      if (!comment.label.empty()) {
        const auto [at, fresh] = labels.emplace(comment.label, comment.order);
        if (!fresh)
          add(i, "the label " + comment.label + " appears again (first at comment " +
                     std::to_string(at->second) +
                     "): regions are found by their labels, so a copied comment can enclose "
                     "the wrong text; delete the copy and insert the comment anew");
      }
      if (!input_.fromElements) checkStructure(i);
      if (comment.commandText.size() > kMaxCommandText) {
        add(i, "the command text is " + std::to_string(comment.commandText.size()) +
                   " characters long, more than " + std::to_string(kMaxCommandText) +
                   ": it is not checked");
        continue;
      }
      checkCommand(i);
    }
    if (!input_.fromElements) checkVariables();
    if (input_.anchorCount != input_.textCount) {
      TemplateProblem problem;
      problem.what = std::to_string(input_.anchorCount) + " comment marks but " +
                     std::to_string(input_.textCount) +
                     " comment texts: marks and texts are paired in order, so the extra ones "
                     "are ignored";
      problems_.push_back(problem);
    }
    std::stable_sort(
        problems_.begin(), problems_.end(), [](const TemplateProblem& a, const TemplateProblem& b) {
          return (a.order == 0 ? SIZE_MAX : a.order) < (b.order == 0 ? SIZE_MAX : b.order);
        });
    return problems_;
  }

 private:
  void add(std::size_t index, const std::string& what) {
    const TemplateComment& comment = input_.comments[index];
    problems_.push_back(
        TemplateProblem{comment.order, comment.label, comment.nearText, comment.commandText, what});
  }

  // Each start takes the first later end of its kind with the same command text, as the
  // annotation does; ends taken by none are left over.
  void pairRegions() {
    const std::vector<TemplateComment>& comments = input_.comments;
    ends_.assign(comments.size(), SIZE_MAX);
    taken_.assign(comments.size(), false);
    std::map<std::pair<int, std::string>, std::vector<std::size_t>> endsByText;
    for (std::size_t j = 0; j < comments.size(); ++j) {
      if (IsRegionEnd(comments[j].kind))
        endsByText[{static_cast<int>(comments[j].kind), comments[j].commandText}].push_back(j);
    }
    for (std::size_t i = 0; i < comments.size(); ++i) {
      if (!IsRegionStart(comments[i].kind)) continue;
      const auto found =
          endsByText.find({static_cast<int>(EndKindOf(comments[i].kind)), comments[i].commandText});
      if (found == endsByText.end()) continue;
      const auto next = std::upper_bound(found->second.begin(), found->second.end(), i);
      if (next == found->second.end()) continue;
      ends_[i] = *next;
      taken_[*next] = true;
    }
  }

  // The nearest region start around comment `index` (SIZE_MAX when none).
  std::size_t enclosingStart(std::size_t index) const {
    for (std::size_t s = index; s-- > 0;) {
      if (ends_[s] != SIZE_MAX && ends_[s] > index) return s;
    }
    return SIZE_MAX;
  }

  void checkStructure(std::size_t i) {
    const std::vector<TemplateComment>& comments = input_.comments;
    const TemplateComment& comment = comments[i];
    if (comment.commandText.empty()) {
      add(i, "the comment holds no command text");
      return;
    }
    if (comment.kind == MarkerKind::kMismatch) {
      const char* word = KindWord(static_cast<MarkerKind>(CommandKindOf(comment.commandText)));
      add(i, "the label " + comment.label + " does not fit the command text, which is a " + word +
                 " command: the comment is ignored (a " + word + " comment's label begins with [" +
                 word + (std::string(word) == "OPEN" ? "" : std::string(" or [END")) + ")");
      return;
    }
    if (IsRegionStart(comment.kind) && ends_[i] == SIZE_MAX) {
      add(i, std::string("no later [") + EndWord(comment.kind) +
                 "] comment has the same command text: the " + KindWord(comment.kind) +
                 " is dropped");
    }
    if (IsRegionEnd(comment.kind) && !taken_[i]) {
      add(i, std::string(EndWord(static_cast<MarkerKind>(static_cast<int>(comment.kind) - 5))) +
                 " without a start: no earlier [" + KindWord(comment.kind) +
                 "] comment has the same command text");
    }
    if (comment.kind == MarkerKind::kMaster && ends_[i] != SIZE_MAX) {
      const bool repeatFirst = i + 1 < ends_[i] && comments[i + 1].kind == MarkerKind::kRepeat;
      if (!repeatFirst)
        add(i, "the first command inside a MASTER must be its REPEAT" +
                   (i + 1 < ends_[i] ? ", not " + comments[i + 1].label
                                     : std::string(", and this MASTER holds no command")) +
                   ": generation stops here");
    }
    if (comment.kind == MarkerKind::kRepeat) {
      const std::size_t around = enclosingStart(i);
      if (around == SIZE_MAX || comments[around].kind != MarkerKind::kMaster || around + 1 != i)
        add(i,
            "a REPEAT is expanded only as the first command inside a MASTER; this one is "
            "left as it stands");
    }
  }

  void checkCommand(std::size_t i) {
    const TemplateComment& comment = input_.comments[i];
    const std::string& text = comment.commandText;
    const std::vector<std::string> fields = SplitColons(text);
    QuireStatus status;
    std::string problem;
    QuireClass cls;
    switch (comment.kind) {
      case MarkerKind::kOpen: {
        const Connector open(text, status);
        if (status.IsOk()) {
          binds(i, open.variableName(), open.getClass(), input_.comments.size());
          return;
        }
        if (!ResolveClass(At(fields, 2), At(fields, 3), cls, problem)) break;
        if (status.Kind() == kSyntaxError || status.Kind() == kNoArgumentToAssign) {
          std::vector<std::string> names;
          for (const auto* list :
               {&cls.connectorArguments(), &cls.constructorArguments(), &cls.selectorArguments()})
            for (const QuireAttribute& argument : *list) names.push_back(argument.name());
          std::sort(names.begin(), names.end());
          names.erase(std::unique(names.begin(), names.end()), names.end());
          std::string list;
          for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
          problem = "the assignments do not fit the arguments of class " + cls.name() +
                    (names.empty() ? std::string(", which has none") : " (" + list + ")") + " [" +
                    status.Text() + "]";
        }
        break;
      }
      case MarkerKind::kDisplay: {
        const Field display(text, status);
        if (status.IsOk()) {
          uses_[i] = Use{display.variableName(), display.getClass(), true};
          const std::string misfit = ModifierMisfit(At(fields, 6), display.attribute().type());
          if (!misfit.empty())
            add(i, "the modifier \"" + At(fields, 6) + "\" " + misfit + "; attribute " +
                       display.attribute().name() + " is " +
                       QuireType::NameOf(display.attribute().type()) + " and takes " +
                       FittingModifiers(display.attribute().type()));
          return;
        }
        if (!ResolveClass(At(fields, 2), At(fields, 3), cls, problem)) break;
        uses_[i] = Use{At(fields, 1), cls, true};
        if (!ResolvePath(At(fields, 4), cls, "US", problem)) break;
        const std::string name = At(fields, 5);
        QuireStatus lookup;
        const QuireAttribute& attribute = cls.findAttribute(name, lookup);
        if (!lookup.IsOk()) {
          problem = "class " + cls.name() + " has no attribute \"" + name + "\"" +
                    Suggestions(name, AttributeNames(cls), "attributes");
        } else if (status.Kind() == kSyntaxError &&
                   status.Message().find("Modifier") != std::string::npos) {
          problem = "the modifier \"" + At(fields, 6) + "\" does not fit attribute " + name +
                    " of type " + QuireType::NameOf(attribute.type()) + "; it takes " +
                    FittingModifiers(attribute.type());
        }
        break;
      }
      case MarkerKind::kRepeat: {
        const Replicator repeat(text, status);
        if (status.IsOk()) {
          uses_[i] = Use{repeat.parentVariable(), repeat.startClass(), true};
          if (ends_[i] != SIZE_MAX) binds(i, repeat.variableName(), repeat.getClass(), ends_[i]);
          return;
        }
        if (!ResolveClass(At(fields, 2), At(fields, 3), cls, problem)) break;
        const std::size_t parent = At(fields, 4).starts_with("^") ? 5 : 4;
        std::string domain = At(fields, parent + 1);
        if (domain.starts_with("^")) domain.erase(0, 1);
        QuireClass start;
        if (!ResolveClass(domain, At(fields, parent + 2), start, problem)) break;
        if (!ResolvePath(At(fields, parent + 3), start, "NUS", problem)) break;
        problem = UnknownAttributeInExpressions(fields, parent + 4);
        break;
      }
      case MarkerKind::kLimit: {
        const Stipulator limit(text, status);
        if (status.IsOk()) {
          if (limit.mode() != Stipulator::kNormal) return;
          uses_[i] = Use{limit.parentVariable(), limit.startClass(), true};
          if (ends_[i] != SIZE_MAX) binds(i, limit.variableName(), limit.getClass(), ends_[i]);
          return;
        }
        if (!ResolveClass(At(fields, 2), At(fields, 3), cls, problem)) break;
        QuireClass start;
        if (!ResolveClass(At(fields, 5), At(fields, 6), start, problem)) break;
        if (At(fields, 7) != ".." && !ResolvePath(At(fields, 7), start, "US", problem)) break;
        problem = UnknownAttributeInExpressions(fields, 8);
        break;
      }
      default:  // MASTER, LINK and end marks name nothing of a schema.
        return;
    }
    if (problem.empty()) problem = "the command cannot be read: " + status.Text();
    add(i, problem);
  }

  void binds(std::size_t i, const std::string& variable, const QuireClass& cls, std::size_t until) {
    bindings_.push_back(Binding{variable, cls, i, until});
  }

  // Every command that starts from a variable finds it bound by an OPEN before it, or by the
  // REPEAT or LIMIT around it, holding objects of the class the command starts from.
  void checkVariables() {
    const std::vector<TemplateComment>& comments = input_.comments;
    for (std::size_t i = 0; i < comments.size(); ++i) {
      const Use& use = uses_[i];
      if (!use.checked || use.variable.empty()) continue;
      const Binding* found = nullptr;
      for (const Binding& binding : bindings_) {
        if (binding.from < i && i < binding.until && binding.variable == use.variable &&
            (found == nullptr || binding.from > found->from))
          found = &binding;
      }
      if (found == nullptr) {
        add(i, "the variable \"" + use.variable +
                   "\" is not bound here: no OPEN before it, nor a REPEAT or LIMIT around it, "
                   "names it");
      } else if (!found->cls.isUndefined() && !use.cls.isUndefined() &&
                 !found->cls.isSubclassOf(use.cls)) {
        add(i, "the variable \"" + use.variable + "\" holds " + found->cls.name() +
                   " objects (bound at " + comments[found->from].label + "), not " +
                   use.cls.name());
      }
    }
  }

  const TemplateComments& input_;
  std::vector<std::size_t> ends_;
  std::vector<bool> taken_;
  std::vector<Use> uses_;
  std::vector<Binding> bindings_;
  std::vector<TemplateProblem> problems_;
};

const std::string kAllCommands = std::string(".//*[@") + kCommandAttribute + "]";

// An OMIT or OTHERWISE LIMIT element finds its MASTER as generation does: the element right
// before it, or a command span inside it.
bool GovernsMaster(const DomNode& limit) {
  DomNode previous = limit.previousSibling();
  while (previous && previous.nodeType() != platform::kDomElement)
    previous = previous.previousSibling();
  if (previous && CommandKindOf(previous.getAttribute(kCommandAttribute)) == CommandKind::kMaster &&
      previous.hasAttribute(kCommandAttribute))
    return true;
  for (const DomNode& span :
       limit.selectNodes(std::string(".//span[@") + kCommandAttribute + "]")) {
    if (CommandKindOf(span.getAttribute(kCommandAttribute)) == CommandKind::kMaster) return true;
  }
  return false;
}

std::string FoldedPrefix(const std::string& name) {
  std::string folded = name.substr(0, kComparedNameBytes);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::vector<std::string> ClosestNames(const std::string& name,
                                      const std::vector<std::string>& candidates,
                                      std::size_t count) {
  const std::string wanted = FoldedPrefix(name);
  std::vector<std::pair<std::size_t, std::size_t>> ranked;  // distance, candidate index
  ranked.reserve(candidates.size());
  for (std::size_t i = 0; i < candidates.size(); ++i)
    ranked.emplace_back(EditDistance(wanted, FoldedPrefix(candidates[i])), i);
  const std::size_t kept = std::min(count, ranked.size());
  std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(kept),
                    ranked.end());
  std::vector<std::string> names;
  for (std::size_t i = 0; i < kept; ++i) names.push_back(candidates[ranked[i].second]);
  return names;
}

std::vector<TemplateProblem> CheckTemplateComments(const TemplateComments& comments) {
  return Checker(comments).run();
}

std::vector<TemplateProblem> CheckTemplate(const platform::DomDocument& document) {
  TemplateComments comments = ReadTemplateComments(document);
  const bool annotated = comments.anchorCount == 0 && comments.textCount == 0;
  if (annotated) comments = ReadCommandElements(document);
  std::vector<TemplateProblem> problems = CheckTemplateComments(comments);

  // What depends on where the annotation puts the command elements is judged on an annotated
  // copy, as generation would see it.
  const std::shared_ptr<platform::DomDocument> copy = platform::DomDocument::Create();
  if (!copy->loadXML(document.xml()) || !copy->documentElement()) return problems;
  if (!annotated) {
    QuireStatus status;
    if (!TemplateAnnotator(copy).annotateTemplate(status)) {
      TemplateProblem problem;
      problem.what = "the comments cannot be turned into commands: " + status.Text();
      problems.push_back(problem);
    }
  }
  std::size_t position = 0;
  for (const DomNode& element : copy->documentElement().selectNodes(kAllCommands)) {
    ++position;
    const std::string text = element.getAttribute(kCommandAttribute);
    if (CommandKindOf(text) != CommandKind::kLimit) continue;
    QuireStatus status;
    const Stipulator limit(text, status);
    if (!status.IsOk() || limit.mode() == Stipulator::kNormal || GovernsMaster(element)) continue;
    const std::size_t order = annotated ? position : CommentPlaceOf(element).order;
    if (order == 0 || order > comments.comments.size()) continue;
    const TemplateComment& comment = comments.comments[order - 1];
    problems.push_back(TemplateProblem{
        order, comment.label, comment.nearText, comment.commandText,
        std::string("a LIMIT with ") + (limit.mode() == Stipulator::kOmit ? "OMIT" : "OTHERWISE") +
            " decides by the REPEAT of a MASTER, which must stand right before the LIMIT's "
            "region or inside it; there is none: generation stops here"});
  }
  std::stable_sort(
      problems.begin(), problems.end(), [](const TemplateProblem& a, const TemplateProblem& b) {
        return (a.order == 0 ? SIZE_MAX : a.order) < (b.order == 0 ? SIZE_MAX : b.order);
      });
  return problems;
}

std::string ProblemLine(const TemplateProblem& problem) {
  std::string line;
  if (problem.order == 0)
    line = "template";
  else if (problem.label.empty())
    line = "command " + std::to_string(problem.order) +
           (problem.nearText.empty() ? "" : " near \"" + problem.nearText + "\"");
  else
    line = DescribePlace(problem.label, problem.nearText);
  if (!problem.commandText.empty()) {
    std::string shown = ShortenedText(problem.commandText, kShownCommandText);
    if (shown.size() != problem.commandText.size())
      shown += " (" + std::to_string(problem.commandText.size()) + " characters)";
    line += " | " + shown;
  }
  return line + " | " + problem.what;
}

void AddTemplateProblems(const TemplateComments& comments, ErrorCollector& errors) {
  if (comments.comments.empty()) return;
  std::size_t named = 0;  // the comment whose problems are being added
  for (const TemplateProblem& problem : CheckTemplateComments(comments)) {
    if (problem.order == 0) continue;
    if (problem.order != named && errors.hasMessageAt(problem.order)) continue;
    named = problem.order;
    errors.addAt(problem.order, ProblemLine(problem));
  }
}
