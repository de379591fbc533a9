// Command texts as a template carries them: the attribute of the element that holds one, the
// command kind that its prefix names, and the readings of a text that the page walk and the
// annotation make without parsing the command.
#pragma once

#include <string_view>

// The attribute of a template element whose value is the command text of the region it holds.
inline constexpr char kCommandAttribute[] = "QuireQuery";

// The command a text stands for, by its first two characters: "C:"/"N:" OPEN, "F:"/"X:" DISPLAY,
// "M:" MASTER, "R:"/"Q:" REPEAT, "S:" LIMIT; any other text names the object of a LINK.
enum class CommandKind : int {
  kOpen = 0,
  kDisplay = 1,
  kMaster = 2,
  kRepeat = 3,
  kLimit = 4,
  kLink = 5,
};

CommandKind CommandKindOf(std::string_view text);

// Whether the text begins with a REPEAT's kind letter, "Q" or "R" (asked of the command that must
// follow a MASTER, before it is parsed).
bool HasRepeatLetter(std::string_view text);

// Whether a REPEAT text begins with "Q", the letter that sets the Replicator's kind flag.
bool HasRepeatKindFlag(std::string_view text);

// Whether a DISPLAY text begins with "X": its value links to an anchor of the page, which
// makes the DISPLAY a block of its own.
bool IsAnchorLinkDisplay(std::string_view text);

// Whether a DISPLAY text names a graphic modifier ("...:GAA" or "...:GSA"), read without looking
// up its attribute.
bool NamesGraphicModifier(std::string_view text);
