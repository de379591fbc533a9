// Picture export through libgd.
#include "kestrel/picture_export.h"

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "foundation/text_helpers.h"
#include "kestrel/picture_library.h"
#include "platform/com_error.h"
#include "platform/fault_injection.h"

namespace kestrel {
namespace {

using platform::ComError;
using platform::kE_FAIL;

constexpr double kPixelsPerInch = 96.0;

struct ImageDeleter {
  void operator()(gdImage* image) const { Pictures().destroy(image); }
};
using Image = std::unique_ptr<gdImage, ImageDeleter>;

// A whole number of the settings, or 0 when absent or not a number.
double SettingNumber(const PictureExportSettings& settings, const char* key) {
  const std::string text = settings.Get("Format", key);
  if (text.empty()) return 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return end != nullptr && *end == '\0' && value > 0 && std::isfinite(value) ? value : 0;
}

Image Decode(const std::string& bytes, const std::string& format) {
  void* data = const_cast<char*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  const PictureLibrary& gd = Pictures();
  if (format == "png") return Image(gd.createFromPng(size, data));
  if (format == "jpg") return Image(gd.createFromJpeg(size, data));
  if (format == "gif") return Image(gd.createFromGif(size, data));
  return Image(gd.createFromBmp(size, data));
}

Image Scale(Image image, const PictureExportSettings& settings) {
  const double unitsPerInch = SettingNumber(settings, "UnitsPerInch");
  const double perUnit = unitsPerInch > 0 ? kPixelsPerInch / unitsPerInch : 1.0;
  const double width = SettingNumber(settings, "Width") * perUnit;
  const double height = SettingNumber(settings, "Height") * perUnit;
  if (width <= 0 && height <= 0) return image;
  const int sourceWidth = gdImageSX(image.get());
  const int sourceHeight = gdImageSY(image.get());
  int targetWidth = static_cast<int>(std::lround(width));
  int targetHeight = static_cast<int>(std::lround(height));
  if (width <= 0) targetWidth = static_cast<int>(std::lround(sourceWidth * height / sourceHeight));
  if (height <= 0) targetHeight = static_cast<int>(std::lround(sourceHeight * width / sourceWidth));
  targetWidth = std::max(targetWidth, 1);
  targetHeight = std::max(targetHeight, 1);
  const PictureLibrary& gd = Pictures();
  Image scaled(gd.createTrueColor(targetWidth, targetHeight));
  if (!scaled) throw ComError(platform::kE_OUTOFMEMORY, "picture too large to scale");
  gd.alphaBlending(scaled.get(), 0);
  gd.saveAlpha(scaled.get(), 1);
  gd.copyResampled(scaled.get(), image.get(), 0, 0, 0, 0, targetWidth, targetHeight, sourceWidth,
                   sourceHeight);
  return scaled;
}

std::string Encode(gdImage* image, const std::string& format) {
  const PictureLibrary& gd = Pictures();
  int size = 0;
  void* data = nullptr;
  if (format == "jpg") {
    data = gd.jpeg(image, &size, 90);
  } else if (format == "gif") {
    data = gd.gif(image, &size);
  } else if (format == "bmp") {
    data = gd.bmp(image, &size, 0);
  } else {
    data = gd.png(image, &size);
  }
  if (data == nullptr) return std::string();
  // Freed also when copying the bytes runs out of memory.
  const std::unique_ptr<void, void (*)(void*)> encoded(data, gd.free);
  return std::string(static_cast<const char*>(encoded.get()), static_cast<size_t>(size));
}

void WriteThroughTemporary(const std::string& path, const std::string& bytes) {
  // Unique per export, so two exports of one picture never share a half-written file.
  static std::atomic<int> counter{0};
  const std::string temporary =
      path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (platform::InjectFault(platform::Seam::Write)) out.setstate(std::ios::badbit);
    if (!out.flush()) {
      std::remove(temporary.c_str());
      throw ComError(kE_FAIL, path + ": cannot be written");
    }
  }
  std::error_code error;
  if (platform::InjectFault(platform::Seam::Rename)) {
    error = std::make_error_code(std::errc::permission_denied);
  } else {
    std::filesystem::rename(temporary, path, error);
  }
  if (error) {
    std::remove(temporary.c_str());
    throw ComError(kE_FAIL, path + ": " + error.message());
  }
}

}  // namespace

std::string PictureFormatOf(const std::string& bytes) {
  if (bytes.rfind("\x89PNG\r\n\x1A\n", 0) == 0) return "png";
  if (bytes.rfind("\xFF\xD8\xFF", 0) == 0) return "jpg";
  if (bytes.rfind("GIF87a", 0) == 0 || bytes.rfind("GIF89a", 0) == 0) return "gif";
  if (bytes.size() > 14 && bytes.rfind("BM", 0) == 0) return "bmp";
  return std::string();
}

void ExportPictureBytes(const std::string& bytes, const PictureExportSettings& settings,
                        const std::string& what) {
  const std::string sourceFormat = PictureFormatOf(bytes);
  if (sourceFormat.empty())
    throw ComError(kE_FAIL, what + ": the picture is no png, jpeg, gif or bmp");
  const std::string path = settings.Get("File", "Path");
  if (path.empty()) throw ComError(platform::kE_INVALIDARG, what + ": no picture file path");
  std::string format = LowercaseCopy(settings.Get("Format", "Format"));
  if (format == "jpeg") format = "jpg";
  if (format == "asis") {
    WriteThroughTemporary(path, bytes);
    return;
  }
  if (format != "jpg" && format != "gif" && format != "bmp") format = "png";
  Image image = Decode(bytes, sourceFormat);
  if (!image) throw ComError(kE_FAIL, what + ": the " + sourceFormat + " picture cannot be read");
  image = Scale(std::move(image), settings);
  const std::string encoded = Encode(image.get(), format);
  if (encoded.empty())
    throw ComError(kE_FAIL, what + ": the picture cannot be written as " + format);
  WriteThroughTemporary(path, encoded);
}

}  // namespace kestrel
