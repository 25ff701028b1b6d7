// Decoding the third-party sample pictures: pixels against the hashes the peer tools
// recorded, both overloads alike, and the clean refusal of unsupported files.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>

#include "common/qvtest.h"
#include "image_test_util.h"

namespace {

std::string corpusFile(const char* folder, const std::string& name) {
  return qvCorpusDir() + "/" + folder + "/" + name;
}

// Pixels, size and format of two decodes must agree exactly.
void expectSameImage(const xImage& a, const xImage& b) {
  ASSERT_EQ(a.width, b.width);
  ASSERT_EQ(a.height, b.height);
  ASSERT_EQ(a.format, b.format);
  static const int bytes[7] = {0, 1, 2, 2, 3, 3, 4};
  EXPECT_EQ(0, std::memcmp(a.pixels, b.pixels, (size_t)a.width * a.height * bytes[a.format]));
  ASSERT_EQ(a.palette == nullptr, b.palette == nullptr);
  if (a.palette) {
    EXPECT_EQ(0, std::memcmp(a.palette, b.palette, 768));
  }
}

// Both overloads of a decoder on one corpus file.
template <typename F>
void checkOverloads(const std::string& path, F load) {
  SCOPED_TRACE(path);
  TestRecord rec(qvReadFile(path), path);
  xImage a = {0, 0, 0, nullptr, nullptr}, b = {0, 0, 0, nullptr, nullptr};
  load(&rec.fd, a);
  load(path.c_str(), b);
  expectSameImage(a, b);
  freeImage(a);
  freeImage(b);
}

// Rows of a GIF stored interlaced: stream row i shows at this display row.
std::string deinterlace(const std::string& rgb, int width, int height) {
  std::string out(rgb.size(), '\0');
  size_t row = (size_t)width * 3;
  int i = 0;
  const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; pass++)
    for (int y = start[pass]; y < height; y += step[pass], i++) out.replace(y * row, row, rgb, i * row, row);
  return out;
}

TEST(ImageCorpus, TargaPixelsMatchTheRecordedHashes) {
  QV_REQUIRE_CORPUS();
  auto rows = readManifest(qvCorpusDir() + "/tga/MANIFEST.tsv");
  int checked = 0;
  for (auto& [file, row] : rows) {
    if (row["tga_type"] != "1" && row["tga_type"] != "2") continue;
    SCOPED_TRACE(file);
    xImage img = loadRecord(corpusFile("tga", file), file);
    EXPECT_EQ(std::to_string(img.width), row["width"]);
    EXPECT_EQ(std::to_string(img.height), row["height"]);
    // Rows always come out in reverse of storage: a top-origin file ends upside down.
    std::string rgb = rgbOf(img);
    if (row["tga_origin_bit5_top"] == "1") rgb = flipRows(rgb, img.width, img.height);
    EXPECT_EQ(qvSha256(rgb.data(), rgb.size()), row["display_rgb_sha256"]);
    freeImage(img);
    checked++;
  }
  EXPECT_EQ(checked, 12);
}

TEST(ImageCorpus, PcxPixelsMatchTheRecordedHashes) {
  QV_REQUIRE_CORPUS();
  auto rows = readManifest(qvCorpusDir() + "/pcx/MANIFEST.tsv");
  for (const char* file : {"allegro.pcx", "mysha.pcx", "planet.pcx", "mask.pcx", "rgb.pcx", "odd_stride.pcx"}) {
    SCOPED_TRACE(file);
    auto& row = rows[file];
    xImage img = loadRecord(corpusFile("pcx", file), file);
    EXPECT_EQ(std::to_string(img.width), row["width"]);
    EXPECT_EQ(std::to_string(img.height), row["height"]);
    std::string rgb = rgbOf(img);
    EXPECT_EQ(qvSha256(rgb.data(), rgb.size()), row["display_rgb_sha256"]);
    freeImage(img);
  }
}

TEST(ImageCorpus, GifPixelsMatchTheRecordedHashes) {
  QV_REQUIRE_CORPUS();
  auto rows = readManifest(qvCorpusDir() + "/gif/MANIFEST.tsv");
  // Rows: file, stored interlaced (the decoder keeps stream order).
  struct Case {
    const char* file;
    bool interlaced;
  } cases[] = {
      {"hopper_resized.gif", true}, {"hopper_zero_comment_subblocks.gif", true},
      {"hopper.gif", false},        {"interlaced.gif", true},
      {"chi.gif", false},           {"iss634.gif", false},
      {"transparent.gif", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    auto& row = rows[c.file];
    xImage img = loadRecord(corpusFile("gif", c.file), c.file);
    EXPECT_EQ(std::to_string(img.width), row["width"]);
    EXPECT_EQ(std::to_string(img.height), row["height"]);
    std::string rgb = rgbOf(img);
    if (c.interlaced) rgb = deinterlace(rgb, img.width, img.height);
    EXPECT_EQ(qvSha256(rgb.data(), rgb.size()), row["display_rgb_sha256"]);
    freeImage(img);
  }
}

// ImageMagick's decode (binary PPM) of a JPEG.
std::string readPpm(const std::string& path, int* w, int* h) {
  std::string all = qvReadFile(path);
  size_t at = 2;
  int fields[3] = {0, 0, 0};
  if (all.compare(0, 2, "P6") != 0) return "";
  for (int& field : fields) {
    for (;;) {  // blanks and '#' comments between the header fields
      while (at < all.size() && std::isspace((unsigned char)all[at])) at++;
      if (at < all.size() && all[at] == '#') {
        while (at < all.size() && all[at] != '\n') at++;
        continue;
      }
      break;
    }
    while (at < all.size() && std::isdigit((unsigned char)all[at])) field = field * 10 + (all[at++] - '0');
  }
  *w = fields[0];
  *h = fields[1];
  return all.substr(at + 1);
}

TEST(ImageCorpus, JpegPixelsMatchTheReference) {
  QV_REQUIRE_CORPUS();
  auto rows = readManifest(qvCorpusDir() + "/jpeg/MANIFEST.tsv");
  int checked = 0;
  for (auto& [file, row] : rows) {
    if (row["header_facts"].find("jfif_app0=yes") == std::string::npos) continue;
    SCOPED_TRACE(file);
    xImage img = loadRecord(corpusFile("jpeg", file), file);
    int w = 0, h = 0;
    std::string ref = readPpm(corpusFile("jpeg", "reference/" + file.substr(0, file.size() - 4) + ".ppm"), &w, &h);
    ASSERT_EQ(img.width, w);
    ASSERT_EQ(img.height, h);
    std::string rgb = rgbOf(img);
    ASSERT_EQ(rgb.size(), ref.size());
    // The reference follows the Exif orientation; the decoder keeps the stored layout.
    if (row["im_orientation"] == "TopRight") {
      for (int y = 0; y < h; y++)
        for (int x = 0; x < w / 2; x++)
          for (int c = 0; c < 3; c++) std::swap(ref[(y * w + x) * 3 + c], ref[(y * w + w - 1 - x) * 3 + c]);
    }
    long sum = 0;
    int worst = 0;
    for (size_t i = 0; i < rgb.size(); i++) {
      int d = std::abs((int)(uint8_t)rgb[i] - (int)(uint8_t)ref[i]);
      sum += d;
      worst = std::max(worst, d);
    }
    EXPECT_LE((double)sum / rgb.size(), 2.0);
    EXPECT_LE(worst, 64);
    freeImage(img);
    checked++;
  }
  EXPECT_EQ(checked, 11);
}

TEST(ImageCorpus, GreyJpegIsIndexedWithAGreyRamp) {
  QV_REQUIRE_CORPUS();
  TestRecord rec(qvReadFile(corpusFile("jpeg", "hopper_gray.jpg")), "hopper_gray.jpg");
  xImage img = {0, 0, 0, nullptr, nullptr};
  xImageLoad(&rec.fd, img);
  ASSERT_EQ(img.format, XIMAGE_INDEXED8);
  ASSERT_NE(img.palette, nullptr);
  EXPECT_EQ(img.palette[3 * 200], 200);
  EXPECT_EQ(img.palette[3 * 200 + 2], 200);
  uint8_t v = img.pixels[77];
  xImageConvert(&img, XIMAGE_XRGB32);
  EXPECT_EQ(img.palette, nullptr);
  uint32_t p;
  std::memcpy(&p, img.pixels + 4 * 77, 4);
  EXPECT_EQ(p, 0x010101u * v);
  freeImage(img);
}

TEST(ImageCorpus, BothOverloadsGiveTheSamePicture) {
  QV_REQUIRE_CORPUS();
  for (const char* f : {"ucm8.tga", "utc16.tga", "utc24.tga", "utc32.tga", "cmap_offset.tga", "icon.tga"})
    checkOverloads(corpusFile("tga", f), [](auto src, xImage& img) { xTargaLoad(src, img); });
  for (const char* f : {"allegro.pcx", "planet.pcx", "rgb.pcx", "odd_stride.pcx"})
    checkOverloads(corpusFile("pcx", f), [](auto src, xImage& img) { xPcxLoad(src, img); });
  for (const char* f : {"hopper.gif", "interlaced.gif", "iss634.gif", "chi.gif"})
    checkOverloads(corpusFile("gif", f), [](auto src, xImage& img) { xGifLoad(src, img); });
  for (const char* f : {"hopper.jpg", "cat.jpg", "hopper_gray.jpg", "flower2.jpg", "CWALL02.jpg"})
    checkOverloads(corpusFile("jpeg", f), [](auto src, xImage& img) { xJpegLoad(src, img); });
}

// Files the engine does not take end with the exact message and status 1.
TEST(ImageCorpusDeath, UnsupportedFilesAreRefused) {
  QV_REQUIRE_CORPUS();
  auto viaLoad = [](const char* folder, const char* file) {
    TestRecord rec(qvReadFile(corpusFile(folder, file)), file);
    xImage img = {0, 0, 0, nullptr, nullptr};
    xImageLoad(&rec.fd, img);
  };
  auto unrecognised = [](const char* file) {
    return std::string("XERR: Error: xImageLoad\\( xFile \\*, xImage &\\): unrecognized file type ") + file + "\n";
  };
  // Run-length and greyscale TGA do not pass the type test.
  for (const char* f : {"ccm8.tga", "ctc24.tga", "ubw8.tga"})
    EXPECT_EXIT(viaLoad("tga", f), ::testing::ExitedWithCode(1), unrecognised(f));
  // Called directly they are refused by the decoder.
  EXPECT_EXIT(xTargaLoad(corpusFile("tga", "ccm8.tga").c_str(), *new xImage()), ::testing::ExitedWithCode(1),
              "XERR: Error: xTargaLoad::unsupported format -> .*ccm8.tga\n");
  for (const char* f : {"pil184.pcx", "p_4_planes.pcx"})
    EXPECT_EXIT(viaLoad("pcx", f), ::testing::ExitedWithCode(1),
                std::string("XERR: Error: xPcxLoad::unsupported format -> ") + f + "\n");
  for (const char* f : {"test.colors.gif", "star.gif", "dispose_bgnd.gif", "alpha_gif_a.gif", "missing_background.gif",
                        "large-gif-anim-combine.gif", "issue_2811.gif"})
    EXPECT_EXIT(viaLoad("gif", f), ::testing::ExitedWithCode(1),
                std::string("XERR: Error: xGifLoad::unsupported format -> ") + f + "\n");
  // JPEG without a JFIF segment is not recognised.
  for (const char* f : {"flower2.jpg", "exif_typeerror.jpg", "iptc.jpg", "pil_sample_cmyk.jpg"})
    EXPECT_EXIT(viaLoad("jpeg", f), ::testing::ExitedWithCode(1), unrecognised(f));
  EXPECT_EXIT(xJpegLoad(corpusFile("jpeg", "pil_sample_cmyk.jpg").c_str(), *new xImage()), ::testing::ExitedWithCode(1),
              "XERR: Error: xJpegLoad::unsupported format -> .*pil_sample_cmyk.jpg\n");
}

}  // namespace
