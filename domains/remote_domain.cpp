#include "domains/remote_domain.h"

// Placeholder bodies for the data operations, replaced by the query-backed implementation.

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
void QuireRemoteDomain::clean() {}
void QuireRemoteDomain::refreshRemote() {}

QuireObjectList QuireRemoteDomain::getSelectedObjects(QuireStatus& status, const std::string&) {
  status = QuireStatus(kNotImplemented, "QuireRemoteDomain");
  return {};
}
QuireObject QuireRemoteDomain::getSelectedObject(QuireStatus& status, const QuireClass&,
                                                 const std::string&) {
  status = QuireStatus(kNotImplemented, "QuireRemoteDomain");
  return {};
}
QuireObject QuireRemoteDomain::makeObject(const QuireClass&, const QuireArgumentValues&,
                                          QuireStatus& status, int) {
  status = QuireStatus(kNotImplemented, "QuireRemoteDomain");
  return {};
}
QuireAttributeValue QuireRemoteDomain::getGraphicAttributeValue(QuireStatus& status,
                                                                const QuireAttribute&,
                                                                const std::string&,
                                                                const QuireObject&) {
  status = QuireStatus(kNotImplemented, "QuireRemoteDomain");
  return {};
}
QuireAttributeValue QuireRemoteDomain::getAttributeValue(QuireStatus& status, const QuireAttribute&,
                                                         const QuireObject&) {
  status = QuireStatus(kNotImplemented, "QuireRemoteDomain");
  return {};
}
QuireObject QuireRemoteDomain::getUnaryRelatedObject(QuireStatus& status, const QuireRelationship&,
                                                     const QuireObject&) {
  status = QuireStatus(kNotImplemented, "QuireRemoteDomain");
  return {};
}
void QuireRemoteDomain::getNaryRelatedObjects(QuireStatus& status, const QuireRelationship&,
                                              const QuireObject&, QuireObjectList&) {
  status = QuireStatus(kNotImplemented, "QuireRemoteDomain");
}
