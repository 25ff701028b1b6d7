#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvdemotest.h"
#include "demo/qvdialog.h"
#include "demo/qvoptions.h"
#include "demo/qvresources.h"
#include "platform/plat_headless.h"

static int32_t runDialog(const char* list) {
  EXPECT_EQ(qvStartHeadless(list), "");
  int32_t fullScreen = -1;
  qvSetupDialog(&fullScreen);
  return fullScreen;
}

TEST(QvDialog, ChoiceOfDisplay) {
  EXPECT_EQ(runDialog("ok"), 1);  // untouched radio buttons: full screen
  // Centred with arithmetic shifts, full screen selected, the focus on OK.
  EXPECT_STREQ(platDialogTrace(), "init pos:283,258,458,251 command:1002 focus:1006 command:1006 end:0");
  platShutdown();
  EXPECT_EQ(runDialog("windowed,ok"), 0);
  platShutdown();
  EXPECT_EQ(runDialog("windowed,fullscreen"), 1);
  platShutdown();
}

TEST(QvDialog, InfoFileAndGreetingsKeepTheDialogOpen) {
  EXPECT_EQ(runDialog("windowed,infofile,greetings"), 0);  // the choice stays windowed
  EXPECT_STREQ(platHeadlessLastViewer(), "qvane.nfo");
  EXPECT_EQ(platHeadlessBoxCount(), 1);
  EXPECT_STREQ(platHeadlessLastBoxCaption(), "Greetings:");
  EXPECT_STREQ(platHeadlessLastBoxText(), qvGreetingsText());
  EXPECT_EQ(std::string(qvGreetingsText()), qvReadFile(std::string(QV_BINARY_DIR) + "/qvgreet.txt"));
  // Both commands ran with the dialog open; the list's end closed it with OK.
  EXPECT_NE(std::string(platDialogTrace()).find("command:1003 focus:1004 command:1004 focus:1006 command:1006 end:0"),
            std::string::npos)
      << platDialogTrace();
  platShutdown();
}

TEST(QvDialog, MissingInfoFileIsSaidAndTheDialogGoesOn) {
  std::string err;
  EXPECT_EQ(qvRunProgram(qvAssetDir("noinfo"),
                         "--headless --headless-dialog infofile,windowed,ok --start-order 25 --script 2000:key:ESC",
                         nullptr, &err),
            0)
      << err;
  EXPECT_EQ(qvLogLines(err, "quorvane: cannot"), "quorvane: cannot read qvane.nfo: No such file or directory\n");
}

TEST(QvDialog, CentringUsesArithmeticShifts) {
  // The dialog (458 x 251 headless) is larger than this desktop: odd negative halves round down.
  ASSERT_EQ(qvStartHeadless("ok", 321, 200), "");
  int32_t fullScreen = 0;
  qvSetupDialog(&fullScreen);
  EXPECT_EQ(std::string(platDialogTrace()).rfind("init pos:-69,-26,458,251 ", 0), 0u) << platDialogTrace();
  platShutdown();
}

static void reportNoEngineWindow() {
  std::fprintf(stderr, wlMainWindow() ? "engine window exists\n" : "no engine window\n");
}

TEST(QvDialogDeath, CancelEscapeAndCloseEndTheProcess) {
  for (const char* list : {"cancel", "escape", "windowed,close"})
    EXPECT_EXIT(
        {
          std::atexit(reportNoEngineWindow);
          runDialog(list);
          std::exit(3);
        },
        ::testing::ExitedWithCode(0), "^no engine window\n$")
        << list;
  // The whole program: the engine is never started.
  std::string log = ::testing::TempDir() + "qv_dialog_cancel.log";
  std::remove(log.c_str());
  const char* args[] = {"quorvane", "--headless", "--headless-dialog", "infofile,cancel", "--log", log.c_str()};
  EXPECT_EXIT(std::exit(qvMain(6, (char**)args) + 3), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(qvReadFile(log), "XLOG: Initializing system driver for Quorvane Win32 final - Kelvo\n");
}

TEST(QvDialog, Options) {
  qvOptions o;
  const char* a[] = {"q", "--headless", "--headless-dialog", "windowed,ok"};
  ASSERT_EQ(qvParseOptions(4, (char**)a, &o), 0);
  EXPECT_STREQ(o.dialog, "windowed,ok");
  EXPECT_FALSE(o.displayGiven);
  const char* b[] = {"q", "--fullscreen"};
  ASSERT_EQ(qvParseOptions(2, (char**)b, &o), 0);
  EXPECT_TRUE(o.displayGiven);
  EXPECT_EQ(o.fullScreen, 1);
  const char* c[] = {"q", "--headless", "--headless-dialog", "maybe"};
  EXPECT_EXIT(std::exit(qvMain(4, (char**)c)), ::testing::ExitedWithCode(2), "bad dialog item 'maybe'");
  // A display option skips the dialog, list or not: this run would otherwise have been cancelled.
  const char* d[] = {"q", "--headless", "--windowed", "--headless-dialog", "cancel", "--script", "100:key:ESC"};
  EXPECT_EXIT(std::exit(qvMain(7, (char**)d) == 0 ? 4 : 5), ::testing::ExitedWithCode(4), "");
}

// ---- Resources ----------------------------------------------------------------------------

static std::vector<uint8_t> fileBytes(const char* name) {
  std::string s = qvReadFile(std::string(QV_BINARY_DIR) + "/" + name);
  return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(QvResources, EmbeddedPictureAndIconMatchTheFiles) {
  std::vector<uint8_t> bmpFile = fileBytes("qvsetup.bmp"), icoFile = fileBytes("quorvane.ico");
  ASSERT_FALSE(bmpFile.empty());
  ASSERT_FALSE(icoFile.empty());
  size_t n;
  const uint8_t* emb = qvResBytes(103, &n);
  EXPECT_EQ(std::vector<uint8_t>(emb, emb + n), bmpFile);
  qvBitmap b;
  char err[128];
  ASSERT_TRUE(qvDecodeBmp(bmpFile.data(), bmpFile.size(), &b, err, sizeof err)) << err;
  const qvBitmap* s = qvSetupBitmap();
  ASSERT_EQ(s->width, 320);
  ASSERT_EQ(s->height, 200);
  EXPECT_EQ(s->pixels, b.pixels);
  // Top row first: the file stores the bottom row first. Every pixel opaque, from the palette.
  const uint8_t* pal = bmpFile.data() + 54;
  const uint8_t* bottomRow = bmpFile.data() + 1078;
  for (int32_t x = 0; x < 320; x += 7) {
    const uint8_t* c = pal + 4 * bottomRow[x];
    EXPECT_EQ(s->pixels[199 * 320 + x], 0xFF000000u | c[2] << 16 | c[1] << 8 | c[0]) << x;
  }

  const PlatIcon* icon = qvLoadIcon();
  ASSERT_TRUE(qvDecodeIco(icoFile.data(), icoFile.size(), &b, err, sizeof err)) << err;
  ASSERT_EQ(icon->width, 32);
  ASSERT_EQ(icon->height, 32);
  EXPECT_EQ(std::vector<uint32_t>(icon->pixels, icon->pixels + 1024), b.pixels);
  // The 256-colour image is the second; its AND mask (1 = transparent) follows 32 rows of 32 bytes.
  uint32_t off = icoFile[6 + 16 + 12] | icoFile[6 + 16 + 13] << 8;
  ASSERT_EQ(icoFile[off + 14], 8);
  const uint8_t* mask = icoFile.data() + off + 40 + 1024 + 32 * 32;
  int32_t clear = 0;
  for (int32_t y = 0; y < 32; y++)
    for (int32_t x = 0; x < 32; x++) {
      bool transparent = mask[(31 - y) * 4 + x / 8] >> (7 - x % 8) & 1;
      clear += transparent;
      EXPECT_EQ(icon->pixels[y * 32 + x] >> 24, transparent ? 0u : 255u) << x << "," << y;
    }
  EXPECT_GT(clear, 0);
  EXPECT_LT(clear, 1024);
}

TEST(QvResources, MalformedFilesAreRejected) {
  std::vector<uint8_t> bmp = fileBytes("qvsetup.bmp"), ico = fileBytes("quorvane.ico");
  ASSERT_FALSE(bmp.empty());
  qvBitmap out;
  char err[128];
  auto bmpErr = [&](std::vector<uint8_t> v) {
    return qvDecodeBmp(v.data(), v.size(), &out, err, sizeof err) ? std::string("accepted") : std::string(err);
  };
  auto icoErr = [&](std::vector<uint8_t> v) {
    return qvDecodeIco(v.data(), v.size(), &out, err, sizeof err) ? std::string("accepted") : std::string(err);
  };
  for (size_t cut : {0, 13, 40, 60, 1000, 1078, 50000})
    EXPECT_NE(bmpErr(std::vector<uint8_t>(bmp.begin(), bmp.begin() + (long)cut)), "accepted") << cut;
  std::vector<uint8_t> v = bmp;
  v[0] = 'X';
  EXPECT_EQ(bmpErr(v), "not a Windows bitmap");
  v = bmp, v[28] = 24;
  EXPECT_EQ(bmpErr(v), "unsupported bits per pixel (1, 4 or 8)");
  v = bmp, v[30] = 1;
  EXPECT_EQ(bmpErr(v), "compressed or multi-plane bitmap");
  v = bmp, v[46] = 0x2C, v[47] = 1;  // 300 colours
  EXPECT_EQ(bmpErr(v), "palette larger than the depth allows");
  v = bmp, v[46] = 2, v[47] = 0;  // two colours, but the rows use more
  EXPECT_EQ(bmpErr(v), "pixel index beyond the palette");
  v = bmp, v[18] = v[19] = v[20] = v[21] = 0xFF;  // width -1
  EXPECT_EQ(bmpErr(v), "bad bitmap size");

  for (size_t cut : {0, 5, 21, 100, 2000})
    EXPECT_NE(icoErr(std::vector<uint8_t>(ico.begin(), ico.begin() + (long)cut)), "accepted") << cut;
  v = ico, v[2] = 2;  // a cursor file
  EXPECT_EQ(icoErr(v), "not an icon file");
  v = ico, v[4] = 0;
  EXPECT_EQ(icoErr(v), "icon without images");
  v = ico, v[6] = v[22] = 16;  // no 32x32 image left
  EXPECT_EQ(icoErr(v), "no 32x32 palette image in the icon");
  v = ico, v[6 + 16 + 15] = 0x7F;  // second image far outside the file
  EXPECT_EQ(icoErr(v), "icon image outside the file");
}
