// Captures: the y4m and wav outputs, their lengths and sameness, the scaled canvases, the
// ffmpeg route, and bad settings.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "common/qvtest.h"
#include "demo/qvcapout.h"
#include "demo/qvcapture.h"
#include "demo/qvdemotest.h"
#include "demo/qvmusic.h"
#include "platform/qvbytes.h"

namespace {

uint32_t qvWavField(const std::string& wav, size_t at) { return qvLe32((const uint8_t*)wav.data() + at); }

// Frames in a y4m stream of w x h 4:2:0 pictures after its header line.
size_t qvY4mFrames(const std::string& y4m, int w, int h, std::string* header) {
  size_t nl = y4m.find('\n');
  *header = y4m.substr(0, nl);
  size_t frame = 6 + (size_t)w * h * 3 / 2;
  return (y4m.size() - nl - 1) / frame;
}

std::string qvSha256File(const std::string& path) {
  std::string b = qvReadFile(path);
  return qvSha256(b.data(), b.size());
}

}  // namespace

TEST(CaptureUnits, ColoursCanvasesAndRates) {
  uint8_t y, cb, cr;
  qvRgbToYuv601(0x000000, &y, &cb, &cr);
  EXPECT_EQ(y, 16);
  EXPECT_EQ(cb, 128);
  EXPECT_EQ(cr, 128);
  qvRgbToYuv601(0xffffff, &y, &cb, &cr);
  EXPECT_EQ(y, 235);
  EXPECT_EQ(cb, 128);
  EXPECT_EQ(cr, 128);
  qvRgbToYuv601(0xff0000, &y, &cb, &cr);
  EXPECT_EQ(y, 82);
  EXPECT_EQ(cb, 90);
  EXPECT_EQ(cr, 240);
  QvCanvas c;
  ASSERT_TRUE(qvCanvasForSize(1920, 1080, &c));
  EXPECT_EQ(c.scale, 4);
  EXPECT_EQ(c.left, 320);
  EXPECT_EQ(c.top, 60);
  ASSERT_TRUE(qvCanvasForScale(4, &c));
  EXPECT_EQ(c.width, 1280);
  EXPECT_EQ(c.height, 960);
  EXPECT_FALSE(qvCanvasForSize(300, 240, &c));
  EXPECT_FALSE(qvCanvasForSize(641, 480, &c));
  // Sharp: the height filled in 4:3 from a blow-up to the next whole multiple; whole multiples stay blocks.
  ASSERT_TRUE(qvCanvasSharp(1920, 1080, &c));
  EXPECT_EQ(c.picW, 1440);
  EXPECT_EQ(c.picH, 1080);
  EXPECT_EQ(c.scale, 5);
  EXPECT_EQ(c.left, 240);
  EXPECT_EQ(c.top, 0);
  ASSERT_TRUE(qvCanvasSharp(1280, 960, &c));
  EXPECT_EQ(c.picW, 1280);
  EXPECT_EQ(c.scale, 4);
  uint32_t n, d;
  ASSERT_TRUE(qvParseFps("60000/1001", &n, &d));
  EXPECT_EQ(n, 60000u);
  EXPECT_EQ(d, 1001u);
  EXPECT_FALSE(qvParseFps("0", &n, &d));
  EXPECT_FALSE(qvParseFps("60/", &n, &d));
  EXPECT_FALSE(qvParseFps("2000", &n, &d));
}

TEST(Capture, Y4mAndWavOfTheLastOrders) {
  std::string dir = qvAssetDir("capture");
  ASSERT_EQ(mkdir((dir + "/out").c_str(), 0700), 0);
  ASSERT_EQ(qvRunProgram(dir, "--capture out/a --start-order 24"), 0);
  ASSERT_EQ(qvRunProgram(dir, "--capture out/b --start-order 24"), 0);
  std::string y4m = qvReadFile(dir + "/out/a.y4m"), wav = qvReadFile(dir + "/out/a.wav"), header;
  size_t frames = qvY4mFrames(y4m, 320, 240, &header);
  EXPECT_EQ(header, "YUV4MPEG2 W320 H240 F60:1 Ip A1:1 C420jpeg XYSCSS=420JPEG XCOLORRANGE=LIMITED");
  // Orders 24 and 25 (15.36 s) and the first frame of the end order.
  const double seconds = (QV_END_ORDER - 24) * QV_ORDER_MS / 1000.0;
  EXPECT_GE(frames, seconds * 60);
  EXPECT_LE(frames, seconds * 60 + 4);
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(qvWavField(wav, 40), (uint32_t)(frames * 44100 / 60) * 4);  // frames / fps, to the sample
  EXPECT_EQ(qvWavField(wav, 4), 36 + qvWavField(wav, 40));
  EXPECT_EQ(qvSha256(y4m.data(), y4m.size()), qvSha256File(dir + "/out/b.y4m"));
  EXPECT_EQ(qvSha256(wav.data(), wav.size()), qvSha256File(dir + "/out/b.wav"));
  if (!qvHaveTool("ffprobe")) GTEST_SKIP() << "ffprobe not installed";
  std::string cmd =
      "ffprobe -v error -count_frames -show_entries stream=width,height,r_frame_rate,nb_read_frames "
      "-of csv=p=0 '" +
      dir + "/out/a.y4m' > '" + dir + "/probe.txt'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(qvReadFile(dir + "/probe.txt"), "320,240,60/1," + std::to_string(frames) + "\n");
}

TEST(Capture, ScaledCanvasAndFractionalRate) {
  std::string dir = qvAssetDir("capsize");
  ASSERT_EQ(qvRunProgram(dir,
                         "--capture big --start-order 25 --fps 60000/1001 --capture-size 1000x800 "
                         "--capture-filter nearest"),
            0);
  std::string y4m = qvReadFile(dir + "/big.y4m"), header;
  size_t frames = qvY4mFrames(y4m, 1000, 800, &header);
  EXPECT_EQ(header.substr(0, 32), "YUV4MPEG2 W1000 H800 F60000:1001");
  ASSERT_GT(frames, 100u);
  // Scale 3 (960x720) centred: the corners are black, the picture's middle is not all black.
  size_t y0 = y4m.find('\n') + 1 + 6;
  EXPECT_EQ((uint8_t)y4m[y0], 16);
  EXPECT_EQ((uint8_t)y4m[y0 + 999], 16);
  std::string wav = qvReadFile(dir + "/big.wav");
  EXPECT_EQ(qvWavField(wav, 40), (uint32_t)(frames * 44100ull * 1001 / 60000) * 4);
}

TEST(Capture, ThroughFfmpeg) {
  if (!qvHaveTool("ffmpeg") || !qvHaveTool("ffprobe")) GTEST_SKIP() << "ffmpeg not installed";
  std::string dir = qvAssetDir("capmp4");
  ASSERT_EQ(qvRunProgram(dir, "--capture out.mp4 --start-order 25 --capture-size 640x480"), 0);
  std::string cmd = "ffprobe -v error -show_entries stream=codec_type,width,height,duration -of csv=p=0 '" + dir +
                    "/out.mp4' > '" + dir + "/probe.txt'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::string probe = qvReadFile(dir + "/probe.txt");
  double video = 0, audio = 0;
  int w = 0, h = 0;
  ASSERT_EQ(std::sscanf(probe.c_str(), "video,%d,%d,%lf\naudio,%lf", &w, &h, &video, &audio), 4) << probe;
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_NEAR(video, 7.7, 0.2);
  EXPECT_NEAR(audio, video, 0.05);
}

TEST(Capture, BadSettings) {
  std::string dir = qvFreshDir("capbad"), err;
  const char* bad[][2] = {
      {"--capture x --fps 0", "--fps needs N or N/D"},
      {"--capture x --capture-size 100x100", "--capture-size needs an even size"},
      {"--capture x --capture-scale 2 --capture-size 640x480", "exclude each other"},
      {"--capture x --loop", "--capture and --loop exclude each other"},
  };
  for (auto& b : bad) {
    EXPECT_EQ(qvRunProgram(dir, b[0], nullptr, &err), 2) << b[0];
    EXPECT_NE(err.find(b[1]), std::string::npos) << err;
  }
  // Settings that would do nothing without the option that reads them: the first one is named.
  const char* alone[][2] = {
      {"--headless --fps 50", "--fps needs --capture"},
      {"--headless --capture-scale 2", "--capture-scale needs --capture"},
      {"--headless --capture-size 640x480", "--capture-size needs --capture"},
      {"--headless --capture-filter nearest --fps 50", "--capture-filter needs --capture"},
      {"--headless --overwrite", "--overwrite needs --capture"},
      {"--headless -y", "-y needs --capture"},
      {"--capture x --capture-filter nearest", "--capture-filter needs --capture-size"},
  };
  for (auto& a : alone) {
    EXPECT_EQ(qvRunProgram(dir, a[0], nullptr, &err), 2) << a[0];
    EXPECT_EQ(err, "quorvane: " + std::string(a[1]) + "\nTry 'quorvane --help' for the options.\n");
  }
  // Without ffmpeg a video file cannot be made; the message points at the y4m route.
  EXPECT_EQ(qvRunProgram(dir, "--capture x.mp4", nullptr, &err, "PATH=/nonexistent"), 1);
  EXPECT_NE(err.find("ffmpeg is not on the PATH"), std::string::npos) << err;
  EXPECT_NE(err.find("OUT.y4m"), std::string::npos) << err;
}
