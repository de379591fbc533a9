// Record files read record by record, with their header settings and unique keys.
#include "domains/record_file_reader.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string_view>
#include <utility>

#include "foundation/utf8.h"
#include "platform/file_io.h"
#include "platform/work_limits.h"

namespace {

constexpr char kTooLongLine[] =
    "*** Error: line/record longer than bufferSize or ifstream failed\n";
constexpr char kOutOfRangeLine[] = "*** Warning: <FIELD INDEX OUT OF RANGE>\n";

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (IsDecimalDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A delimiter setting's value: one literal character (all the bytes of a UTF-8 character, else
// one byte), or a backslash and an octal number, "x" and a hexadecimal number (its first digit
// decimal), or a named escape. Numbers must lie in 1 to 127. Nothing for an invalid value.
std::optional<std::string> DelimiterValue(std::string_view value) {
  if (value.empty()) return std::nullopt;
  if (value[0] != '\\') {
    char32_t codePoint = 0;
    const size_t length = DecodeUtf8Char(value, 0, codePoint);
    return std::string(value.substr(0, length == 0 ? 1 : length));
  }
  if (value.size() < 2) return std::nullopt;
  const char kind = value[1];
  int number = -1;
  if (kind >= '0' && kind <= '7') {
    number = 0;
    for (size_t i = 1; i < value.size() && value[i] >= '0' && value[i] <= '7' && number <= 127;
         ++i) {
      number = number * 8 + (value[i] - '0');
    }
  } else if (kind == 'x') {
    if (value.size() < 3 || !IsDecimalDigit(value[2])) return std::nullopt;
    number = 0;
    for (size_t i = 2; i < value.size() && HexValue(value[i]) >= 0 && number <= 127; ++i) {
      number = number * 16 + HexValue(value[i]);
    }
  } else {
    switch (kind) {
      case '\\':
        return "\\";
      case 'a':
        return "\a";
      case 'b':
        return "\b";
      case 'f':
        return "\f";
      case 'n':
        return "\n";
      case 'r':
        return "\r";
      case 't':
        return "\t";
      case 'v':
        return "\v";
      default:
        return std::nullopt;
    }
  }
  if (number < 1 || number > 127) return std::nullopt;
  return std::string(1, static_cast<char>(number));
}

// The text after `keyword` when `line` starts with it, spaces skipped.
std::optional<std::string_view> SettingValue(std::string_view line, std::string_view keyword) {
  if (line.substr(0, keyword.size()) != keyword) return std::nullopt;
  std::string_view rest = line.substr(keyword.size());
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  return rest;
}

}  // namespace

std::string RecordFields::field(size_t n) const {
  if (n < 1 || n > positions.size()) {
    std::cerr << kOutOfRangeLine;
    return kFieldOutOfRange;
  }
  const auto& [start, end] = positions[n - 1];
  return text.substr(start, end - start);
}

RecordFileReader::ReadResult RecordFileReader::readUntil(std::string_view delimiter,
                                                         std::string& text) {
  // The bytes of a delimiter of several bytes before its last are in `text` when that last
  // byte comes.
  const std::string_view lead = delimiter.substr(0, delimiter.size() - 1);
  text.clear();
  std::streambuf* buffer = in_.rdbuf();
  bool readAnything = false;
  for (;;) {
    const int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) break;
    readAnything = true;
    if (static_cast<char>(c) == delimiter.back() && text.ends_with(lead)) {
      text.resize(text.size() - lead.size());
      break;
    }
    // A record that fills the buffer is refused; reading stops at once so that a file without
    // delimiters is never held in memory whole.
    if (text.size() >= kBufferSize - 1) return ReadResult::kTooLong;
    text.push_back(static_cast<char>(c));
  }
  if (!readAnything) return ReadResult::kEnd;
  // Lines ended by CR LF read as lines ended by LF.
  if (delimiter == "\n" && !text.empty() && text.back() == '\r') text.pop_back();
  if (text.size() >= kBufferSize - 1) return ReadResult::kTooLong;
  return ReadResult::kText;
}

bool RecordFileReader::open(const std::string& fileName) {
  in_.close();
  in_.clear();
  failed_ = false;
  // Every file sets its own delimiters and key.
  fieldDelimiter_ = " ";
  recordDelimiter_ = "\n";
  quote_ = "\"";
  keyFields_.clear();
  record_ = RecordFields();
  refusal_.clear();
  // Checked before it is opened: a named pipe would block the reading thread, and a file far
  // larger than any record file is a wrong file.
  std::uint64_t size = 0;
  if (const int failure = platform::RegularFileFailure(fileName, &size); failure != 0) {
    if (failure != ENOENT) refusal_ = fileName + ": " + platform::SystemErrorText(failure);
  } else if (const std::uint64_t limit = platform::ConfiguredLimit(
                 platform::kMaxDataFileBytesKey, platform::kDefaultMaxDataFileBytes);
             size > limit) {
    refusal_ = fileName + ": " + std::to_string(size) + " bytes, more than " +
               platform::LimitText(platform::kMaxDataFileBytesKey, limit);
  }
  if (!refusal_.empty()) {
    std::cerr << "*** Error: " << refusal_ << "\n";
    return false;
  }
  in_.open(fileName, std::ios::in | std::ios::binary);
  if (!in_.is_open()) return false;
  std::string line;
  for (;;) {
    const auto start = in_.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
    const ReadResult result = readUntil("\n", line);
    if (result == ReadResult::kEnd) return false;
    const size_t first = line.find_first_not_of(' ');
    const bool header = first != std::string::npos && line[first] == '#';
    // Only a header line is limited here: a long first line may hold many short records.
    if ((result == ReadResult::kTooLong && header) || start == std::streampos(-1)) {
      std::cerr << kTooLongLine;
      failed_ = true;
      return false;
    }
    if (header) {
      applyHeader(line.substr(first + 1));
      continue;
    }
    // The first record starts on this line; it is read again with the record delimiter.
    if (in_.rdbuf()->pubseekpos(start, std::ios::in) != start) {
      std::cerr << kTooLongLine;
      failed_ = true;
      return false;
    }
    return next();
  }
}

void RecordFileReader::applyHeader(const std::string& line) {
  const std::pair<std::string_view, std::string*> delimiters[] = {
      {"FIELD_DELIMITER", &fieldDelimiter_},
      {"RECORD_DELIMITER", &recordDelimiter_},
      {"QUOTE_DELIMITER", &quote_},
  };
  for (const auto& [keyword, setting] : delimiters) {
    if (const auto value = SettingValue(line, keyword)) {
      if (auto character = DelimiterValue(*value)) *setting = std::move(*character);
      return;
    }
  }
  const auto numbers = SettingValue(line, "KEY_FIELDS");
  if (!numbers) return;
  keyFields_.clear();
  std::string_view rest = *numbers;
  while (keyFields_.size() < kMaxKeyFields) {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.empty() || !IsDecimalDigit(rest.front())) break;
    long number = 0;
    while (!rest.empty() && IsDecimalDigit(rest.front())) {
      if (number < INT_MAX / 10) number = number * 10 + (rest.front() - '0');
      rest.remove_prefix(1);
    }
    keyFields_.push_back(static_cast<int>(number) - 1);
  }
}

bool RecordFileReader::next() {
  while (!failed_ && in_.is_open()) {
    const ReadResult result = readUntil(recordDelimiter_, record_.text);
    if (result == ReadResult::kEnd) return false;
    if (result == ReadResult::kTooLong) {
      std::cerr << kTooLongLine;
      failed_ = true;
      return false;
    }
    split();
    if (record_.count > 0) return true;
  }
  return false;
}

void RecordFileReader::split() {
  const std::string& text = record_.text;
  record_.positions.clear();
  record_.count = 0;
  const bool skipBreaks = fieldDelimiter_ != "\n" && recordDelimiter_ != "\n" && quote_ != "\n";
  const size_t size = text.size();
  size_t at = 0;
  for (;;) {
    while (at < size &&
           (text[at] == ' ' || (skipBreaks && (text[at] == '\n' || text[at] == '\r')))) {
      ++at;
    }
    if (at >= size) break;
    size_t start = at;
    size_t end = size;
    if (text.compare(at, quote_.size(), quote_) == 0) {
      start = at + quote_.size();
      const size_t close = text.find(quote_, start);
      if (close != std::string::npos) end = close;
      // Text between the closing quote and the next field delimiter belongs to no field and is
      // skipped with the delimiter.
      const size_t delimiter = close == std::string::npos
                                   ? std::string::npos
                                   : text.find(fieldDelimiter_, close + quote_.size());
      at = delimiter == std::string::npos ? size : delimiter + fieldDelimiter_.size();
    } else {
      const size_t delimiter = text.find(fieldDelimiter_, at);
      if (delimiter != std::string::npos) end = delimiter;
      at = delimiter == std::string::npos ? size : delimiter + fieldDelimiter_.size();
    }
    if (record_.positions.size() < RecordFields::kMaxFields) {
      record_.positions.emplace_back(start, end);
    }
    ++record_.count;
  }
}

std::string RecordFileReader::uniqueKey() const {
  if (keyFields_.empty()) return record_.field(1);
  std::string key;
  for (size_t i = 0; i < keyFields_.size(); ++i) {
    const int index = keyFields_[i];
    if (index < 0 || static_cast<size_t>(index) >= record_.positions.size()) {
      std::cerr << kOutOfRangeLine;
      return kInvalidUniqueKey;
    }
    if (i > 0) key += fieldDelimiter_;
    key += record_.field(static_cast<size_t>(index) + 1);
  }
  return key;
}
