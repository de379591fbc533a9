// Template file names: the recorded template folder and the marks of template-written values.
#include "model/template_file_names.h"

#include <mutex>
#include <utility>

namespace {

std::mutex& FolderMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& Folder() {
  static std::string folder;
  return folder;
}

thread_local const TemplateWrittenValues* innermost = nullptr;

}  // namespace

void SetTemplateFolder(const std::string& folder) {
  const std::lock_guard<std::mutex> lock(FolderMutex());
  Folder() = folder;
}

std::string TemplateFolder() {
  const std::lock_guard<std::mutex> lock(FolderMutex());
  return Folder();
}

TemplateWrittenValues::TemplateWrittenValues(std::vector<bool> written)
    : written_(std::move(written)), outer_(innermost) {
  innermost = this;
}

TemplateWrittenValues::~TemplateWrittenValues() { innermost = outer_; }

bool TemplateWrittenValues::IsWritten(std::size_t index) {
  return innermost != nullptr && index < innermost->written_.size() && innermost->written_[index];
}

bool IsRootedFileName(const std::string& name) {
  if (name.empty()) return false;
  if (name[0] == '/' || name[0] == '\\') return true;
  const unsigned char first = static_cast<unsigned char>(name[0]);
  const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
  return name.size() >= 2 && letter && name[1] == ':';
}

std::string TemplateFileName(const std::string& name, std::size_t index) {
  if (name.empty() || IsRootedFileName(name) || !TemplateWrittenValues::IsWritten(index)) {
    return name;
  }
  const std::string folder = TemplateFolder();
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}
