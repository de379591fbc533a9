// Which DISPLAY values are HTML fragments written into the page as markup, not as text.
#pragma once

#include "model/quire_attribute.h"

// True for an attribute of the formatted-text type, or whose name says it holds formatted text
// ("DescriptionFormattedText" of a remote domain); annotation and the walk ask the same question.
bool IsFormattedText(const QuireAttribute& attribute);
