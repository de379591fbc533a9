// Objects of remote domains: construction, class, arguments, values and navigation by query.
#include "domains/remote_object.h"

#include <string_view>
#include <utility>
#include <vector>

#include "domains/information_query.h"
#include "domains/kestrel_failures.h"
#include "foundation/quire_status.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_attribute.h"
#include "model/quire_attribute_value.h"
#include "model/quire_graphic.h"
#include "model/quire_relationship.h"
#include "platform/file_io.h"

namespace {

// One line on the diagnostic stream.
void WriteLine(const std::string& text) { WriteFailureText(text + "\n"); }

// Sends `query` to the library of `domain`; `text` receives the answer without its final
// character.
bool Ask(const std::string& domain, const std::string& query, std::string& text,
         QuireStatus& status) {
  status = QuireStatus();
  std::string response;
  QuireInformationQuery::makeQuery(domain, query, response, status);
  if (!status.IsOk()) return false;
  text = ResponseText(response);
  return true;
}

// How asking for an object's class ended.
enum class ClassAnswer { kFound, kQueryFailed, kEmpty, kUnknown };

// "#GetClass# <identifier> <className>", the answer looked up in `domain`.
ClassAnswer AskClass(QuireAbstractDomain& domain, const std::string& identifier,
                     const std::string& className, QuireClass& cls, std::string& query,
                     QuireStatus& status) {
  query = "#GetClass# " + identifier + " " + className;
  std::string answer;
  if (!Ask(domain.name(), query, answer, status)) return ClassAnswer::kQueryFailed;
  if (answer.empty()) {
    status =
        QuireStatus(kInformationSourceError, host_message::kNothingReturned, identifier, query);
    return ClassAnswer::kEmpty;
  }
  cls = domain.findClass(answer, status);
  return status.IsOk() ? ClassAnswer::kFound : ClassAnswer::kUnknown;
}

// Writes the picture that `graphic` names into `file`, unless the library already wrote it
// there.
void WriteImage(const QuireGraphic& graphic, const std::string& file, QuireStatus& status) {
  status = QuireStatus();
  if (graphic.path() == file) return;
  std::string bytes;
  std::string reason;
  if (!platform::ReadWholeFile(graphic.path(), bytes, reason)) {
    status = QuireStatus(kFileNotFound, host_message::kFileNotOpened, graphic.path());
    status = QuireStatus(kFileNotFound, status.Message() + " " + reason);
    return;
  }
  if (const int error = platform::ReplaceFile(file, bytes); error != 0) {
    status = QuireStatus(kProcessingError, file + ": " + platform::SystemErrorText(error));
  }
}

// `graphic` with `path` as its picture file.
QuireGraphic MovedTo(const QuireGraphic& graphic, const std::string& path) {
  QuireGraphic moved(path, graphic.format());
  moved.setFurtherField(graphic.furtherField());
  moved.setSize(graphic.width(), graphic.height(), graphic.unit());
  return moved;
}

}  // namespace

QuireRemoteObject::QuireRemoteObject(QuireClass cls, std::string identifier)
    : class_(cls), identifier_(std::move(identifier)) {}

QuireRemoteObject::QuireRemoteObject(const QuireClass& cls, const QuireArgumentValues& values,
                                     int listChoice, QuireStatus& status)
    : class_(cls) {
  status = QuireStatus();
  const std::string prefix = "*** QuireRemoteObject::QuireRemoteObject: ";
  const char* keyword = nullptr;
  const std::vector<QuireAttribute>* declared = nullptr;
  switch (listChoice) {
    case kConnectorList:
      keyword = "#Connect# ";
      declared = &cls.connectorArguments();
      break;
    case kConstructorList:
      keyword = "#Construct# ";
      declared = &cls.constructorArguments();
      break;
    case kConstructor2List:
      keyword = "#Construct2# ";
      declared = &cls.selectorArguments();
      break;
    default:
      status = QuireStatus(kProcessingError, host_message::kUnknownArgumentList);
      return;
  }

  std::string query = keyword + cls.name();
  for (size_t index = 0; index < values.size(); ++index) {
    // A value without a declared argument has nothing to be checked against: it is refused too.
    if (index >= declared->size() ||
        values[index].attribute().getClass() != (*declared)[index].getClass()) {
      status = QuireStatus(kArgumentMismatch, host_message::kArgumentNotOfDeclaredClass);
      return;
    }
    const std::string text = values[index].shortText(status);
    if (!status.IsOk()) return;
    query += " " + EncodeQueryArgument(text);
  }

  std::string identifier;
  if (!Ask(cls.domain().name(), query, identifier, status)) {
    WriteLine(prefix + "Bad status from query - " + status.Text());
    return;
  }
  if (identifier.empty()) {
    WriteLine(prefix + "No argument returned");
    status =
        QuireStatus(kInformationSourceError, host_message::kNothingReturned, cls.name(), query);
    return;
  }

  QuireClass actual;
  std::string classQuery;
  if (AskClass(cls.domain(), identifier, cls.name(), actual, classQuery, status) !=
      ClassAnswer::kFound) {
    WriteLine(prefix + "Could not get object class - " + status.Text());
    return;
  }
  class_ = actual;
  identifier_ = identifier;
}

const std::string& QuireRemoteObject::domainName() const { return class_.domain().name(); }

QuireClass QuireRemoteObject::getClass(QuireStatus& status) const {
  status = QuireStatus();
  return class_;
}

std::unique_ptr<QuireDomainObject> QuireRemoteObject::clone() const {
  return std::make_unique<QuireRemoteObject>(*this);
}

void QuireRemoteObject::display(QuireStatus& status) const {
  std::string ignored;
  if (!Ask(domainName(), "#Display# " + identifier_ + " " + class_.name(), ignored, status)) {
    WriteLine("*** QuireRemoteObject::display: Bad status from query: " + status.Text());
  }
}

void QuireRemoteObject::getConstructorArguments(QuireArgumentValues& list, bool /*flag*/,
                                                QuireStatus& status) const {
  const std::string prefix = "*** QuireRemoteObject::getConstructorArguments: ";
  list.clear();
  status = QuireStatus();
  std::string response;
  QuireInformationQuery::makeQuery(domainName(), "#Decompose# " + identifier_ + " " + class_.name(),
                                   response, status);
  if (!status.IsOk()) {
    WriteLine(prefix + "Bad status from query: " + status.Text());
    return;
  }
  const std::vector<QuireAttribute>& declared = class_.constructorArguments();
  for (const std::string& line : ResponseLines(response)) {
    if (list.size() >= declared.size()) {
      list.clear();
      status = QuireStatus(kArgumentMismatch, host_message::kMoreArgumentsThanDeclared);
      WriteLine(prefix + "Argument mismatch: " + status.Text());
      return;
    }
    list.push_back(QuireAttributeValue::fromText(DecodeQueryArgument(line), declared[list.size()]));
  }
}

QuireClass QuireRemoteObject::getDerivedClass(QuireStatus& status) const {
  const std::string prefix = "*** QuireRemoteObject::getDerivedClass: ";
  QuireClass cls;
  std::string query;
  switch (AskClass(class_.domain(), identifier_, class_.name(), cls, query, status)) {
    case ClassAnswer::kFound:
      return cls;
    case ClassAnswer::kQueryFailed:
      WriteLine(prefix + "Bad status from query -> " + status.Text());
      break;
    case ClassAnswer::kEmpty:
      WriteLine(prefix + "No argument returned");
      break;
    case ClassAnswer::kUnknown:
      WriteLine(prefix + "Could not construct class - " + status.Text());
      break;
  }
  return QuireClass();
}

QuireAttributeValue QuireRemoteObject::getAttributeValue(const QuireAttribute& attribute,
                                                         const std::string& word,
                                                         QuireStatus& status) const {
  std::string query = word + " " + identifier_;
  // Formatted texts are asked for as HTML, which the page takes as it is.
  if (word.find("FormattedText") != std::string::npos) query += " wdFormatHTML";
  std::string text;
  if (!Ask(domainName(), query, text, status)) {
    WriteLine("*** QuireRemoteObject::getAttributeValue: Bad status from query: " + status.Text());
    status = QuireStatus(kProcessingError, host_message::kAttributeValueUnreadable);
    return QuireAttributeValue();
  }
  return QuireAttributeValue::fromText(text, attribute);
}

QuireAttributeValue QuireRemoteObject::getGraphicAttributeValue(const QuireAttribute& attribute,
                                                                const std::string& word,
                                                                const std::string& file,
                                                                QuireStatus& status) const {
  const std::string prefix = "*** QuireRemoteObject::getGraphicAttributeValue: ";
  std::string description;
  if (!Ask(domainName(), word + " " + identifier_ + " " + file, description, status)) {
    WriteLine(prefix + "Bad status from query: " + status.Text());
    return QuireAttributeValue();
  }
  if (description.empty()) {
    WriteLine(prefix + "No argument returned");
    status =
        QuireStatus(kInformationSourceError, host_message::kNoPictureReturned, word, domainName());
    return QuireAttributeValue();
  }
  const QuireGraphic graphic = QuireGraphic::fromDescription(description, status);
  if (!status.IsOk()) {
    WriteLine(prefix + "could not construct graphic object - " + status.Text());
    return QuireAttributeValue();
  }
  WriteImage(graphic, file, status);
  if (!status.IsOk()) {
    WriteLine(prefix + "Bad status from QuireGraphic::writeImage(): " + status.Text());
    return QuireAttributeValue();
  }
  return QuireAttributeValue(attribute, MovedTo(graphic, file));
}

QuireObject QuireRemoteObject::relatedObject(const QuireClass& expected,
                                             const std::string& identifier, const char* operation,
                                             QuireStatus& status) {
  const std::string prefix = std::string("*** QuireRemoteObject::") + operation + ": ";
  QuireClass cls;
  std::string query;
  if (AskClass(expected.domain(), identifier, expected.name(), cls, query, status) !=
      ClassAnswer::kFound) {
    WriteLine(prefix + "Could not get object class - " + status.Text());
    return QuireObject();
  }
  // An object of an unrelated class would be asked for members its class does not have.
  if (!cls.isSubclassOf(expected)) {
    status = QuireStatus(kClassMismatch, host_message::kClassMismatchBetween, cls.name(),
                         expected.name());
    WriteLine(prefix + "Could not construct remote object - " + status.Text());
    return QuireObject();
  }
  return QuireObject(std::make_unique<QuireRemoteObject>(cls, identifier));
}

QuireObject QuireRemoteObject::getUnaryRelatedObject(const QuireRelationship& relationship,
                                                     const std::string& word,
                                                     QuireStatus& status) const {
  std::string identifier;
  if (!Ask(domainName(), word + " " + identifier_, identifier, status)) {
    WriteLine("*** QuireRemoteObject::getUnaryRelatedObject: Bad status from query: " +
              status.Text());
    return QuireObject();
  }
  // No related object is an empty result, not a failure of the library.
  if (identifier.empty()) {
    status = QuireStatus(kNoResult, host_message::kNoRelatedObject);
    return QuireObject();
  }
  return relatedObject(relationship.target(), identifier, "getUnaryRelatedObject", status);
}

void QuireRemoteObject::getNaryRelatedObjects(const QuireRelationship& relationship,
                                              const std::string& word, std::uint64_t limit,
                                              QuireObjectList& result, QuireStatus& status) const {
  result.clear();
  std::string answer;
  if (!Ask(domainName(), word + " " + identifier_, answer, status)) {
    WriteLine("*** QuireRemoteObject::getNaryRelatedObjects: Bad status from query: " +
              status.Text());
    return;
  }
  // The lines are read where they stand: a listing far beyond the limit is never split up.
  const std::string_view lines(answer);
  size_t start = 0;
  while (start < lines.size() && result.size() < limit) {
    size_t end = lines.find('\n', start);
    if (end == std::string_view::npos) end = lines.size();
    std::string identifier(lines.substr(start, end - start));
    start = end + 1;
    // Lines ended by "\r\n" read as the other answers' lines do.
    if (!identifier.empty() && identifier.back() == '\r') identifier.pop_back();
    if (identifier.empty()) continue;
    QuireObject object =
        relatedObject(relationship.target(), identifier, "getNaryRelatedObjects", status);
    if (!status.IsOk()) return;
    result.push_back(std::move(object));
  }
}

QuireObject QuireRemoteObject::getSelected(QuireAbstractDomain& domain, QuireStatus& status) {
  status = QuireStatus();
  std::string response;
  QuireInformationQuery::makeQuery(domain.name(), "#GetSelected#", response, status);
  if (!status.IsOk()) {
    WriteLine("*** QuireRemoteDomain::getSelectedObject: Bad status from query - " + status.Text());
    return QuireObject();
  }
  const std::vector<std::string> lines = ResponseLines(response);
  const std::string identifier = lines.empty() ? std::string() : lines[0];
  if (identifier.empty()) {
    WriteLine("*** QuireRemoteObject::getSelected: empty object Id.");
    status = QuireStatus(kNoResult, "QuireRemoteObject::getSelected: empty object Id.");
    return QuireObject();
  }
  const QuireClass cls = domain.findClass(lines.size() > 1 ? lines[1] : std::string(), status);
  if (!status.IsOk()) {
    WriteLine("*** QuireRemoteObject::getSelected: Could not get object class - " + status.Text());
    return QuireObject();
  }
  return QuireObject(std::make_unique<QuireRemoteObject>(cls, identifier));
}
