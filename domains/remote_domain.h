// QuireRemoteDomain: a domain declared by a schema file (".dom") whose objects live in a domain
// library and are reached through text queries (QuireInformationQuery). The schema reader
// creates it and its classes; objects are QuireRemoteObject.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "foundation/quire_status.h"
#include "model/quire_abstract_domain.h"

class QuireRemoteDomain : public QuireAbstractDomain {
 public:
  // `headerWord`: the word after the domain name in the schema file's header (kept as is).
  QuireRemoteDomain(std::string name, std::string headerWord);

  const std::string& headerWord() const { return headerWord_; }

  // What the schema says of a class beyond its members and argument lists (which the class
  // record itself keeps: connector, constructor and constructor2 as the connector, constructor
  // and selector argument lists).
  struct ClassDetails {
    std::string extraWord;                            // the optional word after the superclasses
    int32_t persistentIdType = QuireType::UNDEFINED;  // STRING or FILENAME when declared
  };
  ClassDetails& details(const QuireClass& cls) { return details_[cls.record()]; }
  const ClassDetails* findDetails(const QuireClass& cls) const;

  // The word that starts the queries of a member (attribute or relationship) declared by `cls`.
  void setQueryWord(const QuireClass& cls, const std::string& member, std::string word);
  // The member's query word; "" when it has none.
  std::string queryWord(const QuireClass& cls, const std::string& member) const;

  // The schema arrived with the schema file: nothing to load.
  void loadSchema(QuireStatus& status) override;
  // "--- Domain clean: remote domain <name>", then "#Clean#" to the library.
  void clean() override;
  // "--- Domain refresh: remote domain <name>", then "#Refresh#" to the library.
  virtual void refreshRemote();

  // Asks the library for a schema made for `selection` ("#GetSchema#") and reloads the domain
  // from it; the objects list stays empty.
  QuireObjectList getSelectedObjects(QuireStatus& status, const std::string& selection) override;
  QuireObject getSelectedObject(QuireStatus& status, const QuireClass& cls,
                                const std::string& identifier) override;
  // Completeness 1 constructs from the connector list, otherwise from the constructor list
  // (or the constructor2 list when the values are its arguments).
  QuireObject makeObject(const QuireClass& cls, const QuireArgumentValues& values,
                         QuireStatus& status, int completeness) override;
  QuireAttributeValue getGraphicAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                               const std::string& imageName,
                                               const QuireObject& local) override;
  QuireAttributeValue getAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                        const QuireObject& local) override;
  QuireObject getUnaryRelatedObject(QuireStatus& status, const QuireRelationship& relationship,
                                    const QuireObject& local) override;
  void getNaryRelatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                             const QuireObject& local, QuireObjectList& result) override;

 private:
  std::string headerWord_;
  std::map<const QuireClassRecord*, ClassDetails> details_;
  std::map<std::pair<const QuireClassRecord*, std::string>, std::string> queryWords_;
};
