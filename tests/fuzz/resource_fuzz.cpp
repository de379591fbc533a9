// Feeds any bytes to the host resource module as its "NUMBER=text" file, then reads the strings
// back by number, as the process-wide host strings and through the messages made of them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "platform/resource_module.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

using fuzz_files::Check;

// The numbers that the text's lines give before their first "=", when they are plain decimal
// numbers (blanks around them allowed) that fit 32 bits.
std::vector<unsigned> NumbersOf(std::string_view text) {
  std::vector<unsigned> numbers;
  while (!text.empty() && numbers.size() < 64) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view digits = line.substr(0, equals);
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) {
      digits.remove_prefix(1);
    }
    uint64_t value = 0;
    size_t used = 0;
    while (used < digits.size() && digits[used] >= '0' && digits[used] <= '9' &&
           value < (1ull << 32)) {
      value = value * 10 + static_cast<uint64_t>(digits[used++] - '0');
    }
    if (used > 0 && value < (1ull << 32)) numbers.push_back(static_cast<unsigned>(value));
  }
  return numbers;
}

// Formatting has no escape for "%": a literal "%" before a dropped "%3" leaves "%" and a digit
// in the result, so the checks look for the arguments, not for the absence of placeholders.
bool Holds(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string path = fuzz_files::Write("Vistafold.rsc", text);
  platform::ResourceModule module;
  std::string error;
  Check(module.Load(path, error), "a written resource file loads");
  Check(module.IsLoaded(), "a loaded module says so");
  size_t lines = 1;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  Check(module.IgnoredLineCount() <= lines, "no more lines ignored than there are");

  for (const unsigned id : NumbersOf(text)) {
    const std::string value = module.String(id);
    Check(value.size() <= size, "a string is no longer than its file");
    const std::string formatted = FormatHostMessage(value, {"first", "second"});
    if (!Holds(value, "%")) Check(formatted == value, "a text without placeholders is kept");
    if (Holds(value, "%1")) Check(Holds(formatted, "first"), "%1 takes the first argument");
    if (Holds(value, "%2")) Check(Holds(formatted, "second"), "%2 takes the second argument");
  }

  // The process-wide module behind the host strings and the statuses made of them.
  platform::InstallHostStrings();
  Check(platform::HostResources().Load(path, error), "the host module loads the file");
  for (const unsigned id : NumbersOf(text)) {
    Check(HostString(id) == platform::LoadHostString(id), "host strings come from the module");
  }
  const QuireStatus status(kEvaluationError, host_message::kNotADirectory, "/some/folder");
  Check(!status.IsOk() &&
            status.Message() ==
                FormatHostMessage(HostString(host_message::kNotADirectory), {"/some/folder"}),
        "a status message is the formatted host string");
  (void)status.Text();
  // A file that cannot be read leaves the module as it was.
  const std::optional<unsigned> kept =
      NumbersOf(text).empty() ? std::nullopt : std::optional<unsigned>(NumbersOf(text).front());
  const std::string before = kept ? module.String(*kept) : std::string();
  Check(!module.Load(fuzz_files::PathOf("missing.rsc"), error), "a missing file fails");
  Check(module.IsLoaded() && (!kept || module.String(*kept) == before),
        "a failed load keeps the strings");
  platform::HostResources().Unload();
  Check(!platform::HostResources().IsLoaded(), "an unloaded module says so");
  return 0;
}
