// The reader of domain schema files: a parser over the word scanner that collects the whole
// schema first, then builds and registers the domain in one step.
#include "domains/remote_schema_reader.h"

#include <array>
#include <fstream>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "domains/domain_registry.h"
#include "domains/kestrel_failures.h"
#include "domains/remote_domain.h"
#include "domains/remote_schema_scanner.h"
#include "model/quire_attribute.h"
#include "model/quire_relationship.h"
#include "platform/file_io.h"

namespace {

// A class named by a schema: one of the file's own (by index) or a class of a domain that is
// already registered.
struct ClassTarget {
  int local = -1;
  QuireClass external;
};

struct ArgumentDecl {
  std::string name;
  int32_t type;
};

struct MemberDecl {
  std::string name;
  SchemaToken type;
  std::string queryWord;
  int line;
  ClassTarget target;  // relationships: resolved once the whole file is read
};

// The argument lists in the order of their keywords: connector, constructor, constructor2.
constexpr int kArgumentLists = 3;

struct ClassDecl {
  std::string name;
  std::vector<ClassTarget> superclasses;
  std::string extraWord;
  std::array<std::vector<ArgumentDecl>, kArgumentLists> arguments;
  int32_t persistentIdType = QuireType::UNDEFINED;
  std::vector<MemberDecl> members;
};

struct SchemaDecl {
  std::string name;
  std::string headerWord;
  std::vector<ClassDecl> classes;
};

int32_t PrimitiveType(SchemaTokenKind kind) {
  switch (kind) {
    case SchemaTokenKind::kBoolean:
      return QuireType::BOOLEAN;
    case SchemaTokenKind::kNumber:
      return QuireType::NUMBER;
    case SchemaTokenKind::kString:
      return QuireType::STRING;
    case SchemaTokenKind::kFilename:
      return QuireType::FILENAME;
    default:
      return QuireType::GRAPHIC;
  }
}

std::string LinePrefix(int line) { return "line " + std::to_string(line) + ": "; }

// The diagnostic's first line, without its line break: where the status says what went wrong.
std::string FirstLine(const std::string& diagnostic) {
  return diagnostic.substr(0, diagnostic.find('\n'));
}

[[noreturn]] void Fail(const std::string& diagnostic, HostMessageId message) {
  WriteFailureText(diagnostic);
  throw QuireStatus(kProcessingError, message, FirstLine(diagnostic));
}

// The class `className` of the registered domain `domainName`, or the undefined class.
QuireClass RegisteredClass(const std::string& domainName, const std::string& className) {
  QuireStatus status;
  QuireAbstractDomain& domain = DomainRegistry::instance().getDomain(status, domainName);
  if (!status.IsOk()) return QuireClass();
  const QuireClass cls = domain.findClass(className, status);
  return status.IsOk() ? cls : QuireClass();
}

class SchemaParser {
 public:
  explicit SchemaParser(std::istream& in) : scanner_(in) { advance(); }

  // Reads the whole file; throws QuireStatus on the first error.
  SchemaDecl parse() {
    expect(SchemaTokenKind::kDomain, "domain");
    schema_.name = expectName();
    schema_.headerWord = expectName();
    if (schema_.name == "Undefined" || DomainRegistry::instance().hasDomainNamed(schema_.name)) {
      const QuireStatus status(kDuplicateDomain, host_message::kDomainAlreadyRegistered);
      WriteFailureText("Error creating new domain: " + status.Text() + "\n");
      throw status;
    }
    while (token_.kind == SchemaTokenKind::kClass) parseClass();
    if (token_.kind != SchemaTokenKind::kEof) unexpected("class");
    resolveRelationshipTargets();
    return std::move(schema_);
  }

 private:
  void advance() { token_ = scanner_.next(); }

  [[noreturn]] void unexpected(const std::string& expected) const {
    Fail(LinePrefix(token_.line) + "Parse Error: expected " + expected + ", saw " + token_.word +
             "\nToken kind was " + std::to_string(static_cast<int>(token_.kind)) + "\n",
         host_message::kSchemaSyntaxError);
  }

  void expect(SchemaTokenKind kind, const char* expected) {
    if (token_.kind != kind) unexpected(expected);
    advance();
  }

  // Type keywords are names too wherever a name is expected.
  bool atName() const {
    return token_.kind == SchemaTokenKind::kName || IsPrimitiveType(token_.kind);
  }

  std::string expectName() {
    if (!atName()) unexpected("<NAME>");
    std::string name = token_.word;
    advance();
    return name;
  }

  void parseClass() {
    advance();  // "class"
    const int line = token_.line;
    ClassDecl decl;
    decl.name = expectName();
    if (!classIndex_.emplace(decl.name, static_cast<int>(schema_.classes.size())).second) {
      Fail(LinePrefix(line) + "class " + decl.name + " is declared twice\n",
           host_message::kSchemaSyntaxError);
    }
    while (token_.kind == SchemaTokenKind::kClassRef) {
      decl.superclasses.push_back(superclass(decl.name));
      advance();
    }
    if (atName()) {
      decl.extraWord = token_.word;
      advance();
    }
    parseArgumentLists(decl);
    if (token_.kind == SchemaTokenKind::kPersistentId) {
      advance();
      if (token_.kind != SchemaTokenKind::kString && token_.kind != SchemaTokenKind::kFilename) {
        Fail(LinePrefix(token_.line) + "persistent_id of class " + decl.name + " is of type " +
                 token_.word + "; it must be string or filename\n",
             host_message::kPersistentIdentifierType);
      }
      decl.persistentIdType = PrimitiveType(token_.kind);
      advance();
    }
    while (token_.kind == SchemaTokenKind::kSelector) decl.members.push_back(parseMember());
    expect(SchemaTokenKind::kEndClass, "end_class");
    schema_.classes.push_back(std::move(decl));
  }

  // The superclass that the current class reference names; it must be defined already.
  ClassTarget superclass(const std::string& className) {
    ClassTarget target;
    if (token_.domain == schema_.name) {
      if (token_.className == className) {
        Fail(LinePrefix(token_.line) + "class " + className + " names itself as its superclass\n",
             host_message::kSchemaSyntaxError);
      }
      const auto found = classIndex_.find(token_.className);
      if (found != classIndex_.end()) target.local = found->second;
    } else {
      target.external = RegisteredClass(token_.domain, token_.className);
    }
    if (target.local < 0 && target.external.isUndefined()) {
      Fail("******* Undefined Class -> [" + token_.domain + "::" + token_.className +
               "] used as superclass *********\n",
           host_message::kSuperclassBeforeDefinition);
    }
    return target;
  }

  void parseArgumentLists(ClassDecl& decl) {
    std::array<bool, kArgumentLists> seen{};
    for (;;) {
      int list;
      switch (token_.kind) {
        case SchemaTokenKind::kConnector:
          list = 0;
          break;
        case SchemaTokenKind::kConstructor:
          list = 1;
          break;
        case SchemaTokenKind::kConstructor2:
          list = 2;
          break;
        default:
          return;
      }
      if (seen[list]) {
        Fail(LinePrefix(token_.line) + "the " + token_.word + " list of class " + decl.name +
                 " is given twice\n",
             host_message::kArgumentListTwice);
      }
      seen[list] = true;
      advance();
      while (IsPrimitiveType(token_.kind)) {
        const int32_t type = PrimitiveType(token_.kind);
        advance();
        decl.arguments[list].push_back({expectName(), type});
      }
    }
  }

  MemberDecl parseMember() {
    MemberDecl member;
    member.line = token_.line;
    advance();  // "selector"
    member.name = expectName();
    if (!IsPrimitiveType(token_.kind) && token_.kind != SchemaTokenKind::kClassRef &&
        token_.kind != SchemaTokenKind::kClassSet)
      unexpected("a type");
    member.type = token_;
    advance();
    if (atName()) {
      member.queryWord = token_.word;
      advance();
    }
    return member;
  }

  // Every relationship's target class, of this file or of a registered domain. Names each one
  // that exists nowhere before failing.
  void resolveRelationshipTargets() {
    std::string firstUnknown;
    for (ClassDecl& decl : schema_.classes) {
      for (MemberDecl& member : decl.members) {
        const SchemaToken& type = member.type;
        if (type.kind != SchemaTokenKind::kClassRef && type.kind != SchemaTokenKind::kClassSet)
          continue;
        if (type.domain == schema_.name) {
          const auto found = classIndex_.find(type.className);
          if (found != classIndex_.end()) member.target.local = found->second;
        } else {
          member.target.external = RegisteredClass(type.domain, type.className);
        }
        if (member.target.local < 0 && member.target.external.isUndefined()) {
          const std::string line = LinePrefix(member.line) + "unknown result type: " + type.domain +
                                   "." + type.className;
          WriteFailureText(line + "\n");
          if (firstUnknown.empty()) firstUnknown = line;
        }
      }
    }
    if (!firstUnknown.empty()) {
      throw QuireStatus(kProcessingError, host_message::kUnknownTargetClass, firstUnknown);
    }
  }

  SchemaScanner scanner_;
  SchemaToken token_;
  SchemaDecl schema_;
  std::map<std::string, int> classIndex_;
};

// Adds a member to both lists of its class, so that lookups in either find it.
void AddToBoth(const QuireClass& cls, const QuireAttribute& attribute) {
  cls.attributeList(QuireFeatureList::kFirst).push_back(attribute);
  cls.attributeList(QuireFeatureList::kSecond).push_back(attribute);
}

void AddToBoth(const QuireClass& cls, const QuireRelationship& relationship) {
  const bool nary = relationship.kind() == QuireRelationship::kNary;
  for (const QuireFeatureList which : {QuireFeatureList::kFirst, QuireFeatureList::kSecond})
    (nary ? cls.naryList(which) : cls.unaryList(which)).push_back(relationship);
}

// Builds the domain that `schema` declares and registers it.
void BuildDomain(const SchemaDecl& schema) {
  auto domain = std::make_unique<QuireRemoteDomain>(schema.name, schema.headerWord);
  std::vector<QuireClass> classes;
  const auto classOf = [&classes](const ClassTarget& target) {
    return target.local >= 0 ? classes[target.local] : target.external;
  };

  for (const ClassDecl& decl : schema.classes) {
    const QuireClass cls = domain->addClass(decl.name);
    classes.push_back(cls);
    QuireRemoteDomain::ClassDetails& details = domain->details(cls);
    details.extraWord = decl.extraWord;
    details.persistentIdType = decl.persistentIdType;
    const std::array<std::vector<QuireAttribute>*, kArgumentLists> lists{
        &cls.connectorArguments(), &cls.constructorArguments(), &cls.selectorArguments()};
    for (int list = 0; list < kArgumentLists; ++list) {
      for (const ArgumentDecl& argument : decl.arguments[list])
        lists[list]->emplace_back(argument.name, argument.type, cls);
    }
  }

  for (std::size_t index = 0; index < classes.size(); ++index) {
    const QuireClass& cls = classes[index];
    for (const ClassTarget& superclass : schema.classes[index].superclasses)
      cls.addSuperclass(classOf(superclass));
    for (const MemberDecl& member : schema.classes[index].members) {
      const SchemaTokenKind kind = member.type.kind;
      if (kind == SchemaTokenKind::kFilename) continue;  // accepted, but makes no member
      if (IsPrimitiveType(kind)) {
        AddToBoth(cls, QuireAttribute(member.name, PrimitiveType(kind), cls));
      } else {
        AddToBoth(cls,
                  QuireRelationship(member.name,
                                    kind == SchemaTokenKind::kClassSet ? QuireRelationship::kNary
                                                                       : QuireRelationship::kUnary,
                                    cls, classOf(member.target)));
      }
      // Without a query word the member's queries begin with an empty word.
      domain->setQueryWord(cls, member.name, member.queryWord);
    }
  }

  // Inherited members join the lists that lookups use, after the class's own.
  for (const QuireClass& cls : classes) {
    for (const QuireRelationship& link : cls.allSuperclassLinks()) {
      const QuireClass& base = link.target();
      for (const QuireAttribute& attribute : base.attributes())
        cls.attributeList(QuireFeatureList::kFirst).push_back(attribute);
      for (const QuireRelationship& unary : base.unaryRelationships())
        cls.unaryList(QuireFeatureList::kFirst).push_back(unary);
      for (const QuireRelationship& nary : base.naryRelationships())
        cls.naryList(QuireFeatureList::kFirst).push_back(nary);
    }
  }
  DomainRegistry::instance().registerDomain(std::move(domain));
}

}  // namespace

bool ReadRemoteSchema(const std::string& path, QuireStatus& status) {
  status = QuireStatus();
  // A folder or a named pipe (which would block the reader) is not opened.
  std::ifstream in;
  if (platform::RegularFileFailure(path) == 0) in.open(path, std::ios::binary);
  if (!in.is_open()) {
    WriteFailureText("unable to open " + path + "\n");
    status = QuireStatus(kProcessingError, host_message::kFileNotOpened, path);
    return false;
  }
  try {
    SchemaParser parser(in);
    BuildDomain(parser.parse());
  } catch (const QuireStatus& failure) {
    status = failure;
  }
  return status.IsOk();
}
