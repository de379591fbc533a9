// Fixed bounds on the shape of outside input (templates, pages, line-based files, outline), each
// far above what a real file or page needs, so that no input can exhaust the stack, the memory
// or the time of the portal's process. The limits that an administrator may change are
// configuration keys (platform/work_limits.h).
#pragma once

#include <cstddef>

// Elements inside elements in any XML document the library loads (a template, a fragment of
// formatted text, the error page). Word's pages nest about 30 deep; a deeper document is
// refused as it is loaded, before anything walks it.
inline constexpr std::size_t kMaxElementNesting = 1000;

// Entries of a page's outline (its portal links and registered URLs). A page with more fails,
// and no outline is handed back.
inline constexpr std::size_t kMaxOutlineEntries = 100000;

// Bytes in one line of a line-based file that has no line length of its own: the parameter file,
// INI files (registry, settings, alias files), the data-source description file and DOMAIN.EXT.
// A longer line fails the file (or, for an INI file, is left out) with its line number.
inline constexpr std::size_t kMaxTextLineBytes = 65536;
