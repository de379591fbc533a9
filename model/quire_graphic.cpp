#include "model/quire_graphic.h"

#include <array>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "foundation/number_images.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"

namespace {

constexpr std::array<std::string_view, 7> kFormatNames = {"eps", "mif", "wmf", "jpg",
                                                          "gif", "png", "bmp"};

// The blank-separated fields of a description (runs of blanks and tabs count as one).
std::vector<std::string> BlankSeparatedFields(const std::string& text) {
  std::vector<std::string> fields;
  size_t position = 0;
  while (position < text.size()) {
    const size_t begin = text.find_first_not_of(" \t", position);
    if (begin == std::string::npos) break;
    size_t end = text.find_first_of(" \t", begin);
    if (end == std::string::npos) end = text.size();
    fields.push_back(text.substr(begin, end - begin));
    position = end;
  }
  return fields;
}

// A size field as a float; false when the text is not a decimal number.
bool ReadSize(const std::string& text, float& size) {
  bool valid = false;
  const double value = ParseDecimal(text, valid);
  if (valid) size = static_cast<float>(value);
  return valid;
}

// A unit code: optional sign and decimal digits only, within 32 bits.
bool ReadUnit(const std::string& text, int32_t& unit) {
  if (text.empty()) return false;
  size_t digits = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (digits == text.size() || text.size() > 11) return false;
  for (size_t i = digits; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value < INT32_MIN || value > INT32_MAX) return false;
  unit = static_cast<int32_t>(value);
  return true;
}

}  // namespace

QuireGraphic::QuireGraphic() = default;

QuireGraphic::QuireGraphic(const std::string& path, int32_t format)
    : path_(path.empty() ? "<UNDEFINED>" : path), format_(format) {}

QuireGraphic QuireGraphic::fromConstant(const std::string& text) {
  return QuireGraphic(text, kWmf);
}

QuireGraphic QuireGraphic::fromDescription(const std::string& text, QuireStatus& status) {
  status = QuireStatus();
  const std::vector<std::string> fields = BlankSeparatedFields(text);
  if (fields.size() < 2) {
    status = QuireStatus(kSyntaxError, host_message::kGraphicWithoutPathOrFormat);
    return fields.empty() ? QuireGraphic() : QuireGraphic(fields[0]);
  }
  QuireGraphic graphic(fields[0]);
  const int32_t format = formatCode(fields[1]);
  if (format < 0) {
    status = QuireStatus(kSyntaxError, host_message::kUnknownPictureFormat, fields[1]);
    return graphic;
  }
  graphic.setFormat(format);

  float width = 1.0f;
  float height = 1.0f;
  if (fields.size() < 4 || !ReadSize(fields[2], width) || !ReadSize(fields[3], height)) {
    status = QuireStatus(kSyntaxError, host_message::kGraphicWithoutSize);
    return graphic;
  }
  // The unit code ends at ":"; whatever follows belongs to the deliverer, not to the picture.
  std::string unitText;
  if (fields.size() > 4) {
    std::string rest = fields[4];
    SplitHead(rest, unitText, ':');
  }
  int32_t unit = 0;
  if (!ReadUnit(unitText, unit)) {
    graphic.setSize(width, height, graphic.unit());
    status = QuireStatus(kSyntaxError, host_message::kGraphicWithoutUnit);
    return graphic;
  }
  graphic.setSize(width, height, unit);
  return graphic;
}

int32_t QuireGraphic::formatCode(const std::string& name) {
  // Deliverers write format names in either case ("GIF", "gif").
  const std::string lower = LowercaseCopy(name);
  for (size_t code = 0; code < kFormatNames.size(); ++code) {
    if (lower == kFormatNames[code]) return static_cast<int32_t>(code);
  }
  return -1;
}
