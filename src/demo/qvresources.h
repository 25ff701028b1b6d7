// The program's embedded resources, written by the build into qvresources.inc: the setup
// picture (Windows bitmap), the icon (Windows icon file) and the greetings text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"

// A decoded picture: 0xAARRGGBB pixels, rows top to bottom.
struct qvBitmap {
  int32_t width, height;
  std::vector<uint32_t> pixels;
};

// Uncompressed Windows bitmap of 1, 4 or 8 bits per pixel with a palette; every pixel opaque.
// False, with a one-line reason in err, for anything malformed or unsupported.
bool qvDecodeBmp(const uint8_t* data, size_t size, qvBitmap* out, char* err, size_t errSize);
// Windows icon file: of its 32x32 images the one with the most colours (palette images up to
// 256 colours); the AND mask becomes the alpha (0 transparent, 255 opaque).
bool qvDecodeIco(const uint8_t* data, size_t size, qvBitmap* out, char* err, size_t errSize);

// The embedded resources, decoded once; a malformed one is a fatal error.
const qvBitmap* qvSetupBitmap();  // resource 103, 320x200
const PlatIcon* qvLoadIcon();     // resource 104, 32x32
const char* qvGreetingsText();
// The embedded bytes themselves (for comparison with the files the build writes).
const uint8_t* qvResBytes(int32_t resource, size_t* size);  // 103 bitmap, 104 icon; null otherwise
