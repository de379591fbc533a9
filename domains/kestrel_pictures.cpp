// Picture files of data-source artifacts.
#include "domains/kestrel_pictures.h"

#include <filesystem>

#include "foundation/host_hooks.h"
#include "foundation/text_helpers.h"
#include "platform/config.h"
#include "platform/fault_injection.h"
#include "platform/resource_module.h"

namespace {

std::string& DocumentName() {
  static std::string name = "document";
  return name;
}

std::string MadeFolder(const std::string& folder) {
  std::error_code ignored;
  if (!platform::InjectFault(platform::Seam::MakeFolder)) {
    std::filesystem::create_directory(folder, ignored);
  }
  return folder;
}

}  // namespace

void SetPictureDocumentName(const std::string& name) {
  DocumentName() = name.empty() ? "document" : name;
}

std::string PictureExtension(const std::string& chosenFormat) {
  const std::string format = LowercaseCopy(chosenFormat);
  for (const char* kept : {"jpg", "gif", "bmp", "png", "asis"}) {
    if (format == kept) return format;
  }
  return "png";
}

std::string PictureFolder(const std::string& dataSource) {
  const platform::ConfigSetting data(HostString(platform::kDataFolderKeyStringId));
  const std::string temp = MadeFolder(data.Value() + "/temp");
  const std::string source = MadeFolder(temp + "/" + dataSource);
  return MadeFolder(source + "/" + DocumentName() + ".images");
}

kestrel::PictureExportSettings PictureSettings(const std::string& path,
                                               const std::string& extension, unsigned width,
                                               unsigned height) {
  kestrel::PictureExportSettings settings;
  settings.Set("File", "Path", path);
  settings.Set("Format", "Format", extension);
  if (width != 0 && height != 0) {
    settings.Set("Format", "Width", std::to_string(width));
    settings.Set("Format", "Height", std::to_string(height));
  }
  settings.Set("Format", "UnitsPerInch", "1000");
  return settings;
}
