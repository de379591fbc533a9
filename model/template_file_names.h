// Template file names: the folder of the template being generated, and which argument values of
// the object being made were written in the template, so that a relative file name that a
// template's command gives resolves beside the template rather than in the working folder.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Records the folder of the template being generated ("" forgets it). The generation of each
// request records its own. Any thread.
void SetTemplateFolder(const std::string& folder);
std::string TemplateFolder();

// While it lives, marks which argument values (by index) of the object being made on this thread
// were written in the template itself (an OPEN's literals and constants) rather than read from
// data. Scopes nest; the innermost one answers.
class TemplateWrittenValues {
 public:
  explicit TemplateWrittenValues(std::vector<bool> written);
  ~TemplateWrittenValues();
  TemplateWrittenValues(const TemplateWrittenValues&) = delete;
  TemplateWrittenValues& operator=(const TemplateWrittenValues&) = delete;

  // True when the innermost live scope of this thread marks value `index`.
  static bool IsWritten(std::size_t index);

 private:
  std::vector<bool> written_;
  const TemplateWrittenValues* outer_;
};

// True when `name` names a file from the root: it begins with "/" or a backslash, or with a drive
// letter and ":".
bool IsRootedFileName(const std::string& name);

// The file name that argument value `index` gives, as a domain opens it: a relative name written in
// the template is taken in the template's folder; an empty or rooted name, a name read from data,
// or any name while no template folder is recorded comes back unchanged.
std::string TemplateFileName(const std::string& name, std::size_t index);
