// The command kinds of command texts and the readings of a text that need no parsing.
#include "commands/command_text.h"

#include <array>

namespace {

constexpr std::string_view kRepeatLetters = "RQ";
constexpr char kKindFlagLetter = 'Q';  // the REPEAT letter that sets the Replicator's kind flag

// The kind letters of each command; the letter is followed by ":".
struct KindLetters {
  CommandKind kind;
  std::string_view letters;
};

constexpr std::array<KindLetters, 5> kKindLetters = {{
    {CommandKind::kOpen, "CN"},
    {CommandKind::kDisplay, "FX"},
    {CommandKind::kMaster, "M"},
    {CommandKind::kRepeat, kRepeatLetters},
    {CommandKind::kLimit, "S"},
}};

}  // namespace

CommandKind CommandKindOf(std::string_view text) {
  if (text.size() < 2 || text[1] != ':') return CommandKind::kLink;
  for (const KindLetters& entry : kKindLetters) {
    if (entry.letters.find(text[0]) != std::string_view::npos) return entry.kind;
  }
  return CommandKind::kLink;
}

bool HasRepeatLetter(std::string_view text) {
  return !text.empty() && kRepeatLetters.find(text[0]) != std::string_view::npos;
}

bool HasRepeatKindFlag(std::string_view text) { return text.starts_with(kKindFlagLetter); }

bool IsAnchorLinkDisplay(std::string_view text) { return text.starts_with('X'); }

bool NamesGraphicModifier(std::string_view text) {
  return text.find(":GAA") != std::string_view::npos || text.find(":GSA") != std::string_view::npos;
}
