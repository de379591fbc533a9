// The alias table of a data-source domain, read through the INI reader's whole-section reads.
#include "domains/alias_file.h"

#include "domains/domain_loader.h"
#include "foundation/text_helpers.h"
#include "platform/ini_sections.h"

namespace {

constexpr size_t kReadBuffer = 4096;
// What a whole-section read returns when the buffer was too small.
constexpr size_t kBufferTooSmall = kReadBuffer - 2;

bool BeginsWith(const std::string& text, const char* prefix) {
  return UppercaseCopy(text).rfind(prefix, 0) == 0;
}

}  // namespace

AliasFile::AliasFile(const std::string& domainName, const std::string& folder)
    : path_(InstalledDomainsFolder() + "/" + folder + "/" + domainName + ".als") {
  readNames();
}

AliasFile AliasFile::AtPath(const std::string& path) {
  AliasFile file;
  file.path_ = path;
  file.readNames();
  return file;
}

void AliasFile::readNames() {
  const platform::IniSectionRead names =
      platform::GetPrivateProfileSectionNames(path_, kReadBuffer);
  // A list longer than the buffer reads as empty; each section is still read by its name.
  namesTooLong_ = names.length == kBufferTooSmall;
  if (namesTooLong_) return;
  int number = 0;
  for (const std::string& name : names.items) {
    numbers_.emplace(LowercaseCopy(name), ++number);
  }
}

int AliasFile::sectionNumber(const std::string& name) const {
  auto found = numbers_.find(LowercaseCopy(name));
  return found == numbers_.end() ? 0 : found->second;
}

AliasFile::Section& AliasFile::section(const std::string& name) {
  const std::string key = LowercaseCopy(name);
  auto found = sections_.find(key);
  if (found != sections_.end()) return found->second;
  Section& made = sections_[key];
  if (numbers_.count(key) == 0 && !namesTooLong_) return made;
  const platform::IniSectionRead lines =
      platform::GetPrivateProfileSection(name, path_, kReadBuffer);
  if (lines.length == kBufferTooSmall) return made;  // a section longer than the buffer is empty
  for (const std::string& line : lines.items) {
    const size_t equals = line.find('=');
    const std::string entry = line.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : line.substr(equals + 1);
    made.values.emplace(LowercaseCopy(entry), value);
    if (!BeginsWith(entry, "ALIAS") && !BeginsWith(entry, "AKA") && !BeginsWith(entry, "ARG")) {
      made.keptKeys.push_back(entry);
    }
  }
  return made;
}

std::string AliasFile::value(const std::string& sectionName, const std::string& key) {
  const Section& read = section(sectionName);
  auto found = read.values.find(LowercaseCopy(key));
  return found == read.values.end() ? std::string() : found->second;
}

bool AliasFile::has(const std::string& sectionName, const std::string& key) {
  const Section& read = section(sectionName);
  return read.values.count(LowercaseCopy(key)) != 0;
}

const std::vector<std::string>& AliasFile::keptKeys(const std::string& sectionName) {
  return section(sectionName).keptKeys;
}
