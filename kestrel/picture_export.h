// Writing a picture's bytes to a file in the format and size an export asks for.
#pragma once

#include <string>

#include "kestrel/kestrel_session.h"

namespace kestrel {

// "png", "jpg", "gif", "bmp" from the bytes' signature; "" for bytes that are no picture.
std::string PictureFormatOf(const std::string& bytes);

// Writes the picture to the settings' "File"/"Path" in "Format"/"Format" ("asis" keeps the
// bytes; png, jpg, gif and bmp convert; any other format writes png), scaled to "Width" and
// "Height" in 1/"UnitsPerInch" inch at 96 pixels per inch (one of them alone keeps the aspect
// ratio). Writes a temporary file beside the target and renames it. Throws ComError naming
// `what` when the bytes are no picture or the file cannot be written.
void ExportPictureBytes(const std::string& bytes, const PictureExportSettings& settings,
                        const std::string& what);

}  // namespace kestrel
