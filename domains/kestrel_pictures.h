// The picture export of data-source artifacts: where the picture file goes and the settings
// record that the component exports it with.
#pragma once

#include <string>

#include "kestrel/kestrel_session.h"

// The base name of the document being generated, for the picture folder (set by the
// generation driver; "document" until then).
void SetPictureDocumentName(const std::string& name);

// The extension of a template's picture format: "jpg", "gif", "bmp", "png" and "asis" as they
// are; every other choice "png" (the page is shown in browsers).
std::string PictureExtension(const std::string& chosenFormat);

// "<data folder>/temp/<dataSource>/<document>.images", each missing folder created; the data
// folder is the setting named by host string 57002.
std::string PictureFolder(const std::string& dataSource);

// The settings record: "File"/"Path" = path, "Format"/"Format" = extension,
// "Format"/"UnitsPerInch" = "1000", and "Width"/"Height" ("%u") when width and height are not 0.
kestrel::PictureExportSettings PictureSettings(const std::string& path,
                                               const std::string& extension, unsigned width = 0,
                                               unsigned height = 0);
