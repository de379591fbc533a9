// QuireAbstractDomain: one information source. It owns its schema (loaded on first use) and
// makes objects, reads values and navigates relationships for the object model. Every
// operation sets the status it is given and returns a usable fallback on failure.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/quire_attribute_value.h"
#include "model/quire_class.h"
#include "model/quire_object.h"
#include "model/quire_query_filter.h"
#include "model/quire_relationship.h"

class QuireAbstractDomain {
 public:
  // `externalSchema`: schema and data are served from outside the library (remote and COM
  // domains). `converting`: objects of this domain used with a class of a domain without the
  // flag are converted to local objects.
  QuireAbstractDomain(std::string name, bool externalSchema, bool converting);
  QuireAbstractDomain(const QuireAbstractDomain&) = delete;
  QuireAbstractDomain& operator=(const QuireAbstractDomain&) = delete;
  virtual ~QuireAbstractDomain();

  // Fills the class list (called once, on the first request for it).
  virtual void loadSchema(QuireStatus& status) = 0;
  // Default: writes "QuireAbstractDomain: In default refresh for domain <name>".
  virtual void refresh();
  // Default: writes "QuireAbstractDomain: In default clean for domain <name>".
  virtual void clean();
  virtual QuireObjectList getSelectedObjects(QuireStatus& status, const std::string& selection) = 0;
  virtual QuireObject getSelectedObject(QuireStatus& status, const QuireClass& cls,
                                        const std::string& identifier) = 0;
  // `completeness`: 1, 2 or 3 (how much of the identifying text the values cover).
  virtual QuireObject makeObject(const QuireClass& cls, const QuireArgumentValues& values,
                                 QuireStatus& status, int completeness) = 0;
  virtual QuireAttributeValue getGraphicAttributeValue(QuireStatus& status,
                                                       const QuireAttribute& attribute,
                                                       const std::string& imageName,
                                                       const QuireObject& local) = 0;
  virtual QuireAttributeValue getAttributeValue(QuireStatus& status,
                                                const QuireAttribute& attribute,
                                                const QuireObject& local) = 0;
  virtual QuireObject getUnaryRelatedObject(QuireStatus& status,
                                            const QuireRelationship& relationship,
                                            const QuireObject& local) = 0;
  virtual void getNaryRelatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                                     const QuireObject& local, QuireObjectList& result) = 0;

  // A fresh query filter for a REPEAT's predicate, or null when the domain has none (the
  // default): the predicate then runs object by object.
  virtual std::unique_ptr<QuireQueryFilter> newQueryFilter() { return nullptr; }
  // The related objects restricted by `filter` (made by newQueryFilter and filled by the
  // predicate). The default ignores the filter. kNotImplemented tells the caller that the data
  // source could not evaluate the filter: the caller then filters the related objects itself.
  virtual void getFilteredNaryRelatedObjects(QuireStatus& status,
                                             const QuireRelationship& relationship,
                                             const QuireObject& local,
                                             const QuireQueryFilter& filter,
                                             QuireObjectList& result) {
    getNaryRelatedObjects(status, relationship, local, result);
  }

  const std::string& name() const { return name_; }
  // An empty alias or aka reads as the name.
  const std::string& alias() const { return alias_.empty() ? name_ : alias_; }
  const std::string& aka() const { return aka_.empty() ? name_ : aka_; }
  void setAlias(std::string alias) { alias_ = std::move(alias); }
  void setAka(std::string aka) { aka_ = std::move(aka); }
  bool hasExternalSchema() const { return externalSchema_; }
  bool isConverting() const { return converting_; }
  const std::string& text() const { return text_; }
  void setText(std::string text) { text_ = std::move(text); }

  // The schema's classes in creation order; the first call loads the schema (and writes the
  // schema dump when "DumpClasses" is "TRUE").
  const std::vector<QuireClass>& classList();
  // The class with that name, alias or aka (the schema is loaded first when needed). On
  // failure: kEvaluationError (host_message::kNotDefined with the name) and the undefined class.
  QuireClass findClass(const std::string& name, QuireStatus& status);

  // Creates a class record owned by this domain, binds its name and returns the handle. The
  // loaders call it from loadSchema (it does not trigger loading).
  QuireClass addClass(const std::string& name);
  // Binds or unbinds an extra name of a class in the class-name table.
  void bindClassName(const std::string& key, const QuireClass& cls);
  void unbindClassName(const std::string& key);
  // The class bound to `key` in the class-name table, or the undefined class; never loads.
  QuireClass boundClass(const std::string& key) const;

  // Writes the schema dump file into the product home folder and echoes it to standard output.
  void dumpSchema();

 private:
  void ensureLoaded();

  std::string name_;
  std::string alias_;
  std::string aka_;
  bool externalSchema_;
  bool converting_;
  std::string text_;
  bool loaded_ = false;
  bool loading_ = false;
  std::vector<std::unique_ptr<QuireClassRecord>> records_;
  std::vector<QuireClass> classes_;
  std::unordered_map<std::string, QuireClass> classNames_;
};
