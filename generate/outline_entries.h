// Entries of the outline: the tree description of a generated page's portal links that
// generatePage hands back to the portal, one `outline` element per entry.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>

#include "platform/dom/dom_document.h"

// The texts of one entry, as the registering code has them (references still encoded).
struct OutlineEntryTexts {
  std::string label;       // shown in the tree
  std::string artifactId;  // the artifact the entry opens
  std::string templ;       // the template that shows it
  std::string image;       // the tree icon; empty for the portal's default
  std::string url;         // a plain URL entry when not empty
  std::string frame;       // the frame it opens in; empty for "main"
};

// The entry id for a moment: its UTC year, month, day, hour, minute, second and millisecond as
// decimal numbers without separators or leading zeros (9 March 2007 08:05:03.045 gives
// "20073985345"). Pure; any thread.
std::string OutlineIdAt(std::chrono::system_clock::time_point time);

// The ids given out for the entries of one outline. The portal finds an entry by its id
// (getProxy), so no two entries of a page may share one, though many are made within the same
// millisecond.
class OutlineIds {
 public:
  // The id of `time`; when that was given out already, the next number after it that was not.
  std::string next(std::chrono::system_clock::time_point time);
  // How many ids were given out.
  std::size_t count() const { return following_.size(); }

 private:
  // For each id given out, an id at or before the next one that may be free: the runs of ids
  // given within one millisecond are skipped in one step, not one id at a time.
  std::unordered_map<unsigned long long, unsigned long long> following_;
};

// Appends an `outline` element for `entry` to the document element of `outline`, with the next
// id of `ids` for `time`, and gives that id. Label, template, frame and image are decoded as
// references; the artifact id is decoded and escaped for a single-quoted script argument. Raises
// platform::ComError when the outline has no document element, or when `ids` gave out
// kMaxOutlineEntries already (the message names the limit; the outline is then emptied, so that
// none of it is handed back). One thread per document.
std::string AppendOutlineEntry(platform::DomDocument& outline, OutlineIds& ids,
                               const OutlineEntryTexts& entry,
                               std::chrono::system_clock::time_point time);
