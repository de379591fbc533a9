// The clean-up of a written page: puts back the word processor's empty-paragraph markup that the
// template conversion replaced by " nbsp=\"True\"" markers.
#pragma once

#include <string>

// The text with "<![if !supportEmptyParas]>&nbsp;<![endif]>" inserted after the ">" that follows
// each " nbsp=\"True\"", every "<!-- nbsp=\"True\"-->" and " nbsp=\"True\"" then removed, and the
// text cut after the first "</html>" when it has one. Pure; any thread.
std::string RestoreEmptyParagraphsInText(const std::string& text);

// Rewrites the file at path with RestoreEmptyParagraphsInText (through a temporary file beside it).
// False, with the file unchanged, when it cannot be read or replaced. Any thread.
bool RestoreEmptyParagraphs(const std::string& path);
