// PictureRequest: the format and size a page asks of a picture attribute, carried to the domain
// as the image name of getGraphicAttributeValue in the form of a graphic description.
#pragma once

#include <cstdint>
#include <string>

struct PictureRequest {
  // Units of the asked size.
  static constexpr int32_t kInches = 1, kCentimeters = 2, kMillimeters = 3, kPoints = 4, kPicas = 5;

  // The file to write (no blanks); empty: the domain chooses.
  std::string path;
  // "png", "jpg", "gif", "bmp", or "asis" for the picture's own bytes.
  std::string format = "png";
  // Both 0: the picture keeps its natural size.
  double width = 0;
  double height = 0;
  int32_t unit = kInches;

  // "<path> <format> <width> <height> <unit>:", the path "<UNDEFINED>" when empty.
  std::string text() const;
  // Reads a text that text() writes; false, leaving `request` alone, for any other image name
  // (an empty one, or a plain file path).
  static bool read(const std::string& imageName, PictureRequest& request);

  bool sized() const { return width > 0 && height > 0; }
  // The asked size in thousandths of an inch, rounded; 0 when no size is asked.
  unsigned widthThousandths() const;
  unsigned heightThousandths() const;
};
