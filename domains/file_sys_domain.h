// FileSysDomain: the file-system domain "FileSys". Its classes "DirectoryObject", "Directory"
// and "File" turn directory entries into objects; "FileRecord" turns the records of record
// files into objects.
#pragma once

#include <string>

#include "model/quire_standard_domain.h"

class FileSysDomain : public QuireStandardDomain {
 public:
  // The domain named "FileSys", without the conversion flag. Its schema loads on first use.
  FileSysDomain();

  // Builds the four classes with their members, constructor arguments and constructor entries.
  void loadSchema(QuireStatus& status) override;
  // Objects of this domain's classes (and of their subclasses) are made for `cls` itself from
  // the first argument's text (and the second's for "FileRecord"); other classes use their
  // constructor entry. A relative file name that the template wrote (TemplateWrittenValues) is
  // taken in the folder of the template being generated.
  QuireObject makeObject(const QuireClass& cls, const QuireArgumentValues& values,
                         QuireStatus& status, int completeness) override;

  // The classes (the schema is loaded first when needed).
  QuireClass directoryObjectClass();
  QuireClass directoryClass();
  QuireClass fileClass();
  QuireClass fileRecordClass();

  // The object for `path` (taken as it is) by its kind: a "Directory" for a folder, a "File" for a
  // regular file, a plain "DirectoryObject" for anything else (with the lines "it's a default" and
  // "stat result mode = <type bits>"). A missing path writes "Nonexistent directory object, name =
  // <path>", sets kFileNotFound (host_message::kDoesNotExist) and gives the undefined object.
  QuireObject makeEntryObject(const std::string& path, QuireStatus& status);

  // OPEN with a file name, as the constructor entries of the three entry classes do it. An
  // empty name writes "Used empty file name"; `cls` "Directory" (or a subclass) needs a folder
  // and "File" a regular file, else "Object undefined or not a directory" ("... not a file").
  // Failures give the undefined object and kEvaluationError.
  QuireObject openNamed(const QuireClass& cls, const std::string& fileName, QuireStatus& status);
  // OPEN of a "FileRecord": the record of `fileName` whose unique key is `uniqueKey`; else
  // kFileNotFound (host_message::kNoSuchRecord) and the undefined object.
  QuireObject openRecord(const QuireClass& cls, const std::string& fileName,
                         const std::string& uniqueKey, QuireStatus& status);

 private:
  QuireClass directoryObject_;
  QuireClass directory_;
  QuireClass file_;
  QuireClass fileRecord_;
};
