#include "model/quire_abstract_domain.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>

#include "foundation/quire_status.h"
#include "model/quire_class_record.h"
#include "platform/config.h"
#include "platform/file_io.h"
#include "platform/log.h"
#include "platform/own_strings.h"

namespace {

void WriteError(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

// ", alias X " and ", aka Y " for the names that differ from `name`.
std::string OtherNames(const std::string& name, const std::string& alias, const std::string& aka,
                       const char* trailer) {
  std::string text;
  if (alias != name) text += ", alias " + alias + trailer;
  if (aka != name) text += ", aka " + aka + trailer;
  return text;
}

std::string LinkLine(const QuireRelationship& link) {
  return link.name() + ", " + link.target().name() +
         OtherNames(link.name(), link.displayAlias(), link.displayAka(), " ") + "\n";
}

std::string ClassDump(const QuireClass& cls) {
  std::string text = "Class : " + cls.name();
  if (!cls.superclassLinks().empty()) {
    text += ", from ";
    for (const QuireRelationship& link : cls.superclassLinks()) text += link.name() + " ";
  }
  text += "\n";
  text += OtherNames(cls.name(), cls.displayAlias(), cls.displayAka(), " ") + "\n";

  text += "    Immediate SubClass Relationships: \n";
  for (const QuireRelationship& link : cls.subclassLinks()) text += LinkLine(link);
  text += "    All SuperClass Relationships: \n";
  for (const QuireRelationship& link : cls.allSuperclassLinks()) text += LinkLine(link);
  text += "    All SubClass Relationships: \n";
  for (const QuireRelationship& link : cls.allSubclassLinks()) text += LinkLine(link);

  for (const QuireAttribute& attribute : cls.attributes()) {
    text += "   attribute " + attribute.name() +
            OtherNames(attribute.name(), attribute.displayAlias(), attribute.displayAka(), "") +
            "\n";
  }
  for (const QuireRelationship& relationship : cls.unaryRelationships()) {
    text += "    unary_relationship " + LinkLine(relationship);
  }
  for (const QuireRelationship& relationship : cls.naryRelationships()) {
    text += "    nary_relationship " + LinkLine(relationship);
  }
  return text;
}

}  // namespace

QuireAbstractDomain::QuireAbstractDomain(std::string name, bool externalSchema, bool converting)
    : name_(std::move(name)), externalSchema_(externalSchema), converting_(converting) {}

QuireAbstractDomain::~QuireAbstractDomain() = default;

void QuireAbstractDomain::refresh() {
  WriteError("QuireAbstractDomain: In default refresh for domain " + name_ + "\n");
}

void QuireAbstractDomain::clean() {
  WriteError("QuireAbstractDomain: In default clean for domain " + name_ + "\n");
}

const std::vector<QuireClass>& QuireAbstractDomain::classList() {
  ensureLoaded();
  return classes_;
}

void QuireAbstractDomain::ensureLoaded() {
  // A loader that asks for its own classes while loading sees what it has made so far.
  if (loaded_ || loading_) return;
  loading_ = true;
  QuireStatus status;
  try {
    loadSchema(status);
  } catch (const QuireStatus& thrown) {
    status = thrown;
  } catch (const std::bad_alloc&) {
    // A schema cut short by a shortage of memory must not serve the request as if it were whole
    // (its classes would lack members and identifiers): the request fails instead.
    loading_ = false;
    loaded_ = true;
    platform::Log("QuireAbstractDomain::loadSchema: out of memory", platform::kLogCriticalError);
    throw;
  } catch (const std::exception& error) {
    status = QuireStatus(kProcessingError, "QuireAbstractDomain::loadSchema: ", error.what());
  }
  loading_ = false;
  loaded_ = true;
  if (!status.IsOk()) {
    platform::Log(status.Text(), platform::kLogCriticalError);
    return;
  }
  if (platform::GetConfigValue("DumpClasses") == "TRUE") dumpSchema();
}

QuireClass QuireAbstractDomain::findClass(const std::string& name, QuireStatus& status) {
  ensureLoaded();
  auto found = classNames_.find(name);
  if (found == classNames_.end()) {
    status = QuireStatus(kEvaluationError, host_message::kNotDefined, name);
    return QuireClass();
  }
  status = QuireStatus();
  return found->second;
}

QuireClass QuireAbstractDomain::addClass(const std::string& name) {
  // A name that is already a class of this domain gives that class, not a second record.
  auto bound = classNames_.find(name);
  if (bound != classNames_.end() && bound->second.name() == name) return bound->second;
  auto record = std::make_unique<QuireClassRecord>();
  record->domain = this;
  record->name = name;
  QuireClass cls(record.get());
  records_.push_back(std::move(record));
  classes_.push_back(cls);
  classNames_.insert_or_assign(name, cls);
  return cls;
}

void QuireAbstractDomain::bindClassName(const std::string& key, const QuireClass& cls) {
  classNames_.emplace(key, cls);  // a key already bound keeps its first class
}

void QuireAbstractDomain::unbindClassName(const std::string& key) { classNames_.erase(key); }

QuireClass QuireAbstractDomain::boundClass(const std::string& key) const {
  auto found = classNames_.find(key);
  return found == classNames_.end() ? QuireClass() : found->second;
}

void QuireAbstractDomain::dumpSchema() {
  const std::string home =
      platform::ConfigSetting(platform::OwnStringText(platform::kHomeKeyStringId)).Value();
  const std::string path = home + "/" + name_ + "_" + (externalSchema_ ? "RSE" : "REM") + ".txt";
  std::FILE* file = home.empty() ? nullptr : std::fopen(path.c_str(), "w");
  if (file == nullptr) {
    platform::Log("Cannot write the schema dump " + path + ": " +
                      (home.empty() ? std::string("the product home is not configured")
                                    : platform::SystemErrorText(errno)),
                  platform::kLogError);
    return;
  }
  std::string text = "Domain : " + name_ + "\n";
  if (alias() != name_) text += "Alias : " + alias() + "\n";
  if (aka() != name_) text += "AKA : " + aka() + "\n";
  for (const QuireClass& cls : classList()) text += ClassDump(cls);
  text += "\n";

  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}
