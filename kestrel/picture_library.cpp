#include "kestrel/picture_library.h"

#include <memory>
#include <mutex>
#include <string>

#include "platform/com_error.h"
#include "platform/dynamic_library.h"

namespace kestrel {

namespace {

// The names the library goes by: its versioned file, then the development link.
constexpr const char* kLibraryNames[] = {"libgd.so.3", "libgd.so"};

template <class Function>
void Bind(platform::DynamicLibrary& library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(library.Symbol(name));
  if (function == nullptr) throw platform::ComError(platform::kE_FAIL, library.LastError());
}

std::unique_ptr<PictureLibrary> Load(platform::DynamicLibrary& library) {
  std::string reasons;
  for (const char* name : kLibraryNames) {
    if (library.Open(name)) break;
    reasons += (reasons.empty() ? "" : "; ") + library.LastError();
  }
  if (!library.IsOpen()) {
    throw platform::ComError(platform::kE_FAIL, "the picture library cannot be loaded: " + reasons);
  }
  auto functions = std::make_unique<PictureLibrary>();
  Bind(library, "gdImageCreateFromPngPtr", functions->createFromPng);
  Bind(library, "gdImageCreateFromJpegPtr", functions->createFromJpeg);
  Bind(library, "gdImageCreateFromGifPtr", functions->createFromGif);
  Bind(library, "gdImageCreateFromBmpPtr", functions->createFromBmp);
  Bind(library, "gdImageCreateTrueColor", functions->createTrueColor);
  Bind(library, "gdImageDestroy", functions->destroy);
  Bind(library, "gdImageAlphaBlending", functions->alphaBlending);
  Bind(library, "gdImageSaveAlpha", functions->saveAlpha);
  Bind(library, "gdImageCopyResampled", functions->copyResampled);
  Bind(library, "gdImagePngPtr", functions->png);
  Bind(library, "gdImageJpegPtr", functions->jpeg);
  Bind(library, "gdImageGifPtr", functions->gif);
  Bind(library, "gdImageBmpPtr", functions->bmp);
  Bind(library, "gdFree", functions->free);
  return functions;
}

}  // namespace

const PictureLibrary& Pictures() {
  static std::mutex mutex;
  // Never unloaded: exports on other threads may still hold its functions at exit.
  static platform::DynamicLibrary& library = *new platform::DynamicLibrary;
  static const PictureLibrary* loaded = nullptr;
  std::lock_guard<std::mutex> lock(mutex);
  if (loaded == nullptr) loaded = Load(library).release();
  return *loaded;
}

}  // namespace kestrel
