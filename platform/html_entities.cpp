#include "platform/html_entities.h"

#include <array>
#include <utility>

namespace {

// Code points 160 to 255, in order.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

// The other entities a word processor's page or a hand-edited template is likely to hold.
constexpr std::array<std::pair<std::string_view, int>, 28> kOtherNames = {{
    {"OElig", 338},   {"oelig", 339},  {"Scaron", 352},  {"scaron", 353},  {"Yuml", 376},
    {"fnof", 402},    {"circ", 710},   {"tilde", 732},   {"ensp", 8194},   {"emsp", 8195},
    {"thinsp", 8201}, {"ndash", 8211}, {"mdash", 8212},  {"lsquo", 8216},  {"rsquo", 8217},
    {"sbquo", 8218},  {"ldquo", 8220}, {"rdquo", 8221},  {"bdquo", 8222},  {"dagger", 8224},
    {"Dagger", 8225}, {"bull", 8226},  {"hellip", 8230}, {"permil", 8240}, {"lsaquo", 8249},
    {"rsaquo", 8250}, {"euro", 8364},  {"trade", 8482},
}};

}  // namespace

namespace platform {

int HtmlEntityCodePoint(std::string_view name) {
  for (std::size_t i = 0; i < kLatin1Names.size(); ++i) {
    if (kLatin1Names[i] == name) return static_cast<int>(160 + i);
  }
  for (const auto& [entity, codePoint] : kOtherNames) {
    if (entity == name) return codePoint;
  }
  return -1;
}

}  // namespace platform
