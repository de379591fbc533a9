// Record files: delimited text files read as records split into fields. Header lines at the top
// ("#FIELD_DELIMITER", "#RECORD_DELIMITER", "#QUOTE_DELIMITER", "#KEY_FIELDS") set the
// delimiters and the fields that make a record's key. A delimiter is one character: a UTF-8
// character of several bytes splits and quotes as a whole.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One record: its text and where its first fields lie in it.
struct RecordFields {
  static constexpr size_t kMaxFields = 30;
  static constexpr char kFieldOutOfRange[] = "<FIELD INDEX OUT OF RANGE>";

  std::string text;
  // [start, end) of fields 1 to 30 in `text` (quotes excluded).
  std::vector<std::pair<size_t, size_t>> positions;
  // Every field of the record, those past the 30th included.
  size_t count = 0;

  // Field `n` (from 1). Past the recorded fields: kFieldOutOfRange, and the line
  // "*** Warning: <FIELD INDEX OUT OF RANGE>" goes to the error stream.
  std::string field(size_t n) const;
};

class RecordFileReader {
 public:
  // A record holds at most kBufferSize - 1 characters.
  static constexpr size_t kBufferSize = 8192;
  static constexpr size_t kMaxKeyFields = 30;
  static constexpr char kInvalidUniqueKey[] = "<INVALID UNIQUE KEY>";

  RecordFileReader() = default;
  RecordFileReader(const RecordFileReader&) = delete;
  RecordFileReader& operator=(const RecordFileReader&) = delete;

  // Opens the file, reads its header lines (the settings start from their defaults for each
  // file) and its first record. False when the file cannot be opened or holds no record. Only a
  // regular file of at most "MaxDataFileBytes" (platform/work_limits.h) is opened; another is
  // refused with the reason in refusal(). One reader serves one thread at a time.
  bool open(const std::string& fileName);
  // Why the last open refused its file (not a regular file, or larger than the limit); empty
  // when it did not.
  const std::string& refusal() const { return refusal_; }
  // Reads and splits the next record; false at the end of the file or after a record that does
  // not fit the buffer (which writes "*** Error: line/record longer than bufferSize or ifstream
  // failed" to the error stream and ends the file). Records without any field are passed over.
  bool next();

  // The current record (valid after open or next returned true).
  const RecordFields& record() const { return record_; }
  std::string field(size_t n) const { return record_.field(n); }
  // The first field, or with key fields the listed fields joined by the field delimiter;
  // kInvalidUniqueKey (and the warning line) when a listed field is missing.
  std::string uniqueKey() const;

  // The field delimiter: one character, of one byte or the several bytes of a UTF-8 character.
  const std::string& fieldDelimiter() const { return fieldDelimiter_; }
  // Field numbers of the key, 0-based.
  const std::vector<int>& keyFields() const { return keyFields_; }

 private:
  enum class ReadResult { kText, kEnd, kTooLong };

  ReadResult readUntil(std::string_view delimiter, std::string& text);
  void applyHeader(const std::string& line);
  void split();

  std::ifstream in_;
  std::string refusal_;
  bool failed_ = false;
  std::string fieldDelimiter_ = " ";
  std::string recordDelimiter_ = "\n";
  std::string quote_ = "\"";
  std::vector<int> keyFields_;
  RecordFields record_;
};
