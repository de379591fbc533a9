#include "domains/file_sys_object.h"

#include <cstdint>
#include <iostream>
#include <string>
#include <utility>

#include "domains/domain_directory.h"
#include "domains/file_record_object.h"
#include "domains/file_sys_domain.h"
#include "domains/record_file_reader.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_attribute_value.h"
#include "platform/file_io.h"
#include "platform/log.h"
#include "platform/work_limits.h"

namespace {

constexpr char kCouldNotOpenFile[] = ">>ERROR: COULDN'T OPEN FILE<<";

// The file-system object behind `object`, or null with kClassMismatch in the status.
const FileSysObject* FileSysObjectOf(const QuireObject& object, QuireStatus& status) {
  const FileSysObject* found = object.as<FileSysObject>();
  if (found == nullptr) status = QuireStatus(kClassMismatch, host_message::kNotAFileSysObject);
  return found;
}

// The domain that made `object`, or null with kClassMismatch in the status.
FileSysDomain* DomainOf(const FileSysObject& object, QuireStatus& status) {
  auto* domain = dynamic_cast<FileSysDomain*>(&object.getClass(status).domain());
  if (domain == nullptr) status = QuireStatus(kClassMismatch, host_message::kNotAFileSysObject);
  return domain;
}

// Sets `result` to one of the object's name parts.
template <std::string FileNameParts::*Part>
void NamePart(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  status = QuireStatus();
  if (const FileSysObject* found = FileSysObjectOf(object, status)) {
    result.setText(found->nameParts().*Part);
  }
}

std::string ArgumentsText(const QuireDomainObject& object, QuireStatus& status) {
  QuireArgumentValues arguments;
  object.getConstructorArguments(arguments, false, status);
  std::string text;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text += ",";
    text += arguments[i].argumentText(status, true);
  }
  return text;
}

// One object past the REPEAT limit: the walk sees the limit passed and names it, and a folder
// or record file of millions of entries is never made into objects whole.
std::uint64_t ListingCap() {
  return platform::ConfiguredLimit(platform::kMaxRepeatObjectsKey,
                                   platform::kDefaultMaxRepeatObjects) +
         1;
}

}  // namespace

FileSysObject::FileSysObject(QuireClass cls, std::string fullName)
    : class_(cls), shared_(std::make_shared<Shared>()) {
  shared_->fullName = std::move(fullName);
}

QuireClass FileSysObject::getClass(QuireStatus& status) const {
  status = QuireStatus();
  return class_;
}

std::unique_ptr<QuireDomainObject> FileSysObject::clone() const {
  return std::make_unique<FileSysObject>(*this);
}

void FileSysObject::display(QuireStatus& status) const {
  status = QuireStatus();
  std::cout << class_.domain().name() << ":" << class_.name() << ":" << ArgumentsText(*this, status)
            << "\n";
}

void FileSysObject::getConstructorArguments(QuireArgumentValues& list, bool /*flag*/,
                                            QuireStatus& status) const {
  status = QuireStatus();
  list.clear();
  const auto& arguments = class_.constructorArguments();
  const QuireAttribute& argument =
      arguments.empty() ? QuireAttribute::undefined() : arguments.front();
  list.emplace_back(argument, QuireValue(shared_->fullName));
}

const FileNameParts& FileSysObject::nameParts() const {
  if (!shared_->parts) {
    // One line per object: only at the debug level, or a listing would flood the log.
    platform::Log("FileSys evaluate: FullName = " + shared_->fullName, platform::kLogDebug);
    shared_->parts = DecomposeFullName(shared_->fullName);
  }
  return *shared_->parts;
}

int32_t PictureFormatOfExtension(const std::string& extension) {
  const std::string lower = LowercaseCopy(extension);
  if (lower == "jpg" || lower == "jpeg") return QuireGraphic::kJpg;
  if (lower == "gif") return QuireGraphic::kGif;
  if (lower == "png") return QuireGraphic::kPng;
  if (lower == "bmp") return QuireGraphic::kBmp;
  if (lower == "wmf") return QuireGraphic::kWmf;
  if (lower == "eps") return QuireGraphic::kEps;
  if (lower == "mif") return QuireGraphic::kMif;
  return QuireGraphic::kOther;
}

namespace file_sys_access {

void SimpleName(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  NamePart<&FileNameParts::simpleName>(result, object, status);
}

void NamePrefix(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  NamePart<&FileNameParts::namePrefix>(result, object, status);
}

void NameMinusExtension(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  NamePart<&FileNameParts::nameMinusExtension>(result, object, status);
}

void Extension(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  NamePart<&FileNameParts::extension>(result, object, status);
}

void FullName(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  status = QuireStatus();
  if (const FileSysObject* found = FileSysObjectOf(object, status)) {
    result.setText(found->fullName());
  }
}

void Text(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  status = QuireStatus();
  const FileSysObject* found = FileSysObjectOf(object, status);
  if (found == nullptr) return;
  // A file past the data-file limit fails the command that reads it, naming the limit.
  std::uint64_t size = 0;
  const std::uint64_t limit =
      platform::ConfiguredLimit(platform::kMaxDataFileBytesKey, platform::kDefaultMaxDataFileBytes);
  if (platform::RegularFileFailure(found->fullName(), &size) == 0 && size > limit) {
    status = QuireStatus(kEvaluationError,
                         found->fullName() + ": " + std::to_string(size) + " bytes, more than " +
                             platform::LimitText(platform::kMaxDataFileBytesKey, limit));
    return;
  }
  std::string bytes;
  std::string reason;
  if (!platform::ReadWholeFile(found->fullName(), bytes, reason)) {
    std::cerr << "FileSys: " << found->fullName() << ": " << reason << "\n";
    result.setText(kCouldNotOpenFile);
    return;
  }
  // Read as text: CR LF line ends become LF.
  std::string text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(bytes[i]);
  }
  result.setText(std::move(text));
}

void Graphic(QuireValue& result, const QuireObject& object, const std::string& /*imageName*/,
             QuireStatus& status) {
  status = QuireStatus();
  if (const FileSysObject* found = FileSysObjectOf(object, status)) {
    const int32_t format = PictureFormatOfExtension(found->nameParts().extension);
    result.setGraphic(QuireGraphic(found->fullName(), format));
  }
}

void ParentDirectory(QuireObject& result, const QuireObject& object, QuireStatus& status) {
  status = QuireStatus();
  const FileSysObject* found = FileSysObjectOf(object, status);
  if (found == nullptr) return;
  FileSysDomain* domain = DomainOf(*found, status);
  if (domain == nullptr) return;
  result = domain->makeEntryObject(found->nameParts().parent, status);
}

void Contents(QuireObjectList& result, const QuireObject& object, QuireStatus& status) {
  status = QuireStatus();
  const FileSysObject* found = FileSysObjectOf(object, status);
  if (found == nullptr) return;
  FileSysDomain* domain = DomainOf(*found, status);
  if (domain == nullptr) return;
  // Pictures are written by the page writer from the Graphic attribute, never while listing.
  platform::Log("Inside contents, writeImage = 0", platform::kLogDebug);
  const std::string& folder = found->fullName();
  DomainDirectory listing(folder);
  if (!listing.isOpen()) {
    std::cerr << "FileSys: cannot list the directory " << folder << "\n";
    return;
  }
  const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  const std::uint64_t cap = ListingCap();
  for (std::string name = listing.next(); !name.empty() && result.size() < cap;
       name = listing.next()) {
    if (name == "." || name == "..") continue;
    QuireStatus entryStatus;
    QuireObject entry = domain->makeEntryObject(prefix + name, entryStatus);
    if (!entryStatus.IsOk()) {
      std::cerr << "Ignoring directory object because of error: " << entryStatus.Text() << "\n";
      continue;
    }
    result.push_back(std::move(entry));
  }
}

void Records(QuireObjectList& result, const QuireObject& object, QuireStatus& status) {
  status = QuireStatus();
  const FileSysObject* found = FileSysObjectOf(object, status);
  if (found == nullptr) return;
  FileSysDomain* domain = DomainOf(*found, status);
  if (domain == nullptr) return;
  const QuireClass recordClass = domain->fileRecordClass();
  RecordFileReader reader;
  const std::uint64_t cap = ListingCap();
  for (bool more = reader.open(found->fullName()); more && result.size() < cap;
       more = reader.next()) {
    result.emplace_back(std::make_unique<FileRecordObject>(recordClass, found->fullName(),
                                                           reader.record(), reader.uniqueKey()));
  }
  // A file that is no record file at all (a pipe, a file past the data-file limit) fails the
  // command that lists its records.
  if (!reader.refusal().empty()) status = QuireStatus(kEvaluationError, reader.refusal());
}

}  // namespace file_sys_access
