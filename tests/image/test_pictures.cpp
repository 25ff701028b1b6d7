// TGA, PCX and JPEG pictures built here, recognition order, conversion.
#include <gtest/gtest.h>

#include <cstdio>

#include "assetgen/ag_jpeg.h"
#include "image_test_util.h"

namespace {

struct Tga {
  int idLength = 0, type = 1, mapFirst = 0, mapLength = 0, mapBits = 24, width = 3, height = 2, depth = 8, desc = 0;
  std::string map, pixels;
  std::string bytes() const {
    std::string h(18, '\0');
    h[0] = (char)idLength;
    h[1] = mapLength ? 1 : 0;
    h[2] = (char)type;
    h[3] = (char)mapFirst, h[4] = (char)(mapFirst >> 8);
    h[5] = (char)mapLength, h[6] = (char)(mapLength >> 8);
    h[7] = (char)mapBits;
    h[12] = (char)width, h[13] = (char)(width >> 8);
    h[14] = (char)height, h[15] = (char)(height >> 8);
    h[16] = (char)depth;
    h[17] = (char)desc;
    return h + std::string(idLength, 'i') + map + pixels;
  }
};

xImage load(const std::string& bytes, const char* name = "pic") {
  TestRecord rec(bytes, name);
  xImage img = {0, 0, 0, nullptr, nullptr};
  xImageLoad(&rec.fd, img);
  return img;
}

std::string pixelsOf(const xImage& img, int bytesPerPixel) {
  return std::string((const char*)img.pixels, (size_t)img.width * img.height * bytesPerPixel);
}

TEST(Targa, IndexedWithShortColourMap) {
  Tga t;
  t.mapLength = 2;
  t.map = std::string("\x01\x02\x03\x04\x05\x06", 6);  // blue, green, red
  t.pixels = std::string(
      "\x00\x01\x00"
      "\x01\x01\x00",
      6);
  for (int desc : {0x00, 0x20}) {  // the origin bit changes nothing
    t.desc = desc;
    xImage img = load(t.bytes());
    EXPECT_EQ(img.format, XIMAGE_INDEXED8);
    EXPECT_EQ(pixelsOf(img, 1), std::string("\x01\x01\x00"
                                            "\x00\x01\x00",
                                            6));  // last stored row first
    ASSERT_NE(img.palette, nullptr);
    EXPECT_EQ(std::string((const char*)img.palette, 6), "\x03\x02\x01\x06\x05\x04");
    EXPECT_EQ(img.palette[767], 0);  // entries past the map stay black
    freeImage(img);
  }
}

TEST(Targa, ColourMapStartAndSixteenBitEntries) {
  Tga t;
  t.mapFirst = 254;
  t.mapLength = 2;
  t.mapBits = 16;
  t.map = std::string("\x1F\x00\x00\x7C", 4);  // blue 31, red 31
  t.width = 2, t.height = 1;
  t.pixels = "\xFE\xFF";
  xImage img = load(t.bytes());
  EXPECT_EQ(std::string((const char*)img.palette + 3 * 254, 6), std::string("\x00\x00\xFF\xFF\x00\x00", 6));
  xImageConvert(&img, XIMAGE_XRGB32);
  uint32_t px[2];
  std::memcpy(px, img.pixels, 8);
  EXPECT_EQ(px[0], 0x0000FFu);
  EXPECT_EQ(px[1], 0xFF0000u);
  freeImage(img);
}

TEST(Targa, TrueColourDepths) {
  // Rows: depth, format, one stored pixel, the same pixel as 0x00RRGGBB.
  struct Row {
    int depth, format;
    std::string pixel;
    uint32_t rgb;
  } rows[] = {
      {16, XIMAGE_RGB555, std::string("\x1F\x7C", 2), 0xFF00FF},     // red 31, blue 31
      {15, XIMAGE_RGB555, std::string("\xE0\x03", 2), 0x00FF00},     // green 31
      {24, XIMAGE_BGR24, std::string("\x10\x20\x30", 3), 0x302010},  // blue, green, red
      {32, XIMAGE_XRGB32, std::string("\x10\x20\x30\x00", 4), 0x302010},
  };
  for (const Row& r : rows) {
    Tga t;
    t.type = 2;
    t.depth = r.depth;
    t.width = t.height = 1;
    t.pixels = r.pixel;
    xImage img = load(t.bytes());
    EXPECT_EQ(img.format, r.format);
    EXPECT_EQ(img.palette, nullptr);
    xImageConvert(&img, XIMAGE_XRGB32);
    uint32_t px;
    std::memcpy(&px, img.pixels, 4);
    EXPECT_EQ(px & 0xFFFFFF, r.rgb) << r.depth;
    freeImage(img);
  }
}

TEST(TargaDeath, UntrustedHeaders) {
  auto dies = [](const Tga& t, const char* message) {
    EXPECT_EXIT(load(t.bytes(), "t.tga"), ::testing::ExitedWithCode(1), message);
  };
  Tga t;
  t.mapLength = 300;  // more entries than an 8-bit index reaches
  t.map = std::string(900, 'm');
  t.pixels = std::string(6, '\0');
  dies(t, "XERR: Error: xTargaLoad::Broken file -> t.tga\n");
  Tga shortData;
  shortData.type = 2, shortData.depth = 24, shortData.width = 1000, shortData.height = 1000;
  shortData.pixels = std::string(30, 'p');
  dies(shortData, "XERR: Error: xTargaLoad::Can't read file -> t.tga\n");
  Tga odd;
  odd.type = 2, odd.depth = 12;
  odd.pixels = std::string(20, 'p');
  dies(odd, "XERR: Error: xTargaLoad::unsupported format -> t.tga\n");
  Tga grey;
  grey.type = 3;
  EXPECT_EXIT(
      {
        TestRecord rec(grey.bytes() + std::string(6, '\0'), "t.tga");
        xTargaLoad(&rec.fd, *new xImage());
      },
      ::testing::ExitedWithCode(1), "XERR: Error: xTargaLoad::unsupported format -> t.tga\n");
  xFileData empty = {(char*)"none.tga", 0, nullptr};
  EXPECT_EXIT(xTargaLoad(&empty, *new xImage()), ::testing::ExitedWithCode(1),
              "XERR: Error: xTargaLoad::Can't access file -> none.tga\n");
  EXPECT_EXIT(xTargaLoad((xFileData*)nullptr, *new xImage()), ::testing::ExitedWithCode(1),
              "Error: Assertion failed\nFile Xtarga\n");
  std::string missing = ::testing::TempDir() + "qv_missing.tga";
  EXPECT_EXIT(xTargaLoad(missing.c_str(), *new xImage()), ::testing::ExitedWithCode(1),
              "xTargaLoad::Can't access file -> .*qv_missing.tga\n");
  std::string tiny = ::testing::TempDir() + "qv_tiny.tga";
  FILE* f = std::fopen(tiny.c_str(), "wb");
  std::fwrite("\0\0\2\0\0", 1, 5, f);
  std::fclose(f);
  EXPECT_EXIT(xTargaLoad(tiny.c_str(), *new xImage()), ::testing::ExitedWithCode(1),
              "xTargaLoad::Can't read file -> .*qv_tiny.tga\n");
}

// A PCX header (128 bytes) for 8 bits per pixel.
std::string pcxHeader(int width, int height, int planes, int bytesPerLine) {
  std::string h(128, '\0');
  h[0] = 0x0A, h[1] = 5, h[2] = 1, h[3] = 8;
  h[8] = (char)(width - 1), h[9] = (char)((width - 1) >> 8);
  h[10] = (char)(height - 1), h[11] = (char)((height - 1) >> 8);
  h[65] = (char)planes;
  h[66] = (char)bytesPerLine, h[67] = (char)(bytesPerLine >> 8);
  return h;
}

std::string grayPalette() {
  std::string p = "\x0C";
  for (int i = 0; i < 256; i++) p += std::string(3, (char)i);
  return p;
}

TEST(Pcx, RunCrossingALineEndSpillsIntoTheNext) {
  // 4 x 2: a run of 6 fills line 0 and half of line 1; line 1 counts afresh.
  std::string body = std::string("\xC6\x05", 2) + "\x01\x02\x03\x04";
  xImage img = load(pcxHeader(4, 2, 1, 4) + body + grayPalette());
  EXPECT_EQ(img.format, XIMAGE_INDEXED8);
  EXPECT_EQ(pixelsOf(img, 1), std::string("\x05\x05\x05\x05\x05\x05\x01\x02", 8));
  EXPECT_EQ(img.palette[3 * 200], 200);
  freeImage(img);
}

TEST(Pcx, PaddedPlaneLinesAreNotSheared) {
  // 3 x 2, three planes padded to 4 bytes: R R R pad G G G pad B B B pad per line.
  std::string body;
  for (int y = 0; y < 2; y++)
    for (int plane = 0; plane < 3; plane++) {
      for (int x = 0; x < 3; x++) body += (char)(plane * 64 + y * 8 + x);
      body += '\x3F';  // padding byte (below 0xC0: a literal)
    }
  xImage img = load(pcxHeader(3, 2, 3, 4) + body);
  ASSERT_EQ(img.format, XIMAGE_RGB24);
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 3; x++)
      for (int c = 0; c < 3; c++) EXPECT_EQ(img.pixels[(y * 3 + x) * 3 + c], c * 64 + y * 8 + x);
  freeImage(img);
  // One plane of width 5 padded to 6.
  std::string one;
  for (int y = 0; y < 2; y++) one += std::string("\x01\x02\x03\x04\x05\x3E", 6);
  img = load(pcxHeader(5, 2, 1, 6) + one + grayPalette());
  EXPECT_EQ(pixelsOf(img, 1), std::string("\x01\x02\x03\x04\x05\x01\x02\x03\x04\x05", 10));
  freeImage(img);
}

TEST(PcxDeath, UntrustedStreams) {
  // A run that reaches past the last line.
  EXPECT_EXIT(load(pcxHeader(4, 2, 1, 4) + "\x01\x02\x03\x04\x05\x06\xC5\x07" + grayPalette(), "p.pcx"),
              ::testing::ExitedWithCode(1), "XERR: Error: xPcxLoad::Broken file -> p.pcx\n");
  EXPECT_EXIT(load(pcxHeader(40, 40, 3, 40) + "\xC5\x01", "p.pcx"), ::testing::ExitedWithCode(1),
              "XERR: Error: xPcxLoad::Can't read file -> p.pcx\n");
  EXPECT_EXIT(load(pcxHeader(2, 1, 1, 2) + "\x01\x02", "p.pcx"), ::testing::ExitedWithCode(1),
              "XERR: Error: xPcxLoad::Can't read file -> p.pcx\n");  // no room for a palette
  EXPECT_EXIT(load(pcxHeader(4, 2, 4, 4) + std::string(100, '\1'), "p.pcx"), ::testing::ExitedWithCode(1),
              "XERR: Error: xPcxLoad::unsupported format -> p.pcx\n");
  std::string negative = pcxHeader(4, 2, 1, 4);
  negative[8] = (char)0xFE, negative[9] = (char)0xFF;  // Xmax -2
  EXPECT_EXIT(load(negative + grayPalette(), "p.pcx"), ::testing::ExitedWithCode(1),
              "XERR: Error: xPcxLoad::Broken file -> p.pcx\n");
}

// A small colour JPEG written with libjpeg.
std::string makeJpeg(int width, int height, bool jfif = true) {
  std::vector<uint8_t> rgb((size_t)width * height * 3);
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      uint8_t* p = &rgb[3 * ((size_t)y * width + x)];
      p[0] = (uint8_t)(x * 4), p[1] = (uint8_t)(y * 4), p[2] = 128;
    }
  std::vector<uint8_t> bytes = agJpegEncode(rgb.data(), width, height, 95, jfif);
  return std::string(bytes.begin(), bytes.end());
}

TEST(Jpeg, DecodesAndToleratesAMissingEnd) {
  std::string jpg = makeJpeg(48, 32);
  xImage img = load(jpg);
  ASSERT_EQ(img.format, XIMAGE_RGB24);
  EXPECT_EQ(img.width, 48);
  EXPECT_EQ(img.height, 32);
  EXPECT_NEAR(img.pixels[(10 * 48 + 20) * 3 + 0], 80, 6);  // red = 4x
  EXPECT_NEAR(img.pixels[(10 * 48 + 20) * 3 + 1], 40, 6);  // green = 4y
  freeImage(img);
  // Cut short: a warning, an inserted end marker, and a picture of the full size.
  size_t scan = jpg.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  img = load(jpg.substr(0, scan + (jpg.size() - scan) / 2));
  EXPECT_EQ(img.width, 48);
  EXPECT_EQ(img.height, 32);
  freeImage(img);
}

TEST(JpegDeath, StreamErrorsEndThroughTheErrorBox) {
  std::string jpg = makeJpeg(16, 16);
  std::string broken = jpg.substr(0, 20) + std::string(200, '\x55');
  EXPECT_EXIT(load(broken, "b.jpg"), ::testing::ExitedWithCode(1), "XERR: Error: xJpegLoad::.* -> b.jpg\n");
  std::string empty = ::testing::TempDir() + "qv_empty.jpg";
  std::fclose(std::fopen(empty.c_str(), "wb"));
  EXPECT_EXIT(xJpegLoad(empty.c_str(), *new xImage()), ::testing::ExitedWithCode(1),
              "XERR: Error: xJpegLoad::Empty input file -> .*qv_empty.jpg\n");
  std::string missing = ::testing::TempDir() + "qv_missing.jpg";
  EXPECT_EXIT(xJpegLoad(missing.c_str(), *new xImage()), ::testing::ExitedWithCode(1),
              "XERR: Error: xJpegLoad::Can't access file -> .*qv_missing.jpg\n");
  // A header declaring 32768 x 32768 pixels is refused before anything is allocated.
  std::string huge = jpg;
  size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge.replace(sof + 5, 4, std::string("\x80\x00\x80\x00", 4));
  EXPECT_EXIT(load(huge, "h.jpg"), ::testing::ExitedWithCode(1),
              "XERR: Error: xJpegLoad::picture too large -> h.jpg\n");
}

TEST(ImageLoadDeath, RecognitionOrderDecides) {
  // A TGA with an 10-byte identification field starts with 0x0A: taken for PCX.
  Tga t;
  t.idLength = 10;
  t.type = 2, t.depth = 24, t.width = 8, t.height = 8;
  t.pixels = std::string(192, '\x07');
  EXPECT_EXIT(load(t.bytes(), "t.tga"), ::testing::ExitedWithCode(1),
              "XERR: Error: xPcxLoad::unsupported format -> t.tga\n");
  // A PCX that carries "JFIF" at offset 6 goes to the JPEG decoder.
  std::string p = pcxHeader(4, 2, 1, 4) + std::string(8, '\1') + grayPalette();
  p.replace(6, 4, "JFIF");
  EXPECT_EXIT(load(p, "p.pcx"), ::testing::ExitedWithCode(1), "XERR: Error: xJpegLoad::Not a JPEG file.* -> p.pcx\n");
  // Too short for the prefix a test reads: that test fails.
  EXPECT_EXIT(load("GIF89a\1\0\1\0\0\0", "g.gif"), ::testing::ExitedWithCode(1),
              "XERR: Error: xImageLoad\\( xFile \\*, xImage &\\): unrecognized file type g.gif\n");
  EXPECT_EXIT(load(makeJpeg(8, 8, false), "nojfif.jpg"), ::testing::ExitedWithCode(1),
              "unrecognized file type nojfif.jpg\n");
}

TEST(ImageConvert, FormatsAndPalettes) {
  Tga t;
  t.mapLength = 2;
  t.map = std::string("\x01\x02\x03\x04\x05\x06", 6);
  t.pixels = std::string(6, '\1');
  xImage img = load(t.bytes());
  uint8_t* before = img.pixels;
  EXPECT_EQ(xImageConvert(&img, XIMAGE_INDEXED8), 0);  // already there: untouched
  EXPECT_EQ(img.pixels, before);
  EXPECT_NE(img.palette, nullptr);
  EXPECT_EQ(xImageConvert(&img, XIMAGE_RGB565), 0);
  EXPECT_EQ(img.palette, nullptr);
  EXPECT_EQ(img.format, XIMAGE_RGB565);
  uint16_t w;
  std::memcpy(&w, img.pixels, 2);
  EXPECT_EQ(w, (6 >> 3) << 11 | (5 >> 2) << 5 | (4 >> 3));
  freeImage(img);
  // Both 24-bit byte orders end as the same 0x00RRGGBB.
  for (int format : {XIMAGE_BGR24, XIMAGE_RGB24}) {
    uint8_t* px = (uint8_t*)std::malloc(3);
    px[0] = format == XIMAGE_BGR24 ? 0x33 : 0x11;
    px[1] = 0x22;
    px[2] = format == XIMAGE_BGR24 ? 0x11 : 0x33;
    xImage one = {1, 1, format, px, nullptr};
    xImageConvert(&one, XIMAGE_XRGB32);
    uint32_t v;
    std::memcpy(&v, one.pixels, 4);
    EXPECT_EQ(v, 0x112233u);
    freeImage(one);
  }
}

TEST(ImageConvertDeath, RefusedConversions) {
  EXPECT_EXIT(xImageConvert(nullptr, 6), ::testing::ExitedWithCode(1), "Error: Assertion failed\nFile Ximage\n");
  xImage noPixels = {1, 1, XIMAGE_RGB24, nullptr, nullptr};
  EXPECT_EXIT(xImageConvert(&noPixels, 6), ::testing::ExitedWithCode(1), "Error: Assertion failed\nFile Ximage\n");
  uint8_t px[4] = {};
  xImage rgb = {1, 1, XIMAGE_XRGB32, px, nullptr};
  EXPECT_EXIT(xImageConvert(&rgb, XIMAGE_INDEXED8), ::testing::ExitedWithCode(1),
              "XERR: Error: xImageConvert::Hermes_ConverterRequest\n");
  xImage unset = {1, 1, 0, px, nullptr};
  EXPECT_EXIT(xImageConvert(&unset, 6), ::testing::ExitedWithCode(1),
              "XERR: Error: xImageConvert::Hermes_ConverterRequest\n");
}

}  // namespace
