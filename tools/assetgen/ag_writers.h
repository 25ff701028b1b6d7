// File writers of the generator: each turns a picture or an entry list into the
// bytes of one file format. Small and independent of the engine's readers.
#pragma once
#include <string>

#include "ag_image.h"

// TGA: type 2 (true colour, 24 or 32 bits; 32 bits stores alpha, 255 when none is
// given) and type 1 (colour-mapped, 8 bits, 256 entries of 24 bits). Rows bottom-up.
AgBytes agTgaRgb(const AgImage& im, int32_t bits, const AgGray* alpha = nullptr);
AgBytes agTgaIndexed(const AgIndexed& im);

// GIF 87a (no extensions) or 89a (with a comment extension and, when
// comment is null, none): one 256-colour image, LZW minimum code size 8.
AgBytes agGif(const AgIndexed& im, bool gif89a, const char* comment = nullptr);
// The LZW code stream alone (without the code-size byte and sub-blocks), for tests.
AgBytes agGifLzw(const uint8_t* px, size_t n);

// JPEG through libjpeg's compressor: baseline JFIF, 4:2:0, the given quality.
AgBytes agJpeg(const AgImage& im, int32_t quality);

// Windows bitmap, 8 bits with palette, bottom-up.
AgBytes agBmp8(const AgIndexed& im);
// Windows icon with one or more images (each given as a palette picture and its
// bit depth 4 or 8; an AND mask marks pixels with opacity below 128 transparent).
struct AgIconImage {
  AgIndexed pic;
  AgGray opacity;
  int32_t bits;
};
AgBytes agIco(const std::vector<AgIconImage>& images);

// ZIP archive through minizip: entries deflated at level 9 in the given order,
// all with one fixed date so the archive is the same on every build.
struct AgEntry {
  std::string name;
  AgBytes data;
};
bool agZipWrite(const std::string& path, const std::vector<AgEntry>& entries);

bool agWriteFile(const std::string& path, const void* data, size_t size);
