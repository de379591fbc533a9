// FileSysObject: a folder, a file or another directory entry of the file-system domain, known
// by its full name. Its name parts are computed once, on first use, and shared by its copies.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "domains/file_paths.h"
#include "model/quire_domain_object.h"
#include "model/quire_object.h"

class FileSysObject : public QuireDomainObject {
 public:
  // An object of `cls` (a class of the file-system domain) for the already normalised
  // `fullName`.
  FileSysObject(QuireClass cls, std::string fullName);

  QuireClass getClass(QuireStatus& status) const override;
  std::unique_ptr<QuireDomainObject> clone() const override;
  // Writes "FileSys:Class:FullName=..." and a line feed to standard output.
  void display(QuireStatus& status) const override;
  // One value: the full name, as the class's "FullName" constructor argument.
  void getConstructorArguments(QuireArgumentValues& list, bool flag,
                               QuireStatus& status) const override;

  const std::string& fullName() const { return shared_->fullName; }
  // The parent, simple name, prefix and extension. The first call for an object (or any of its
  // copies) writes "FileSys evaluate: FullName = <full name>" to the error stream.
  const FileNameParts& nameParts() const;

 private:
  struct Shared {
    std::string fullName;
    std::optional<FileNameParts> parts;
  };
  QuireClass class_;
  std::shared_ptr<Shared> shared_;
};

// The library functions behind the members of "DirectoryObject", "Directory" and "File". Each
// expects a FileSysObject (else kClassMismatch, host_message::kNotAFileSysObject) and sets the
// status it is given.
namespace file_sys_access {

void SimpleName(QuireValue& result, const QuireObject& object, QuireStatus& status);
void FullName(QuireValue& result, const QuireObject& object, QuireStatus& status);
void NamePrefix(QuireValue& result, const QuireObject& object, QuireStatus& status);
void NameMinusExtension(QuireValue& result, const QuireObject& object, QuireStatus& status);
void Extension(QuireValue& result, const QuireObject& object, QuireStatus& status);
// The whole file read as text (CR LF read as LF); ">>ERROR: COULDN'T OPEN FILE<<" when the file
// cannot be read.
void Text(QuireValue& result, const QuireObject& object, QuireStatus& status);
// A GRAPHIC value: the full name as path, the format code from the extension.
void Graphic(QuireValue& result, const QuireObject& object, const std::string& imageName,
             QuireStatus& status);
// The folder that holds the object, as an object of its kind.
void ParentDirectory(QuireObject& result, const QuireObject& object, QuireStatus& status);
// The folder's entries in listing order, "." and ".." left out.
void Contents(QuireObjectList& result, const QuireObject& object, QuireStatus& status);
// The records of the file, as "FileRecord" objects.
void Records(QuireObjectList& result, const QuireObject& object, QuireStatus& status);

}  // namespace file_sys_access

// The picture format code of a file extension (case-blind): jpg and jpeg 3, gif 4, png 5, bmp
// 6, wmf 2, eps 0, mif 1, anything else 8.
int32_t PictureFormatOfExtension(const std::string& extension);
