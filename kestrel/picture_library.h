// The picture library (libgd), loaded when the first picture is exported rather than with the
// agent: it brings some fifty codec libraries along, whose loading and start-up would otherwise
// cost every request, most of which export no picture.
#pragma once

#include <gd.h>

namespace kestrel {

struct PictureLibrary {
  decltype(&gdImageCreateFromPngPtr) createFromPng;
  decltype(&gdImageCreateFromJpegPtr) createFromJpeg;
  decltype(&gdImageCreateFromGifPtr) createFromGif;
  decltype(&gdImageCreateFromBmpPtr) createFromBmp;
  decltype(&gdImageCreateTrueColor) createTrueColor;
  decltype(&gdImageDestroy) destroy;
  decltype(&gdImageAlphaBlending) alphaBlending;
  decltype(&gdImageSaveAlpha) saveAlpha;
  decltype(&gdImageCopyResampled) copyResampled;
  decltype(&gdImagePngPtr) png;
  decltype(&gdImageJpegPtr) jpeg;
  decltype(&gdImageGifPtr) gif;
  decltype(&gdImageBmpPtr) bmp;
  decltype(&gdFree) free;
};

// The library's functions, loaded at the first call and kept for the process. Throws ComError
// naming the library when it cannot be loaded; the next call tries again.
const PictureLibrary& Pictures();

}  // namespace kestrel
