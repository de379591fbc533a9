// Carrying one query to a domain library and its answer back.
#include "domains/information_query.h"

#include <cstdio>
#include <cstring>

#include "domains/domain_library_table.h"
#include "platform/work_limits.h"

namespace {

constexpr std::size_t kHeaderBytes = 16;

void WriteDiagnostic(const std::string& text) {
  const std::string line = "*** QuireInformationQuery::makeQuery: " + text + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

// The header as text for messages: up to its first zero byte, other control bytes as "?".
std::string HeaderText(const char (&header)[kHeaderBytes + 1]) {
  std::string text;
  for (std::size_t i = 0; i < kHeaderBytes && header[i] != '\0'; ++i) {
    const auto byte = static_cast<unsigned char>(header[i]);
    text += byte < 0x20 || byte == 0x7F ? '?' : header[i];
  }
  return text;
}

// The decimal number from byte 8 (leading blanks skipped); 0 when there are no digits.
std::size_t AnnouncedLength(const char (&header)[kHeaderBytes + 1]) {
  std::size_t at = 8;
  while (at < kHeaderBytes && header[at] == ' ') ++at;
  std::size_t length = 0;
  for (; at < kHeaderBytes && header[at] >= '0' && header[at] <= '9'; ++at) {
    length = length * 10 + static_cast<std::size_t>(header[at] - '0');
  }
  return length;
}

}  // namespace

void QuireInformationQuery::makeQuery(const std::string& domain, const std::string& query,
                                      std::string& response, QuireStatus& status) {
  status = QuireStatus();
  response.clear();
  DomainLibraryTable& table = DomainLibraryTable::instance();
  const std::lock_guard<std::mutex> guard(table.lock());
  DomainLibraryTable::Entry* entry = table.entryFor(domain, status);
  if (entry == nullptr || !status.IsOk()) return;

  std::string text = query;
  if (text.empty() || text.back() != '\n') text += '\n';
  // A query is one line. An identifier that a library answered with a line break in it would
  // make it two, which the library would read as two queries (or as one without its newline).
  if (text.find('\n') != text.size() - 1) {
    std::string shown = text.substr(0, text.size() - 1);
    for (char& c : shown) c = c == '\n' ? '|' : c;
    status = QuireStatus(kInformationSourceError,
                         "The query to the information source " + domain +
                             " holds a line break, which no query may: \"" + shown + "\"");
    WriteDiagnostic(status.Message());
    return;
  }
  if (entry->query == nullptr) {
    status = QuireStatus(kEvaluationError, host_message::kNoQueryFunction, domain);
    WriteDiagnostic(status.Message());
    return;
  }

  char header[kHeaderBytes + 1] = {};
  const char* answer = nullptr;
  unsigned long answerLength = 0;
  entry->query(text.c_str(), header, &answer, &answerLength);
  header[kHeaderBytes] = '\0';

  const bool failed = std::memcmp(header, "Success", 7) != 0;
  const std::size_t length = AnnouncedLength(header);
  const std::string queryShown = text.substr(0, text.size() - (text.back() == '\n' ? 1 : 0));
  const auto fail = [&](QuireStatus failure) {
    status = std::move(failure);
    response.clear();
    WriteDiagnostic("Error reading from domain " + domain + ": query => \"" + queryShown +
                    "\", status => " + status.Text());
  };
  if (length == 0) {
    fail(QuireStatus(kInformationSourceError,
                     "The information source " + domain +
                         " returned an incorrect response header - \"" + HeaderText(header) +
                         "\", check domain executable for extraneous output"));
    return;
  }
  // A response is read like a data file: a library that announces more is refused before
  // anything is copied, so a wrong length cannot make this process read without end.
  const std::uint64_t limit =
      platform::ConfiguredLimit(platform::kMaxDataFileBytesKey, platform::kDefaultMaxDataFileBytes);
  if (length > limit) {
    fail(QuireStatus(kInformationSourceError,
                     "The information source " + domain + " announced a response of " +
                         std::to_string(length) + " bytes, more than " +
                         platform::LimitText(platform::kMaxDataFileBytesKey, limit)));
    return;
  }
  if (answer == nullptr) {
    fail(QuireStatus(kInformationSourceError,
                     "The information source " + domain + " returned no response text"));
    return;
  }
  // Exactly the reported bytes, stopping early at a zero byte, and never more than announced.
  const std::size_t available = answerLength < length ? answerLength : length;
  const void* zero = std::memchr(answer, '\0', available);
  const std::size_t copied =
      zero == nullptr ? available
                      : static_cast<std::size_t>(static_cast<const char*>(zero) - answer);
  // A zero byte ends the response early; without one, fewer bytes than announced is a fault.
  if (zero == nullptr && copied < length) {
    fail(QuireStatus(kInformationSourceError,
                     "The information source " + domain + " announced a response of " +
                         std::to_string(length) + " bytes but returned " + std::to_string(copied)));
    return;
  }
  response.assign(answer, copied);
  if (failed) {
    status = QuireStatus(kInformationSourceError, ResponseText(response));
    response.clear();
  }
}

std::string ResponseText(const std::string& response) {
  if (!response.empty() && response.back() == '\n') {
    return response.substr(0, response.size() - 1);
  }
  return response;
}

std::vector<std::string> ResponseLines(const std::string& response) {
  std::vector<std::string> lines;
  const std::string text = ResponseText(response);
  if (text.empty()) return lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}
