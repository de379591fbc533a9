// The text form of picture requests and their sizes in thousandths of an inch.
#include "model/picture_request.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

namespace {

constexpr const char* kNoPath = "<UNDEFINED>";

// Thousandths of an inch per unit, indexed by unit code.
double ThousandthsPerUnit(int32_t unit) {
  switch (unit) {
    case PictureRequest::kInches:
      return 1000.0;
    case PictureRequest::kCentimeters:
      return 1000.0 / 2.54;
    case PictureRequest::kMillimeters:
      return 1000.0 / 25.4;
    case PictureRequest::kPoints:
      return 1000.0 / 72.0;
    case PictureRequest::kPicas:
      return 1000.0 / 6.0;
    default:
      return 0;
  }
}

unsigned Thousandths(double value, int32_t unit) {
  const double scaled = std::round(value * ThousandthsPerUnit(unit));
  if (!(scaled > 0)) return 0;
  if (scaled >= std::numeric_limits<unsigned>::max()) return std::numeric_limits<unsigned>::max();
  return static_cast<unsigned>(scaled);
}

std::string NumberText(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

bool ReadNumber(const std::string& text, double& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value) &&
         value >= 0;
}

}  // namespace

std::string PictureRequest::text() const {
  return (path.empty() ? std::string(kNoPath) : path) + " " + format + " " + NumberText(width) +
         " " + NumberText(height) + " " + std::to_string(unit) + ":";
}

bool PictureRequest::read(const std::string& imageName, PictureRequest& request) {
  std::istringstream stream(imageName);
  std::vector<std::string> fields;
  for (std::string field; stream >> field;) fields.push_back(field);
  if (fields.size() != 5 || !fields[4].ends_with(':')) return false;
  PictureRequest read;
  read.path = fields[0] == kNoPath ? std::string() : fields[0];
  read.format = fields[1];
  if (read.format != "png" && read.format != "jpg" && read.format != "gif" &&
      read.format != "bmp" && read.format != "asis") {
    return false;
  }
  if (!ReadNumber(fields[2], read.width) || !ReadNumber(fields[3], read.height)) return false;
  const std::string unit = fields[4].substr(0, fields[4].size() - 1);
  const auto [end, error] = std::from_chars(unit.data(), unit.data() + unit.size(), read.unit);
  if (error != std::errc() || end != unit.data() + unit.size() ||
      ThousandthsPerUnit(read.unit) == 0) {
    return false;
  }
  request = read;
  return true;
}

unsigned PictureRequest::widthThousandths() const { return sized() ? Thousandths(width, unit) : 0; }

unsigned PictureRequest::heightThousandths() const {
  return sized() ? Thousandths(height, unit) : 0;
}
