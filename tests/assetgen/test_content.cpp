// The generated asset set: every name the loaders read, the sizes the segments
// depend on, the scenes' contents, the info file, the resources, and identical
// bytes from two runs.
#include <gtest/gtest.h>

#include <set>

#include "ag_content.h"
#include "ag_testutil.h"
#include "assetgen.h"
#include "common/qvtest.h"
#include "platform/qvbytes.h"

namespace {
struct Size {
  int32_t w, h;
};
// Picture size from the header: TGA bytes 12-15, GIF 6-9, JPEG the first SOF marker.
Size pictureSize(const std::string& d) {
  auto u16le = [&](size_t p) { return int32_t(qvLe16((const uint8_t*)d.data() + p)); };
  auto u16be = [&](size_t p) { return int32_t(uint8_t(d[p]) << 8 | uint8_t(d[p + 1])); };
  if (d.compare(0, 3, "GIF") == 0) return {u16le(6), u16le(8)};
  if (d.size() > 10 && d.compare(6, 4, "JFIF") == 0) {
    for (size_t p = 2; p + 9 < d.size();) {
      uint8_t m = uint8_t(d[p + 1]);
      if (m == 0xC0 || m == 0xC1 || m == 0xC2) return {u16be(p + 7), u16be(p + 5)};
      p += 2 + size_t(u16be(p + 2));
    }
    return {0, 0};
  }
  if (d.size() >= 18 && (d[2] == 1 || d[2] == 2)) return {u16le(12), u16le(14)};
  return {0, 0};
}

const std::string& entry(const char* name) {
  static const std::string none;
  for (const auto& [k, v] : agtArchive())
    if (strcasecmp(k.c_str(), name) == 0) return v;
  return none;
}
}  // namespace

TEST(AgContent, EveryLoadedNameExistsInTheArchive) {
  static const char* names[] = {"loading.tga",
                                "kvologo.tga",
                                "kvologom.gif",
                                "back01.jpg",
                                "back02.jpg",
                                "quorvane.tga",
                                "vantre1.jpg",
                                "pelun01.gif",
                                "pelun02.gif",
                                "ramka.gif",
                                "scroll1.tga",
                                "textures/texture6.tga",
                                "emc2.gif",
                                "mask.gif",
                                "mmm.gif",
                                "scroll2.gif",
                                "textures/texture7.tga",
                                "mirvak.flc",
                                "greet1.jpg",
                                "greet2.jpg",
                                "TEXTURES/TEXTURE.TGA",
                                "TEXTURES/TEXTURE4.TGA",
                                "TEXTURES/TEXTURE5.TGA",
                                "scene_1.x3d",
                                "scene_2.x3d",
                                "scene_3.x3d",
                                "scene_4.x3d",
                                "scene_5.x3d",
                                "scene_6.x3d",
                                "scene_7.x3d",
                                "scene_11.x3d",
                                "scene_13.x3d",
                                "scene_14.x3d"};
  for (const char* n : names) EXPECT_FALSE(entry(n).empty()) << n;
  for (const char* s : {"rulmus", "pdcode", "fenwa", "tirsk", "dulmo"})
    for (int32_t i = 1; i <= 4; i++) {
      std::string n = s + std::to_string(i) + ".gif";
      EXPECT_FALSE(entry(n.c_str()).empty()) << n;
    }
}

// Sizes fixed by the program, and limits that keep each picture inside the view where it is drawn.
TEST(AgContent, PictureSizesFitWhereTheSegmentsDrawThem) {
  struct Row {
    const char* name;
    int32_t minW, maxW, minH, maxH;
  };
  static const Row rows[] = {
      {"loading.tga", 320, 320, 200, 200},  // copied 1:1 into the view
      {"back01.jpg", 320, 320, 200, 200},   // background copies
      {"back02.jpg", 320, 320, 200, 200},
      {"TEXTURES/TEXTURE.TGA", 256, 256, 256, 256},
      {"TEXTURES/TEXTURE4.TGA", 256, 256, 256, 256},
      {"TEXTURES/TEXTURE5.TGA", 256, 256, 256, 256},
      {"textures/texture6.tga", 256, 256, 256, 256},
      {"textures/texture7.tga", 256, 256, 256, 256},
      {"mask.gif", 115, 115, 87, 87},       // alpha layer of the 115x87 mask sprite
      {"pelun01.gif", 8, 38, 8, 60},        // at x 279 and 300 - width, unclipped
      {"pelun02.gif", 8, 38, 8, 60},        // at x 282
      {"quorvane.tga", 100, 291, 30, 150},  // shakes at (15..29, 36..50), unclipped
      {"vantre1.jpg", 16, 70, 201, 1000},   // tickers at x 230/250 and a strip at 310 - width
      {"ramka.gif", 195, 320, 142, 200},    // the 160x100 window at (34, 41) lies inside
      {"scroll1.tga", 90, 120, 201, 2000},  // at x 200, taller than the view
      {"scroll2.gif", 2800, 8000, 10, 60},  // 0.2 px/ms for the whole segment
      {"mmm.gif", 123, 150, 90, 138},       // frames the 115x87 window at (7, 2)
      {"emc2.gif", 20, 306, 10, 177},       // at (14, 23), unclipped
      {"greet1.jpg", 100, 303, 50, 183},    // at up to (17, 17), unclipped
      {"greet2.jpg", 100, 303, 50, 183},
  };
  for (const Row& r : rows) {
    Size s = pictureSize(entry(r.name));
    EXPECT_TRUE(s.w >= r.minW && s.w <= r.maxW && s.h >= r.minH && s.h <= r.maxH)
        << r.name << " is " << s.w << "x" << s.h;
  }
  Size logo = pictureSize(entry("kvologo.tga")), mask = pictureSize(entry("kvologom.gif"));
  EXPECT_EQ(logo.w, mask.w);
  EXPECT_EQ(logo.h, mask.h);
  EXPECT_TRUE(logo.w <= 320 && logo.h <= 200);  // drawn centred at full size without clipping
  for (const char* s : {"rulmus", "pdcode", "fenwa", "tirsk", "dulmo"})
    for (int32_t i = 1; i <= 4; i++) {
      std::string n = s + std::to_string(i) + ".gif";
      Size c = pictureSize(entry(n.c_str()));
      EXPECT_TRUE(c.w > 0 && c.w <= 300 && c.h > 0 && c.h <= 90) << n;
      EXPECT_EQ(c.w, pictureSize(entry((s + std::string("1.gif")).c_str())).w) << n;  // frames of one series align
    }
}

TEST(AgContent, AlphaPicturesAreGreyRampsAndFramesHaveTheirOpenings) {
  // Alpha layers use the index as opacity: the palette must be the grey ramp.
  for (const char* n : {"kvologom.gif", "mask.gif", "ramka.gif", "mmm.gif", "pelun01.gif", "emc2.gif", "rulmus1.gif"}) {
    const std::string& d = entry(n);
    ASSERT_GT(d.size(), 13u + 768u) << n;
    for (int32_t i = 0; i < 256; i += 51) EXPECT_EQ(uint8_t(d[13 + i * 3 + 1]), i) << n;
  }
}

TEST(AgContent, AnimationHasTheRequiredFramesAndChunks) {
  const std::string& f = entry("mirvak.flc");
  ASSERT_GT(f.size(), 128u);
  auto r16 = [&](size_t p) { return uint32_t(qvLe16((const uint8_t*)f.data() + p)); };
  auto r32 = [&](size_t p) { return qvLe32((const uint8_t*)f.data() + p); };
  EXPECT_EQ(r32(0), f.size());
  EXPECT_EQ(r16(4), 0xAF12u);
  EXPECT_GE(r16(6), 90u);
  EXPECT_EQ(r16(8), 160u);
  EXPECT_EQ(r16(10), 120u);
  std::multiset<uint32_t> types;
  uint32_t firstKind = 0;
  size_t pos = 128;
  for (uint32_t fr = 0; fr < r16(6); fr++) {
    ASSERT_LE(pos + 16, f.size());
    ASSERT_EQ(r16(pos + 4), 0xF1FAu);
    size_t c = pos + 16;
    for (uint32_t k = 0; k < r16(pos + 6); k++) {
      types.insert(r16(c + 4));
      if (fr == 0 && r16(c + 4) != 4) firstKind = r16(c + 4);
      c += r32(c);
    }
    pos += r32(pos);
  }
  EXPECT_EQ(pos, f.size());
  EXPECT_EQ(firstKind, 15u);        // the first frame is a byte run
  EXPECT_EQ(types.count(4), 1u);    // 256-level palette with the first frame
  EXPECT_EQ(types.count(11), 1u);   // one 64-level palette chunk
  EXPECT_GT(types.count(7), 10u);   // word-oriented deltas
  EXPECT_GT(types.count(12), 10u);  // byte-oriented deltas
  if (!qvHaveTool("ffprobe")) GTEST_SKIP() << "ffmpeg not installed";
  std::string path = agtTempDir("mirvak") + "/mirvak.flc";
  ASSERT_TRUE(agtWrite(path, AgBytes(f.begin(), f.end())));
  std::string n =
      agtRun("ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 '" + path + "'");
  EXPECT_EQ(std::stoi(n), int(r16(6)));
}

TEST(AgContent, PicturesIdentifyInImageMagick) {
  if (!qvHaveTool("identify")) GTEST_SKIP() << "ImageMagick not installed";
  std::string dir = agtTempDir("ident");
  int32_t checked = 0;
  for (const auto& [name, data] : agtArchive()) {
    std::string ext = name.substr(name.size() - 4);
    for (char& c : ext) c = char(tolower(c));
    if (ext != ".tga" && ext != ".gif" && ext != ".jpg") continue;
    std::string flat = name;
    for (char& c : flat)
      if (c == '/') c = '_';
    ASSERT_TRUE(agtWrite(dir + "/" + flat, AgBytes(data.begin(), data.end())));
    Size s = pictureSize(data);
    std::string want = std::to_string(s.w) + "x" + std::to_string(s.h) + "\n";
    EXPECT_EQ(agtRun("identify -format '%wx%h\n' '" + dir + "/" + flat + "' 2>&1"), want) << name;
    checked++;
  }
  EXPECT_EQ(checked, 43);  // 23 named pictures, 20 credit frames
}

TEST(AgContent, InfoFileGreetingsAndResources) {
  std::string nfo = qvReadFile(agtAssetDir() + "/qvane.nfo");
  for (const char* s : {"Quorvane", "Kelvo", "Escape", "Alt+Enter", "GREETINGS", "CREDITS"})
    EXPECT_NE(nfo.find(s), std::string::npos) << s;
  std::string greet = qvReadFile(agtAssetDir() + "/qvgreet.txt");
  for (int32_t i = 0; i < agGreetingCount; i++) {
    EXPECT_NE(nfo.find(agGreetings[i]), std::string::npos) << agGreetings[i];
    EXPECT_NE(greet.find(agGreetings[i]), std::string::npos) << agGreetings[i];
  }
  for (char c : nfo) EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127)) << int(c);  // plain ASCII for any editor
  std::string inc = qvReadFile(agtAssetDir() + "/qvresources.inc");
  EXPECT_NE(inc.find("qvResSetupBitmap"), std::string::npos);
  EXPECT_NE(inc.find("qvResIcon"), std::string::npos);
  EXPECT_NE(inc.find("qvResGreetings"), std::string::npos);
  if (!qvHaveTool("identify")) GTEST_SKIP() << "ImageMagick not installed";
  EXPECT_EQ(agtRun("identify -format '%wx%h %z\n' '" + agtAssetDir() + "/qvsetup.bmp'"), "320x200 8\n");
  EXPECT_EQ(agtRun("identify -format '%wx%h\n' '" + agtAssetDir() + "/quorvane.ico'"), "32x32\n32x32\n");
}

TEST(AgContent, TwoRunsWriteIdenticalBytes) {
  std::string dir = agtTempDir("again");
  ASSERT_EQ(agWriteAssets(dir.c_str()), 0);
  for (const char* f : {"quorvane.kvo", "qvane.nfo", "qvsetup.bmp", "quorvane.ico", "qvgreet.txt", "qvresources.inc"}) {
    std::string a = qvReadFile(agtAssetDir() + "/" + f), b = qvReadFile(dir + "/" + f);
    EXPECT_FALSE(a.empty()) << f;
    EXPECT_TRUE(a == b) << f << " differs between runs";
  }
}

TEST(AgContent, UnwritableFolderFailsCleanly) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(agWriteAssets("/nonexistent-folder/deeper"), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot write"), std::string::npos);
}
