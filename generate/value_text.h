// A value's text in the page: written into its element as nodes, or straight into serialised
// markup when it needs no nodes of its own.
#pragma once

#include <string>
#include <string_view>

#include "platform/dom/dom_node.h"

// One line: the element's text. Several (broken at "\r\n", "\n" or "\r"): a span per line with
// a br between them, all inside the element, so the paragraph (or body) around it keeps its
// structure.
void WriteText(const platform::DomNode& element, const std::string& text);

// Appends `text` as the serialised element text that WriteText makes of it: "&", "<" and ">"
// become references. False, with nothing appended, for a text that WriteText does not make one
// text node of (an empty text, or one with line ends or other control characters). `ascii` tells
// whether every byte was below 0x80: such a text is XML text as it stands.
bool AppendTextMarkup(std::string& out, std::string_view text, bool& ascii);
