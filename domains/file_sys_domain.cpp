// FileSysDomain: the classes of the file-system domain and the opening of its objects.
#include "domains/file_sys_domain.h"

#include <sys/stat.h>

#include <iostream>
#include <string>
#include <vector>

#include "domains/file_paths.h"
#include "domains/file_record_object.h"
#include "domains/file_sys_object.h"
#include "domains/record_file_reader.h"
#include "foundation/quire_status.h"
#include "model/quire_attribute.h"
#include "model/quire_attribute_value.h"
#include "model/quire_relationship.h"
#include "model/template_file_names.h"
#include "platform/log.h"

namespace {

// Adds features to both lists of `cls`, so that lookups in either find them.
void AddFeatures(const QuireClass& cls, const std::vector<QuireAttribute>& attributes,
                 const std::vector<QuireRelationship>& unary,
                 const std::vector<QuireRelationship>& nary) {
  for (const QuireFeatureList which : {QuireFeatureList::kFirst, QuireFeatureList::kSecond}) {
    auto& attributeList = cls.attributeList(which);
    attributeList.insert(attributeList.end(), attributes.begin(), attributes.end());
    auto& unaryList = cls.unaryList(which);
    unaryList.insert(unaryList.end(), unary.begin(), unary.end());
    auto& naryList = cls.naryList(which);
    naryList.insert(naryList.end(), nary.begin(), nary.end());
  }
}

std::string TextOf(const QuireArgumentValues& values, size_t index) {
  if (index >= values.size()) return {};
  const QuireAttributeValue& value = values[index];
  const bool isText = value.type() == QuireType::STRING || value.type() == QuireType::FILENAME;
  return isText ? value.textValue() : std::string();
}

// The domain whose class declares the first argument; null (with kProcessingError) when it is
// not a file-system class.
FileSysDomain* DomainOf(const QuireArgumentValues& values, QuireStatus& status) {
  FileSysDomain* domain =
      values.empty() ? nullptr
                     : dynamic_cast<FileSysDomain*>(&values[0].attribute().getClass().domain());
  if (domain == nullptr) status = QuireStatus(kProcessingError, host_message::kUnknownArgumentList);
  return domain;
}

// Constructor entries: the class is the one that declares the first argument when it is of
// the entry's kind, else the entry's own class.
template <QuireClass (FileSysDomain::*KindClass)()>
void MakeNamed(QuireObject& result, const QuireArgumentValues& values, QuireStatus& status) {
  status = QuireStatus();
  result = QuireObject();
  FileSysDomain* domain = DomainOf(values, status);
  if (domain == nullptr) return;
  const QuireClass kind = (domain->*KindClass)();
  const QuireClass declaring = values[0].attribute().getClass();
  result =
      domain->openNamed(declaring.isSubclassOf(kind) ? declaring : kind, TextOf(values, 0), status);
}

void MakeFileRecord(QuireObject& result, const QuireArgumentValues& values, QuireStatus& status) {
  status = QuireStatus();
  result = QuireObject();
  FileSysDomain* domain = DomainOf(values, status);
  if (domain == nullptr) return;
  result =
      domain->openRecord(domain->fileRecordClass(), TextOf(values, 0), TextOf(values, 1), status);
}

constexpr QuireObjectConstructor kMakeDirectoryObject =
    &MakeNamed<&FileSysDomain::directoryObjectClass>;
constexpr QuireObjectConstructor kMakeDirectory = &MakeNamed<&FileSysDomain::directoryClass>;
constexpr QuireObjectConstructor kMakeFile = &MakeNamed<&FileSysDomain::fileClass>;
constexpr QuireObjectConstructor kMakeFileRecord = &MakeFileRecord;

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

FileSysDomain::FileSysDomain() : QuireStandardDomain("FileSys", false) {}

void FileSysDomain::loadSchema(QuireStatus& status) {
  status = QuireStatus();
  using QuireType::STRING;
  directoryObject_ = addClass("DirectoryObject");
  directory_ = addClass("Directory");
  file_ = addClass("File");
  fileRecord_ = addClass("FileRecord");
  directory_.addSuperclass(directoryObject_);
  file_.addSuperclass(directoryObject_);

  namespace fs = file_sys_access;
  const std::vector<QuireAttribute> entryAttributes = {
      {"SimpleName", STRING, directoryObject_, &fs::SimpleName},
      {"FullName", STRING, directoryObject_, &fs::FullName},
      {"NamePrefix", STRING, directoryObject_, &fs::NamePrefix},
      {"NameMinusExtension", STRING, directoryObject_, &fs::NameMinusExtension},
      {"Extension", STRING, directoryObject_, &fs::Extension},
  };
  const std::vector<QuireRelationship> entryUnary = {
      {"ParentDirectory", directoryObject_, directory_, &fs::ParentDirectory}};

  // Each class lists its own features first, then the inherited ones.
  AddFeatures(directoryObject_, entryAttributes, entryUnary, {});
  AddFeatures(directory_, {}, {}, {{"Contents", directory_, directoryObject_, &fs::Contents}});
  AddFeatures(directory_, entryAttributes, entryUnary, {});
  AddFeatures(file_, {{"Text", STRING, file_, &fs::Text}, {"Graphic", file_, &fs::Graphic}}, {},
              {{"Records", file_, fileRecord_, &fs::Records}});
  AddFeatures(file_, entryAttributes, entryUnary, {});

  namespace fr = file_record_access;
  std::vector<QuireAttribute> recordAttributes = {{"Text", STRING, fileRecord_, &fr::Text}};
  const auto& fieldReaders = fr::FieldReaders();
  for (size_t i = 0; i < fieldReaders.size(); ++i) {
    const std::string number = std::to_string(i + 1);
    recordAttributes.emplace_back("Field" + std::string(number.size() < 2 ? "0" : "") + number,
                                  STRING, fileRecord_, fieldReaders[i]);
  }
  const QuireAttribute uniqueKey("UniqueKey", STRING, fileRecord_, &fr::UniqueKey);
  const QuireAttribute filename("Filename", STRING, fileRecord_, &fr::Filename);
  recordAttributes.push_back(uniqueKey);
  recordAttributes.push_back(filename);
  AddFeatures(fileRecord_, recordAttributes, {}, {});

  // Objects are identified by their full name ("FileSys:File:FullName=...") or, for records,
  // by file name and key.
  const std::pair<QuireClass, QuireObjectConstructor> entryClasses[] = {
      {directoryObject_, kMakeDirectoryObject}, {directory_, kMakeDirectory}, {file_, kMakeFile}};
  for (auto [cls, entry] : entryClasses) {
    cls.constructorArguments().emplace_back("FullName", STRING, cls, &fs::FullName);
    cls.setConstructorEntry(entry);
  }
  fileRecord_.constructorArguments() = {filename, uniqueKey};
  fileRecord_.setConstructorEntry(kMakeFileRecord);
}

QuireObject FileSysDomain::makeObject(const QuireClass& cls, const QuireArgumentValues& values,
                                      QuireStatus& status, int completeness) {
  // A relative file name that the template wrote is taken in the template's folder.
  const QuireObjectConstructor entry = cls.constructorEntry();
  if (entry == kMakeDirectoryObject || entry == kMakeDirectory || entry == kMakeFile) {
    return openNamed(cls, TemplateFileName(TextOf(values, 0), 0), status);
  }
  if (entry == kMakeFileRecord) {
    return openRecord(cls, TemplateFileName(TextOf(values, 0), 0), TextOf(values, 1), status);
  }
  return QuireStandardDomain::makeObject(cls, values, status, completeness);
}

QuireClass FileSysDomain::directoryObjectClass() {
  classList();
  return directoryObject_;
}

QuireClass FileSysDomain::directoryClass() {
  classList();
  return directory_;
}

QuireClass FileSysDomain::fileClass() {
  classList();
  return file_;
}

QuireClass FileSysDomain::fileRecordClass() {
  classList();
  return fileRecord_;
}

QuireObject FileSysDomain::makeEntryObject(const std::string& path, QuireStatus& status) {
  status = QuireStatus();
  classList();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    std::cerr << "Nonexistent directory object, name = " << path << "\n";
    status = QuireStatus(kFileNotFound, host_message::kDoesNotExist, path);
    return QuireObject();
  }
  QuireClass cls = directoryObject_;
  if (S_ISDIR(info.st_mode)) {
    cls = directory_;
  } else if (S_ISREG(info.st_mode)) {
    cls = file_;
  } else {
    // A trace line per entry of a listing: only at the debug level.
    platform::Log("it's a default", platform::kLogDebug);
    platform::Log("stat result mode = " + std::to_string(info.st_mode & 0xF000),
                  platform::kLogDebug);
  }
  return QuireObject(std::make_unique<FileSysObject>(cls, path));
}

QuireObject FileSysDomain::openNamed(const QuireClass& cls, const std::string& fileName,
                                     QuireStatus& status) {
  status = QuireStatus();
  classList();
  const bool needsFolder = cls.isSubclassOf(directory_);
  const bool needsFile = cls.isSubclassOf(file_);
  std::string fullName;
  if (fileName.empty()) {
    std::cerr << "Used empty file name\n";
    status = QuireStatus(kEvaluationError, host_message::kEmptyFileName);
  } else {
    fullName = NormalisePath(fileName);
  }
  if (needsFolder && (fullName.empty() || !IsFolder(fullName))) {
    std::cerr << "Object undefined or not a directory\n";
    status = QuireStatus(kEvaluationError, host_message::kNotADirectory, fileName);
    return QuireObject();
  }
  if (needsFile && (fullName.empty() || !IsRegularFile(fullName))) {
    std::cerr << "Object undefined or not a file\n";
    status = QuireStatus(kEvaluationError, host_message::kNotAFile, fileName);
    return QuireObject();
  }
  if (fullName.empty()) return QuireObject();
  return QuireObject(std::make_unique<FileSysObject>(cls, fullName));
}

QuireObject FileSysDomain::openRecord(const QuireClass& cls, const std::string& fileName,
                                      const std::string& uniqueKey, QuireStatus& status) {
  const QuireObject file = openNamed(fileClass(), fileName, status);
  if (file.isUndefined()) return QuireObject();
  const std::string& fullName = file.as<FileSysObject>()->fullName();
  RecordFileReader reader;
  for (bool more = reader.open(fullName); more; more = reader.next()) {
    if (reader.uniqueKey() == uniqueKey) {
      return QuireObject(
          std::make_unique<FileRecordObject>(cls, fullName, reader.record(), uniqueKey));
    }
  }
  std::cerr << "Object undefined or no record with key " << uniqueKey << " in file " << fullName
            << "\n";
  status = QuireStatus(kFileNotFound, host_message::kNoSuchRecord, fullName, uniqueKey);
  return QuireObject();
}
