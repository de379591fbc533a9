// Which DISPLAY values are HTML fragments.
#include "generate/formatted_text.h"

#include "model/quire_types.h"

bool IsFormattedText(const QuireAttribute& attribute) {
  return attribute.effectiveType() == QuireType::FORMATTED_TEXT ||
         attribute.name().find("FormattedText") != std::string::npos;
}
