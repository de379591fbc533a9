// The pictures that DISPLAY commands of graphic values write into the page: the picture file
// copied into the companion folder, the VML shape and its fallback image sized to the placeholder,
// and an image map when the object maps regions of the picture to other objects.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands/field.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "generate/link_texts.h"
#include "generate/picture_files.h"
#include "generate/script_escaping.h"
#include "generate/vml_fallback_images.h"
#include "generate/web_page_generator.h"
#include "model/picture_request.h"
#include "platform/file_io.h"
#include "platform/log.h"

using platform::DomNode;

namespace {

namespace fs = std::filesystem;

// Pictures are laid out for a screen of this resolution, whatever the machine's own.
constexpr double kDotsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;
// A placeholder larger than this is a typing error in the template, not a size.
constexpr double kLargestInches = 1000.0;

constexpr const char* kPictureMissing = "<picture missing>";
constexpr const char* kMappedPoints = "MappedPoints";
constexpr const char* kMappedArtifacts = "MappedArtifacts";

struct PictureSize {
  double widthInches = 0;
  double heightInches = 0;
  bool known = false;
};

// A style length such as "90pt" or "1.25in" in inches; other units are not sizes we can use.
bool LengthInInches(std::string_view value, double& inches) {
  value = TrimmedBlanks(value);
  double divisor = 0;
  if (value.ends_with("in")) {
    divisor = 1.0;
  } else if (value.ends_with("pt")) {
    divisor = kPointsPerInch;
  } else {
    return false;
  }
  value.remove_suffix(2);
  value = TrimmedBlanks(value);
  double number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size()) return false;
  inches = number / divisor;
  return std::isfinite(inches) && inches > 0 && inches <= kLargestInches;
}

// The width and height declared in a shape's style; unknown unless both are readable.
PictureSize SizeOfStyle(const std::string& style) {
  PictureSize size;
  bool haveWidth = false;
  bool haveHeight = false;
  std::size_t start = 0;
  while (start <= style.size()) {
    std::size_t end = style.find(';', start);
    if (end == std::string::npos) end = style.size();
    const std::string_view declaration = std::string_view(style).substr(start, end - start);
    const std::size_t colon = declaration.find(':');
    if (colon != std::string_view::npos) {
      const std::string_view name = TrimmedBlanks(declaration.substr(0, colon));
      const std::string_view value = declaration.substr(colon + 1);
      if (name == "width") haveWidth = LengthInInches(value, size.widthInches);
      if (name == "height") haveHeight = LengthInInches(value, size.heightInches);
    }
    start = end + 1;
  }
  size.known = haveWidth && haveHeight;
  return size;
}

// The placeholder's VML shape: the first styled shape, or the styled element that follows a
// shape type (Word writes the type first, then the shape drawn with it).
DomNode PlaceholderShapeOf(const DomNode& element) {
  const DomNode shape = element.selectSingleNode(".//v:shape[@style]");
  if (shape) return shape;
  const DomNode shapeType = element.selectSingleNode(".//v:shapetype");
  if (!shapeType) return {};
  for (DomNode next = shapeType.nextSibling(); next; next = next.nextSibling()) {
    if (next.nodeType() != platform::kDomElement) continue;
    return next.hasAttribute("style") ? next : DomNode();
  }
  return {};
}

// A number as the page writes it: two decimals, always with "." whatever the locale.
std::string PageNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  std::string result(text);
  for (char& c : result) {
    if (c == ',') c = '.';
  }
  return result;
}

// A relative URL for a picture file: blanks as "%20", and every byte that could end the
// attribute, the script string the fallback image is written in, or the path itself as %HH.
std::string PictureUrl(const std::string& folderName, const std::string& fileName) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "./";
  for (const char c : folderName + "/" + fileName) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool plain = std::isalnum(byte) ||
                       std::string_view("-._~/!$()*+,;=:@").find(c) != std::string_view::npos;
    if (plain && byte < 0x80) {
      url += c;
    } else {
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 0x0F];
    }
  }
  return url;
}

// The extension the copy keeps: the source's own when it is a plain word, else the format found.
std::string CopyExtension(const std::string& path, const std::string& format) {
  std::string extension = fs::path(path).extension().string();
  if (!extension.empty()) extension.erase(0, 1);
  if (extension.empty() || extension.size() > 8) return format;
  for (char& c : extension) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return format;
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return extension;
}

// Copies the picture at `source` into `folder` under the next "newimage" name. Gives that name
// and the picture's natural size, or an empty name with `status` telling why nothing was written.
std::string CopyPicture(const std::string& source, const std::string& folder, PictureSize& natural,
                        QuireStatus& status) {
  std::string bytes;
  std::string reason;
  if (!platform::ReadWholeFile(source, bytes, reason)) {
    status = QuireStatus(kFileNotFound, host_message::kFileNotOpened, source);
    status = QuireStatus(kFileNotFound, status.Message() + " " + reason);
    return "";
  }
  if (bytes.empty()) {
    status = QuireStatus(kProcessingError, source + ": the file is empty.");
    return "";
  }
  const std::string format = PictureFormatOfBytes(bytes);
  if (format.empty()) {
    status = QuireStatus(kProcessingError,
                         source + ": the file holds no gif, png, jpeg or bmp picture.");
    return "";
  }
  if (!EnsureFolder(folder)) {
    status = QuireStatus(kFileNotFound, folder + ": the folder cannot be made.");
    return "";
  }
  const std::string name = NextPictureName(folder, CopyExtension(source, format));
  if (const int error = platform::ReplaceFile((fs::path(folder) / name).string(), bytes);
      error != 0) {
    status = QuireStatus(kFileNotFound, name + ": " + platform::SystemErrorText(error));
    return "";
  }
  int width = 0;
  int height = 0;
  if (NaturalPictureSize(bytes, width, height)) {
    natural.widthInches = width / kDotsPerInch;
    natural.heightInches = height / kDotsPerInch;
    natural.known = true;
  }
  return name;
}

// The placeholder's shape and image give way to a visible mark, so the page still loads and the
// reader sees that a picture is missing.
void MarkPictureMissing(const DomNode& element, const DomNode& shape, const DomNode& image) {
  const DomNode mark = element.ownerDocument()->createElement("span");
  mark.setText(kPictureMissing);
  const DomNode first = shape ? shape : image;
  if (first && first.parentNode()) {
    first.parentNode().insertBefore(mark, first);
  } else {
    element.appendChild(mark);
  }
  if (image && image.parentNode()) {
    const DomNode after = image.nextSibling();
    if (after && after.nodeType() == platform::kDomElement && after.nodeName() == "SCRIPT") {
      image.parentNode().removeChild(after);
    }
    image.parentNode().removeChild(image);
  }
  if (shape && shape.parentNode()) shape.parentNode().removeChild(shape);
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

// The text of a mapping attribute of `object`; false when its class has no such attribute.
bool MappingText(const QuireObject& object, const char* name, std::string& text) {
  QuireStatus status;
  const QuireClass cls = object.getClass(status);
  if (!status.IsOk() || cls.isUndefined()) return false;
  const QuireAttribute& attribute = cls.findAttribute(name, status);
  if (!status.IsOk()) return false;
  const QuireAttributeValue value = object.getAttributeValue(attribute, status);
  if (!status.IsOk() || value.isUndefined()) return false;
  text = value.displayText();
  return true;
}

// Adds a `map` named `mapName` to the element, one polygon area per mapped object. False when
// the object maps nothing.
bool AddImageMap(const DomNode& element, const QuireObject& object, const std::string& mapName) {
  std::string points;
  std::string artifacts;
  if (!MappingText(object, kMappedPoints, points) ||
      !MappingText(object, kMappedArtifacts, artifacts)) {
    return false;
  }
  const std::vector<std::string> pointLines = LinesOf(points);
  const std::vector<std::string> artifactLines = LinesOf(artifacts);
  if (pointLines.size() != artifactLines.size()) {
    platform::Log("The image map of " + mapName + " has " + std::to_string(pointLines.size()) +
                      " point lists for " + std::to_string(artifactLines.size()) +
                      " objects; the areas without a partner are left out.",
                  platform::kLogWarning);
  }
  const std::size_t count = std::min(pointLines.size(), artifactLines.size());
  if (count == 0) return false;
  const std::shared_ptr<platform::DomDocument> document = element.ownerDocument();
  const DomNode map = document->createElement("map");
  map.setAttribute("name", mapName);
  for (std::size_t i = 0; i < count; ++i) {
    const DomNode area = document->createElement("area");
    area.setAttribute("shape", "Polygon");
    area.setAttribute("coords", std::string(TrimmedBlanks(pointLines[i])));
    area.setAttribute(
        "href",
        "JavaScript:getPage('" +
            EscapeScriptArgument(DecodeReference(std::string(TrimmedBlanks(artifactLines[i])))) +
            "','','','0','','','0')");
    map.appendChild(area);
  }
  element.appendChild(map);
  return true;
}

// The fallback image of the placeholder, made after the shape (or at the end) when missing.
DomNode FallbackImageOf(const DomNode& element, const DomNode& shape) {
  const DomNode image = element.selectSingleNode(".//img");
  if (image) return image;
  const DomNode made = element.ownerDocument()->createElement("img");
  if (shape && shape.parentNode()) {
    shape.parentNode().insertBefore(made, shape.nextSibling());
  } else {
    element.appendChild(made);
  }
  return made;
}

bool FollowsShape(const DomNode& image, const DomNode& shape) {
  if (!shape) return false;
  DomNode before = image.previousSibling();
  while (before && before.nodeType() != platform::kDomElement) before = before.previousSibling();
  return before == shape;
}

// What the placeholder asks of the domain's picture: the format of the picture Word saved in it
// (the shape's image data, else the fallback image: "image001.jpg" asks for jpg; no picture or
// another extension for png) and the placeholder's size, when known.
PictureRequest RequestOf(const DomNode& element, const DomNode& shape, const PictureSize& size) {
  PictureRequest request;
  DomNode picture = shape ? shape.selectSingleNode(".//v:imagedata[@src]") : DomNode();
  if (!picture) picture = element.selectSingleNode(".//img[@src]");
  if (picture) {
    std::string extension = fs::path(picture.getAttribute("src")).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".jpg" || extension == ".jpeg") {
      request.format = "jpg";
    } else if (extension == ".gif" || extension == ".bmp" || extension == ".asis") {
      request.format = extension.substr(1);
    }
  }
  if (size.known) {
    request.width = size.widthInches;
    request.height = size.heightInches;
    request.unit = PictureRequest::kInches;
  }
  return request;
}

}  // namespace

bool WebPageGenerator::writeGraphicValue(QuireBindingList& context, const DomNode& element,
                                         const Field& field) {
  const DomNode shape = PlaceholderShapeOf(element);
  const PictureSize placeholder = shape ? SizeOfStyle(shape.getAttribute("style")) : PictureSize{};

  QuireStatus status;
  std::string linkText;
  QuireObject reached;
  const QuireAttributeValue value = field.evaluate(status, context, 0, linkText, reached,
                                                   RequestOf(element, shape, placeholder).text());
  if (!status.IsOk() && status.Kind() != kNoResult) {
    QuireStatus printStatus;
    platform::Log(HostString(host_message::kDisplayValueNotEvaluated) + " " +
                      field.print(printStatus) + " (" + status.Text() + ")",
                  platform::kLogError);
    setStatus(status);
    return false;
  }

  // A value that is no picture (nothing found, no picture stored) takes the placeholder's place
  // as a text value would: an undefined one leaves it empty.
  const QuireGraphic* graphic = value.graphic();
  if (graphic == nullptr) {
    element.setText(value.isUndefined() ? std::string() : value.displayText());
    return true;
  }
  PictureSize natural;
  const std::string fileName = CopyPicture(graphic->path(), companionFolder(), natural, status);
  if (fileName.empty()) {
    platform::Log(HostString(host_message::kPictureNotWritten) + " (" + status.Text() + ")",
                  platform::kLogWarning);
    MarkPictureMissing(element, shape, element.selectSingleNode(".//img"));
    return true;
  }
  ++imageCounter_;

  // A template author frames a picture by giving its placeholder a top border.
  std::string border = "0";
  if (field.modifier().get() != nullptr && field.modifier().get()->letter() == 'G' &&
      element.selectSingleNode(".//w:bordertop[@type]")) {
    border = "1";
  }
  const std::string mapName = "mymap" + std::to_string(imageCounter_);
  const bool mapped = AddImageMap(element, reached, mapName);
  if (mapped) border = "0";

  const PictureSize size = placeholder.known ? placeholder : natural;
  const std::string source = PictureUrl(fs::path(companionFolder()).filename().string(), fileName);
  if (shape) {
    if (size.known) {
      shape.setAttribute("style",
                         "width:" + PageNumber(size.widthInches * kPointsPerInch) +
                             "pt;height:" + PageNumber(size.heightInches * kPointsPerInch) + "pt");
    }
    for (const DomNode& data : shape.selectNodes(".//v:imagedata")) {
      data.setAttribute("src", source);
      data.removeAttribute("cropbottom");
      data.removeAttribute("cropright");
    }
    for (const char* name : {"width", "height", "v:shapes"}) shape.removeAttribute(name);
  }

  const DomNode image = FallbackImageOf(element, shape);
  image.setAttribute("src", source);
  if (size.known) {
    image.setAttribute("width", PageNumber(size.widthInches * kDotsPerInch));
    image.setAttribute("height", PageNumber(size.heightInches * kDotsPerInch));
  } else {
    // The picture's own size is unknown: let the browser take it from the file.
    image.removeAttribute("width");
    image.removeAttribute("height");
  }
  image.setAttribute("border", border);
  if (mapped) image.setAttribute("usemap", "#" + mapName);

  if (FollowsShape(image, shape)) {
    const DomNode after = image.nextSibling();
    if (after && after.nodeType() == platform::kDomElement && after.nodeName() == "SCRIPT") {
      image.parentNode().removeChild(after);
    }
    image.removeAttribute("style");
    WrapFallbackImage(*element.ownerDocument(), image);
  }
  return true;
}
