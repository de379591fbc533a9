// RepeatStamp: a REPEAT's copy as serialised text with gaps, so that a MASTER's copies can be
// written out object by object instead of being built as nodes and serialised at the end. Only a
// copy whose commands are all plain DISPLAYs and inner MASTERs of such copies gets a stamp: its
// text is then the same for every object but for what goes into the gaps, and nothing that runs
// after the walk (the portal completion, date fields, list numbers, tables shown) would change it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dom/dom_node.h"

struct RepeatStamp;

// One gap of a stamp: a DISPLAY's value or an inner MASTER's copies.
struct StampGap {
  // The command element as the template holds it (with its comment place): the DISPLAY, or the
  // inner REPEAT. Failures name it.
  platform::DomNode command;
  // The command text: the DISPLAY's or the inner REPEAT's.
  std::string text;
  // A DISPLAY: a detached copy of its element, as it stands in every copy, that a value is
  // written into and serialised from when it needs nodes of its own; and that element's
  // serialisation before and after a one-line text (both empty when it has none such).
  platform::DomNode scratch;
  std::string open;
  std::string close;
  // An inner MASTER: the stamp of its REPEAT's copies, and what each adds to the page's size.
  std::unique_ptr<RepeatStamp> inner;
  std::uint64_t copyBytes = 0;
};

// The texts of a stamp and of its inner stamps. They are kept apart from the stamps' nodes, so
// that the markup written from them can keep them alive without keeping the document, which
// keeps the markup.
using StampTexts = std::deque<std::string>;

struct RepeatStamp {
  // texts[i] comes before gaps[i]; the last comes after them all. They lie in `store`.
  std::vector<std::string_view> texts;
  std::shared_ptr<StampTexts> store;
  std::vector<StampGap> gaps;
  // The texts, and those of the inner stamps, are document text as it is: valid UTF-8 without
  // the control characters or references that XML forbids (platform/dom/raw_markup.h).
  bool clean = false;
};

// What the template's commands are to the walk: whether a DISPLAY text writes its value as plain
// text, and whether an inner REPEAT text reads and makes copies without deeper levels.
struct StampCommands {
  std::function<bool(const std::string&)> plainDisplay;
  std::function<bool(const std::string&)> flatRepeat;
};

// Whether serialised `markup` is document text as it is: valid UTF-8 without forbidden control
// characters, and without references to them (the serialiser writes references for control
// characters only).
bool IsDocumentText(std::string_view markup);

// The stamp of the copies of `repeat` (the template, in the page), whose copy as the page would
// hold it before its commands run is `copy` (a detached clone, given over: it is rewritten into
// the stamp). `rowsAllowed` when nothing around the copies will set their rows' borders later
// (a MASTER of the page itself, not of a copy). Null when the copy holds anything else than
// what a stamp can write.
std::unique_ptr<RepeatStamp> MakeRepeatStamp(const platform::DomNode& repeat,
                                             const platform::DomNode& copy,
                                             const StampCommands& commands, bool rowsAllowed,
                                             std::shared_ptr<StampTexts> store = nullptr);
