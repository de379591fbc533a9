// QuireRemoteObject: an object of a remote domain, its class and the identifier that the domain
// library chose for it. Every operation is one or a few text queries to the library; failures
// are written to the diagnostic stream with the operation's name and reported through the status.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/quire_domain_object.h"
#include "model/quire_object.h"

class QuireRemoteObject : public QuireDomainObject {
 public:
  // The identifier of an object whose construction failed.
  static constexpr const char* kUndefinedIdentifier = "undefined";

  // Which argument list of its class an object is made from: "#Connect#", "#Construct#" or
  // "#Construct2#".
  enum ArgumentList : int { kConnectorList = 1, kConstructorList = 2, kConstructor2List = 3 };

  // An object that the library already named.
  QuireRemoteObject(QuireClass cls, std::string identifier);
  // Asks the library for the object of `cls` made from `values` by the list `listChoice`, then
  // for its actual class. On failure the status says why (kProcessingError with
  // host_message::kUnknownArgumentList for another choice, kArgumentMismatch with
  // host_message::kArgumentNotOfDeclaredClass for a value of another class than its declared
  // argument, the query's status, kInformationSourceError with host_message::kNothingReturned for
  // an empty answer, the class lookup's status for an unknown class) and the identifier is
  // "undefined".
  QuireRemoteObject(const QuireClass& cls, const QuireArgumentValues& values, int listChoice,
                    QuireStatus& status);

  const std::string& identifier() const { return identifier_; }
  bool isUndefined() const { return identifier_ == kUndefinedIdentifier; }

  QuireClass getClass(QuireStatus& status) const override;
  std::unique_ptr<QuireDomainObject> clone() const override;
  // "#Display# <id> <class>": the library shows the object; its answer is not used.
  void display(QuireStatus& status) const override;
  // "#Decompose# <id> <class>": one encoded line per constructor argument, typed by the
  // argument's declared type. A line more than the class declares: kArgumentMismatch
  // (host_message::kMoreArgumentsThanDeclared).
  void getConstructorArguments(QuireArgumentValues& list, bool flag,
                               QuireStatus& status) const override;

  // "#GetClass# <id> <class>": the object's actual class in its domain.
  QuireClass getDerivedClass(QuireStatus& status) const;

  // "<word> <id>" (" wdFormatHTML" added for a word containing "FormattedText"): the answer
  // typed by the attribute. A failed query: kProcessingError
  // (host_message::kAttributeValueUnreadable).
  QuireAttributeValue getAttributeValue(const QuireAttribute& attribute, const std::string& word,
                                        QuireStatus& status) const;
  // "<word> <id> <file>": the library describes the picture ("path format width height unit:");
  // the picture is then written to `file` and the value's graphic names `file`.
  QuireAttributeValue getGraphicAttributeValue(const QuireAttribute& attribute,
                                               const std::string& word, const std::string& file,
                                               QuireStatus& status) const;
  // "<word> <id>": the related object, of the relationship's target class or a subclass of it.
  // No object: kNoResult (host_message::kNoRelatedObject).
  QuireObject getUnaryRelatedObject(const QuireRelationship& relationship, const std::string& word,
                                    QuireStatus& status) const;
  // "<word> <id>": one identifier a line, in the library's order. At most `limit` objects are
  // made (the walk names a REPEAT limit when it sees more than it allows); the first object that
  // cannot be made stops the walk with its status, keeping the ones before it.
  void getNaryRelatedObjects(const QuireRelationship& relationship, const std::string& word,
                             std::uint64_t limit, QuireObjectList& result,
                             QuireStatus& status) const;

  // "#GetSelected#": the object selected in the library's own application, of a class of
  // `domain`. The undefined object when there is none or it cannot be made.
  static QuireObject getSelected(QuireAbstractDomain& domain, QuireStatus& status);

 private:
  const std::string& domainName() const;
  // The object named `identifier`, of the class that the library gives for it, which must be
  // `expected` or one of its subclasses. `operation` names the caller in the lines written on
  // failure.
  static QuireObject relatedObject(const QuireClass& expected, const std::string& identifier,
                                   const char* operation, QuireStatus& status);

  QuireClass class_;
  std::string identifier_ = kUndefinedIdentifier;
};
