// FileRecordObject: one record of a record file, known by its file's name and its unique key.
// Copies share the record's text.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "domains/record_file_reader.h"
#include "model/quire_domain_object.h"
#include "model/quire_object.h"

class FileRecordObject : public QuireDomainObject {
 public:
  // A record of `cls` ("FileRecord") read from the file `filename` with key `uniqueKey`.
  FileRecordObject(QuireClass cls, std::string filename, RecordFields record,
                   std::string uniqueKey);

  QuireClass getClass(QuireStatus& status) const override;
  std::unique_ptr<QuireDomainObject> clone() const override;
  // Writes "FileSys:FileRecord:Filename=...,UniqueKey=..." and a line feed to standard output.
  void display(QuireStatus& status) const override;
  // Two values: the file name and the unique key, as the class's constructor arguments.
  void getConstructorArguments(QuireArgumentValues& list, bool flag,
                               QuireStatus& status) const override;

  const std::string& filename() const { return shared_->filename; }
  const std::string& uniqueKey() const { return shared_->uniqueKey; }
  const RecordFields& record() const { return shared_->record; }

 private:
  struct Shared {
    std::string filename;
    RecordFields record;
    std::string uniqueKey;
  };
  QuireClass class_;
  std::shared_ptr<const Shared> shared_;
};

// The library functions behind the members of "FileRecord". Each expects a FileRecordObject
// (else kClassMismatch, host_message::kNotAFileSysObject) and sets the status it is given.
namespace file_record_access {

void Text(QuireValue& result, const QuireObject& object, QuireStatus& status);
void UniqueKey(QuireValue& result, const QuireObject& object, QuireStatus& status);
void Filename(QuireValue& result, const QuireObject& object, QuireStatus& status);
// The readers of "Field01" to "Field30", by field number (index 0 is field 1). A field the
// record lacks reads "<FIELD INDEX OUT OF RANGE>" with the warning line.
const std::array<QuireAttributeReader, RecordFields::kMaxFields>& FieldReaders();

}  // namespace file_record_access
