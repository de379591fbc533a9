#include "generate/picture_files.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "foundation/text_helpers.h"
#include "platform/fault_injection.h"
#include "platform/folder_listing.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPicturePrefix = "newimage";

// Sets `stem` to the text between "newimage" and ".<extension>" of a picture name; false when
// `name` is not a picture name for that extension. Names compare without case, as on the host.
bool PictureStem(const std::string& name, const std::string& extension, std::string_view& stem) {
  const std::string suffix = "." + extension;
  if (name.size() < kPicturePrefix.size() + suffix.size()) return false;
  if (!EqualsIgnoringCase(std::string_view(name).substr(0, kPicturePrefix.size()),
                          kPicturePrefix)) {
    return false;
  }
  if (!EqualsIgnoringCase(std::string_view(name).substr(name.size() - suffix.size()), suffix)) {
    return false;
  }
  stem = std::string_view(name).substr(kPicturePrefix.size(),
                                       name.size() - kPicturePrefix.size() - suffix.size());
  return true;
}

}  // namespace

std::string NextPictureName(const std::string& folder, const std::string& extension) {
  unsigned long highest = 0;
  std::error_code error;
  if (fs::is_directory(folder, error)) {
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
      const std::string& name = entry.name;
      std::string_view stem;
      if (!PictureStem(name, extension, stem) || stem.empty() || stem.size() > 9) continue;
      unsigned long number = 0;
      bool digits = true;
      for (char c : stem) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
          digits = false;
          break;
        }
        number = number * 10 + static_cast<unsigned long>(c - '0');
      }
      if (digits && number > highest) highest = number;
    }
  }
  char number[16];
  std::snprintf(number, sizeof number, "%03lu", highest + 1);
  return std::string(kPicturePrefix) + number + "." + extension;
}

bool EnsureFolder(const std::string& folder) {
  if (folder.empty()) return false;
  std::error_code error;
  if (fs::is_directory(folder, error)) return true;
  if (platform::InjectFault(platform::Seam::MakeFolder)) return false;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error);
}

void RemoveOldPictures(const std::string& companionFolder) {
  std::error_code error;
  if (!fs::is_directory(companionFolder, error)) return;
  for (const platform::FolderEntry& entry : platform::ListFolder(companionFolder)) {
    std::string_view stem;
    if (PictureStem(entry.name, "gif", stem) && entry.regular) {
      fs::remove(fs::path(companionFolder) / entry.name, error);
    }
  }
}

namespace {

uint32_t LittleEndian(const std::string& bytes, size_t at, size_t count) {
  uint32_t value = 0;
  for (size_t i = count; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

uint32_t BigEndian(const std::string& bytes, size_t at, size_t count) {
  uint32_t value = 0;
  for (size_t i = 0; i < count; ++i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// Walks the jpeg segments up to the first start-of-frame, which holds the size.
bool JpegSize(const std::string& bytes, uint32_t& width, uint32_t& height) {
  size_t at = 2;
  while (at + 4 <= bytes.size()) {
    if (static_cast<unsigned char>(bytes[at]) != 0xFF) return false;
    const unsigned marker = static_cast<unsigned char>(bytes[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;  // markers without a length
      continue;
    }
    const uint32_t length = BigEndian(bytes, at + 2, 2);
    if (length < 2) return false;
    const bool startOfFrame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) {
      if (at + 9 > bytes.size()) return false;
      height = BigEndian(bytes, at + 5, 2);
      width = BigEndian(bytes, at + 7, 2);
      return true;
    }
    at += 2 + length;
  }
  return false;
}

}  // namespace

std::string PictureFormatOfBytes(const std::string& bytes) {
  if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return "gif";
  if (bytes.starts_with("\x89PNG\r\n\x1a\n")) return "png";
  if (bytes.starts_with("\xFF\xD8\xFF")) return "jpg";
  if (bytes.starts_with("BM") && bytes.size() > 26) return "bmp";
  return "";
}

bool NaturalPictureSize(const std::string& bytes, int& width, int& height) {
  const std::string format = PictureFormatOfBytes(bytes);
  uint32_t w = 0;
  uint32_t h = 0;
  if (format == "gif") {
    if (bytes.size() < 10) return false;
    w = LittleEndian(bytes, 6, 2);
    h = LittleEndian(bytes, 8, 2);
  } else if (format == "png") {
    if (bytes.size() < 24 || bytes.compare(12, 4, "IHDR") != 0) return false;
    w = BigEndian(bytes, 16, 4);
    h = BigEndian(bytes, 20, 4);
  } else if (format == "jpg") {
    if (!JpegSize(bytes, w, h)) return false;
  } else if (format == "bmp") {
    if (LittleEndian(bytes, 14, 4) == 12) {  // the old core header: 16-bit sizes
      w = LittleEndian(bytes, 18, 2);
      h = LittleEndian(bytes, 20, 2);
    } else {
      // A negative height marks a top-down bitmap.
      w = LittleEndian(bytes, 18, 4);
      const int32_t signedHeight = static_cast<int32_t>(LittleEndian(bytes, 22, 4));
      h = signedHeight < 0 ? 0u - static_cast<uint32_t>(signedHeight)
                           : static_cast<uint32_t>(signedHeight);
    }
  } else {
    return false;
  }
  constexpr uint32_t kLargest = 1u << 20;  // no real picture is a million pixels wide
  if (w == 0 || h == 0 || w > kLargest || h > kLargest) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}
