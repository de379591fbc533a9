// The remote domain: its schema details, and its data operations as queries to the domain
// library (through QuireRemoteObject).
#include "domains/remote_domain.h"

#include <functional>
#include <memory>
#include <utility>

#include "domains/domain_loader.h"
#include "domains/domain_registry.h"
#include "domains/information_query.h"
#include "domains/kestrel_failures.h"
#include "domains/kestrel_pictures.h"
#include "domains/remote_object.h"
#include "domains/remote_schema_reader.h"
#include "foundation/quire_status.h"
#include "model/picture_request.h"
#include "platform/work_limits.h"

namespace {

void WriteLine(const std::string& text) { WriteFailureText(text + "\n"); }

// The remote object that `local` holds, or null with the status set.
const QuireRemoteObject* RemoteObjectOf(const QuireObject& local, const std::string& domain,
                                        QuireStatus& status) {
  status = QuireStatus();
  const auto* object = local.as<QuireRemoteObject>();
  if (object == nullptr) {
    status = QuireStatus(kClassMismatch, "QuireRemoteDomain: not an object of the domain ", domain);
  }
  return object;
}

// True when `values` are, in order, the values of exactly the arguments of `list`.
bool AreValuesOf(const QuireArgumentValues& values, const std::vector<QuireAttribute>& list) {
  if (list.empty() || values.size() != list.size()) return false;
  for (size_t index = 0; index < values.size(); ++index) {
    const QuireAttribute& attribute = values[index].attribute();
    if (attribute.name() != list[index].name() || attribute.getClass() != list[index].getClass()) {
      return false;
    }
  }
  return true;
}

// A file-name part that keeps letters, digits, "-" and "." and writes every other byte as "_"
// and its two hexadecimal digits, so that different texts never share a name.
std::string FileNamePart(const std::string& text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string part;
  for (const char c : text) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.';
    if (kept) {
      part += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      part += '_';
      part += kDigits[byte >> 4];
      part += kDigits[byte & 0xF];
    }
  }
  // File names have a length limit; a long identifier keeps its start and a hash of the rest.
  if (part.size() > 120) {
    part = part.substr(0, 100) + "_" + std::to_string(std::hash<std::string>()(part));
  }
  return part;
}

}  // namespace

QuireRemoteDomain::QuireRemoteDomain(std::string name, std::string headerWord)
    : QuireAbstractDomain(std::move(name), true, true), headerWord_(std::move(headerWord)) {}

const QuireRemoteDomain::ClassDetails* QuireRemoteDomain::findDetails(const QuireClass& cls) const {
  const auto found = details_.find(cls.record());
  return found == details_.end() ? nullptr : &found->second;
}

void QuireRemoteDomain::setQueryWord(const QuireClass& cls, const std::string& member,
                                     std::string word) {
  queryWords_[{cls.record(), member}] = std::move(word);
}

std::string QuireRemoteDomain::queryWord(const QuireClass& cls, const std::string& member) const {
  const auto found = queryWords_.find({cls.record(), member});
  return found == queryWords_.end() ? std::string() : found->second;
}

void QuireRemoteDomain::loadSchema(QuireStatus& status) { status = QuireStatus(); }

void QuireRemoteDomain::clean() {
  WriteLine("--- Domain clean: remote domain " + name());
  QuireStatus status;
  std::string response;
  QuireInformationQuery::makeQuery(name(), "#Clean#", response, status);
  if (!status.IsOk()) {
    WriteLine("--- QuireRemoteObject::cleanDomain: Status from domain " + name() +
              " for clean: " + status.Text());
  }
}

void QuireRemoteDomain::refreshRemote() {
  WriteLine("--- Domain refresh: remote domain " + name());
  QuireStatus status;
  std::string response;
  QuireInformationQuery::makeQuery(name(), "#Refresh#", response, status);
  if (!status.IsOk()) {
    WriteLine("--- QuireRemoteObject::refreshDomain: Status from domain " + name() +
              " for refresh: " + status.Text());
  }
}

QuireObjectList QuireRemoteDomain::getSelectedObjects(QuireStatus& status,
                                                      const std::string& selection) {
  status = QuireStatus();
  std::string response;
  QuireInformationQuery::makeQuery(name(), "#GetSchema# " + EncodeQueryArgument(selection) + "\n",
                                   response, status);
  if (!status.IsOk()) {
    WriteLine(status.Text());
    return {};
  }
  const std::string path = ResponseText(response);
  if (path.empty()) return {};
  auto readSchema = InstalledDomainReaders().schemaFile;
  if (!readSchema) readSchema = ReadRemoteSchema;

  // The reader registers the domain anew under the same name. This one is parked, not
  // destroyed: callers further up hold references to it, and the classes and objects of earlier
  // commands point into its class records.
  DomainRegistry& registry = DomainRegistry::instance();
  const std::size_t place = registry.retireDomain(*this);
  QuireStatus readStatus;
  if (!readSchema(path, readStatus)) {
    if (readStatus.IsOk()) {
      readStatus = QuireStatus(kProcessingError, host_message::kSchemaUnreadable, path, "");
    }
    WriteLine(readStatus.Text());
    status = readStatus;
    // A schema that cannot be read registers nothing: the domain as it was serves on, rather
    // than leave every later lookup of its name failing.
    if (!registry.hasDomainNamed(name())) registry.reinstateDomain(*this, place);
    return {};
  }
  // The extensions may name classes of the new schema; a failure there leaves the reload done.
  QuireStatus extensionStatus;
  readDomainExtensionsAgain(extensionStatus);
  if (!extensionStatus.IsOk()) WriteLine(extensionStatus.Text());
  return {};
}

QuireObject QuireRemoteDomain::getSelectedObject(QuireStatus& status, const QuireClass& /*cls*/,
                                                 const std::string& /*identifier*/) {
  // The library knows its own selection; the identifier only said that there is one.
  return QuireRemoteObject::getSelected(*this, status);
}

QuireObject QuireRemoteDomain::makeObject(const QuireClass& cls, const QuireArgumentValues& values,
                                          QuireStatus& status, int completeness) {
  int list = QuireRemoteObject::kConstructorList;
  if (completeness == 1) {
    list = QuireRemoteObject::kConnectorList;
  } else if (!AreValuesOf(values, cls.constructorArguments()) &&
             AreValuesOf(values, cls.selectorArguments())) {
    list = QuireRemoteObject::kConstructor2List;
  }
  auto object = std::make_unique<QuireRemoteObject>(cls, values, list, status);
  if (!status.IsOk()) {
    WriteFailureText("***makeObject returning undefined object***\n");
    return QuireObject();
  }
  return QuireObject(std::move(object));
}

QuireAttributeValue QuireRemoteDomain::getGraphicAttributeValue(QuireStatus& status,
                                                                const QuireAttribute& attribute,
                                                                const std::string& imageName,
                                                                const QuireObject& local) {
  const QuireRemoteObject* object = RemoteObjectOf(local, name(), status);
  if (object == nullptr) return QuireAttributeValue();
  const std::string word = queryWord(attribute.getClass(), attribute.name());
  // The page asks for a format and size; any other image name is the file to write.
  PictureRequest request;
  std::string file = PictureRequest::read(imageName, request) ? request.path : imageName;
  if (file.empty()) {
    const std::string extension = PictureExtension(request.format);
    file = PictureFolder(name()) + "/" + FileNamePart(object->identifier()) + "_" +
           FileNamePart(word) + (extension == "asis" ? "" : "." + extension);
  }
  return object->getGraphicAttributeValue(attribute, word, file, status);
}

QuireAttributeValue QuireRemoteDomain::getAttributeValue(QuireStatus& status,
                                                         const QuireAttribute& attribute,
                                                         const QuireObject& local) {
  const QuireRemoteObject* object = RemoteObjectOf(local, name(), status);
  if (object == nullptr) return QuireAttributeValue();
  return object->getAttributeValue(attribute, queryWord(attribute.getClass(), attribute.name()),
                                   status);
}

QuireObject QuireRemoteDomain::getUnaryRelatedObject(QuireStatus& status,
                                                     const QuireRelationship& relationship,
                                                     const QuireObject& local) {
  const QuireRemoteObject* object = RemoteObjectOf(local, name(), status);
  if (object == nullptr) return QuireObject();
  return object->getUnaryRelatedObject(
      relationship, queryWord(relationship.source(), relationship.name()), status);
}

void QuireRemoteDomain::getNaryRelatedObjects(QuireStatus& status,
                                              const QuireRelationship& relationship,
                                              const QuireObject& local, QuireObjectList& result) {
  result.clear();
  const QuireRemoteObject* object = RemoteObjectOf(local, name(), status);
  if (object == nullptr) return;
  // One object past the REPEAT limit, so that the walk sees the limit passed and names it,
  // without making (and asking the class of) every line of a runaway answer.
  const std::uint64_t limit = platform::ConfiguredLimit(platform::kMaxRepeatObjectsKey,
                                                        platform::kDefaultMaxRepeatObjects) +
                              1;
  object->getNaryRelatedObjects(relationship, queryWord(relationship.source(), relationship.name()),
                                limit, result, status);
}
