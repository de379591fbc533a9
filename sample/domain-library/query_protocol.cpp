// Reading queries, encoding arguments and delivering answers.
#include "query_protocol.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// The longest response length that fits the header: bytes 8-14 hold the digits, byte 15 the
// terminating zero.
constexpr unsigned long kLongestResponse = 9999999;

}  // namespace

QueryWords::QueryWords(const char* query) : line_(query == nullptr ? "" : query) {
  // The agent ends every query with a newline; a carriage return before it is dropped too.
  while (!line_.empty() && (line_.back() == '\n' || line_.back() == '\r')) line_.pop_back();
  size_t start = 0;
  while (start <= line_.size() && !line_.empty()) {
    size_t end = line_.find(' ', start);
    if (end == std::string::npos) end = line_.size();
    words_.push_back(line_.substr(start, end - start));
    starts_.push_back(start);
    start = end + 1;
  }
}

const std::string& QueryWords::operator[](size_t index) const {
  static const std::string kNone;
  return index < words_.size() ? words_[index] : kNone;
}

std::string QueryWords::Rest(size_t index) const {
  return index < starts_.size() ? line_.substr(starts_[index]) : std::string();
}

std::string EncodeArgument(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : text) {
    if (c == '\\' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
      encoded += "\\x";
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    } else {
      encoded += static_cast<char>(c);
    }
  }
  return encoded;
}

std::string DecodeArgument(const std::string& text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      decoded += text[i];
      continue;
    }
    const char next = text[i + 1];
    if (next == 'x' && i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 &&
        HexDigit(text[i + 3]) >= 0) {
      decoded += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
      i += 3;
    } else if (i + 3 < text.size() && IsOctal(next) && IsOctal(text[i + 2]) &&
               IsOctal(text[i + 3])) {
      decoded +=
          static_cast<char>((next - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
      i += 3;
    } else {
      decoded += next;
      i += 1;
    }
  }
  return decoded;
}

void Answer::Succeed(std::string text) {
  ok_ = true;
  text_ = std::move(text);
  // A length of 0 reads as a broken header, so even an empty value is sent as its newline.
  if (text_.empty()) text_ = "\n";
}

void Answer::Fail(const std::string& reason) {
  ok_ = false;
  text_ = reason + "\n";
}

void Answer::Deliver(char* header, const char** response, unsigned long* length) const {
  const std::string* text = &text_;
  bool ok = ok_;
  static std::string tooLong;
  if (text_.size() > kLongestResponse) {
    tooLong = "The answer of " + std::to_string(text_.size()) +
              " bytes is longer than a domain library can send\n";
    text = &tooLong;
    ok = false;
  }
  std::memset(header, 0, 16);
  std::snprintf(header, 16, "%s %lu", ok ? "Success" : "Failure",
                static_cast<unsigned long>(text->size()));
  *response = text->c_str();
  *length = static_cast<unsigned long>(text->size());
}
