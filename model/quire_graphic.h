// QuireGraphic: the payload of a GRAPHIC value, a picture file with its format and size.
#pragma once

#include <cstdint>
#include <string>

class QuireStatus;

class QuireGraphic {
 public:
  // Format codes; every format without its own code is 8.
  static constexpr int32_t kEps = 0, kMif = 1, kWmf = 2, kJpg = 3, kGif = 4, kPng = 5, kBmp = 6,
                           kOther = 8;

  // Path "<UNDEFINED>", format 8, size 1.0 x 1.0 in unit 0.
  QuireGraphic();
  // An empty path reads "<UNDEFINED>".
  explicit QuireGraphic(const std::string& path, int32_t format = kOther);

  // A picture named by a constant in a command: the text as path, format 2, default size.
  static QuireGraphic fromConstant(const std::string& text);
  // A picture described as remote domains deliver it: "path format width height unit:". Sets
  // kSyntaxError with host_message::kUnknownPictureFormat (unknown format),
  // host_message::kGraphicWithoutSize (no size), host_message::kGraphicWithoutUnit (no unit) or
  // host_message::kGraphicWithoutPathOrFormat (no path or format) and returns what was read so far.
  static QuireGraphic fromDescription(const std::string& text, QuireStatus& status);
  // The code of a format name ("eps" ... "bmp"), or -1 for any other name.
  static int32_t formatCode(const std::string& name);

  const std::string& path() const { return path_; }
  // The text of a graphic is its path.
  const std::string& text() const { return path_; }
  int32_t format() const { return format_; }
  int32_t furtherField() const { return further_; }
  float width() const { return width_; }
  float height() const { return height_; }
  int32_t unit() const { return unit_; }
  void setFormat(int32_t format) { format_ = format; }
  void setFurtherField(int32_t value) { further_ = value; }
  void setSize(float width, float height, int32_t unit) {
    width_ = width;
    height_ = height;
    unit_ = unit;
  }

  // Path, format, further field and size all equal.
  bool operator==(const QuireGraphic& other) const = default;

 private:
  std::string path_ = "<UNDEFINED>";
  int32_t format_ = kOther;
  int32_t further_ = 0;
  float width_ = 1.0f;
  float height_ = 1.0f;
  int32_t unit_ = 0;
};
