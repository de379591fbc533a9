// Feeds any bytes to the record-file reader as a record file: read record by record, then
// through the file-system domain as its "FileRecord" objects (their fields, keys and an OPEN by
// file name and key).
#include <cstdint>
#include <iostream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "domains/domain_registry.h"
#include "domains/file_record_object.h"
#include "domains/file_sys_domain.h"
#include "domains/record_file_reader.h"
#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/quire_attribute_value.h"
#include "model/quire_relationship.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

using fuzz_files::Check;

// Swallows the warning lines that missing fields write to the error stream.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

struct ReadRecord {
  std::string text;
  std::vector<std::string> fields;
  std::string key;
};

std::vector<ReadRecord> ReadAll(const std::string& path) {
  std::vector<ReadRecord> records;
  RecordFileReader reader;
  for (bool more = reader.open(path); more; more = reader.next()) {
    const RecordFields& record = reader.record();
    Check(record.text.size() < RecordFileReader::kBufferSize - 1, "a record fits the buffer");
    Check(record.count > 0, "a record has a field");
    Check(record.positions.size() == std::min(record.count, RecordFields::kMaxFields),
          "the first 30 fields are placed");
    ReadRecord read{record.text, {}, reader.uniqueKey()};
    for (size_t n = 1; n <= record.positions.size(); ++n) {
      const auto [start, end] = record.positions[n - 1];
      Check(start <= end && end <= record.text.size(), "a field lies in its record");
      read.fields.push_back(reader.field(n));
    }
    Check(reader.field(record.positions.size() + 1) == RecordFields::kFieldOutOfRange,
          "a field past the placed ones is out of range");
    if (reader.keyFields().empty()) {
      Check(read.key == read.fields.front(), "without key fields the key is the first field");
    }
    records.push_back(std::move(read));
    Check(records.size() <= 16385, "no more records than bytes");
  }
  return records;
}

std::string ValueOf(const QuireObject& object, const QuireClass& cls, const std::string& name) {
  QuireStatus status;
  const QuireAttribute& attribute = cls.findAttribute(name, status);
  Check(status.IsOk(), "a FileRecord member is found");
  const QuireAttributeValue value = object.getAttributeValue(attribute, status);
  Check(status.IsOk(), "a FileRecord member reads");
  return value.displayText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static NullBuffer buffer;
  std::streambuf* const errors = std::cerr.rdbuf(&buffer);
  const std::string path =
      fuzz_files::Write("records.txt", std::string_view(reinterpret_cast<const char*>(data), size));
  const std::vector<ReadRecord> records = ReadAll(path);

  DomainRegistry& registry = DomainRegistry::instance();
  registry.deleteAllDomains();
  auto& domain =
      static_cast<FileSysDomain&>(registry.registerDomain(std::make_unique<FileSysDomain>()));
  SetDomainFinder(&getDomain);
  QuireStatus status;
  const QuireObject file = domain.openNamed(domain.fileClass(), path, status);
  Check(status.IsOk() && !file.isUndefined(), "the record file opens as a File");
  const QuireRelationship& recordsLink =
      domain.fileClass().findRelationship("Records", QuireRelationship::kNary, status);
  Check(status.IsOk(), "a File has Records");
  const QuireObjectList listed = file.getNaryRelatedObjects(recordsLink, status);
  Check(status.IsOk(), "the records of a regular file list");
  Check(listed.size() == records.size(), "the domain lists the records the reader reads");

  const QuireClass recordClass = domain.fileRecordClass();
  for (size_t i = 0; i < listed.size() && i < 8; ++i) {
    const QuireObject& object = listed[i];
    const ReadRecord& read = records[i];
    Check(ValueOf(object, recordClass, "Text") == read.text, "Text is the record's text");
    Check(ValueOf(object, recordClass, "UniqueKey") == read.key, "UniqueKey is the record's key");
    Check(ValueOf(object, recordClass, "Filename") == path, "Filename names the file");
    for (size_t n = 1; n <= RecordFields::kMaxFields; ++n) {
      const std::string name = std::string(n < 10 ? "Field0" : "Field") + std::to_string(n);
      const std::string expected =
          n <= read.fields.size() ? read.fields[n - 1] : RecordFields::kFieldOutOfRange;
      Check(ValueOf(object, recordClass, name) == expected, "FieldNN is the record's field");
    }
    // An OPEN by file name and key finds the first record with that key.
    const QuireArgumentValues arguments = {
        QuireAttributeValue(recordClass.constructorArguments()[0], path),
        QuireAttributeValue(recordClass.constructorArguments()[1], read.key)};
    const QuireObject opened = domain.makeObject(recordClass, arguments, status, 2);
    Check(status.IsOk() && !opened.isUndefined(), "a listed record opens by its key");
    size_t first = 0;
    while (records[first].key != read.key) ++first;
    Check(ValueOf(opened, recordClass, "Text") == records[first].text,
          "an OPEN finds the first record with the key");
  }
  registry.deleteAllDomains();
  std::cerr.rdbuf(errors);
  return 0;
}
