// Module state, sprite creation and the fixed edge cases of the sprite operations.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "platform/platform.h"
#include "system/xlog.h"
#include "x2d/x2dkernels.h"
#include "x2dref.h"

namespace {

// Selects one class (and, for the packed class, SSE2 or the portable twin) for new sprites.
void useClass(RefClass c, bool sse2 = true) {
  x2dUseMMX = c == REF_MMX;
  x2dInstallKernels(!sse2);
}

class X2d : public ::testing::Test {
 protected:
  void SetUp() override {
    x2dInit(320, 240);
    fb_.assign(320 * 240, 0);
  }
  void TearDown() override { x2dDetectMMX(); }
  uint32_t* fb() { return fb_.data(); }
  std::vector<uint32_t> fb_;
};

TEST_F(X2d, InitSetsGeometryAndLineTable) {
  x2dInit(320, 240);
  EXPECT_EQ(x2dWidth, 320);
  EXPECT_EQ(x2dHeight, 240);
  EXPECT_EQ(x2dPitch, 1280);
  for (int32_t y = 0; y < 240; y++) ASSERT_EQ(x2dLineOffset[y], y * 1280);
  EXPECT_EQ(x2dClipWindow[0], 0);
  EXPECT_EQ(x2dClipWindow[1], 0);
  EXPECT_EQ(x2dClipWindow[2], 320);
  EXPECT_EQ(x2dClipWindow[3], 240);
  EXPECT_EQ(x2dUseMMX, platCpuHasSSE2() ? 1 : 0);
}

TEST_F(X2d, BlendTableHoldsFlooredProductsModulo256) {
  for (int32_t a = 0; a < 256; a++) {
    const int8_t* row = x2dBlendTable + a * 512;
    for (int32_t k = -255; k <= 255; k++)
      ASSERT_EQ(static_cast<uint8_t>(row[255 + k]), static_cast<uint8_t>(refFloorDiv(a * k, 256) & 0xFF))
          << "a " << a << " k " << k;
    ASSERT_EQ(row[511], 0) << "a " << a;
  }
  // Spot values: row 0 is all zeros; row 128 halves; row 255, k = -255 is -255 (stored as 1).
  EXPECT_EQ(x2dBlendTable[0 * 512 + 255 + 200], 0);
  EXPECT_EQ(x2dBlendTable[128 * 512 + 255 + 255], 127);
  EXPECT_EQ(x2dBlendTable[128 * 512 + 255 - 1], -1);
  EXPECT_EQ(x2dBlendTable[255 * 512 + 255 - 255], 1);
}

TEST_F(X2d, ClipWindowIsClampedAndLogged) {
  const std::string path = ::testing::TempDir() + "qv_x2d_clip.log";
  xLog.Open(path.c_str());
  x2dSetClipWindow(-5, -1, 400, 999);
  x2dSetClipWindow(0, 0, 320, 200);
  x2dSetClipWindow(300, 10, 100, 20);  // left beyond right is kept: nothing will be drawn
  xLog.Close();
  EXPECT_EQ(qvReadFile(path),
            "XLOG: Set Cliping Window : Left = 0 Top = 0 Right = 320 Bottom = 240\n"
            "XLOG: Set Cliping Window : Left = 0 Top = 0 Right = 320 Bottom = 200\n"
            "XLOG: Set Cliping Window : Left = 300 Top = 10 Right = 100 Bottom = 20\n");
  EXPECT_EQ(x2dClipWindow[0], 300);
  EXPECT_EQ(x2dClipWindow[2], 100);
  x2dSprite* s = x2dSpriteCreate(8, 8);
  s->Fill(0xFFFFFFFF);
  s->Draw(150, 12, fb());
  s->DrawBlendScaled(150, 12, 2.0f, 128, fb());
  for (uint32_t p : fb_) ASSERT_EQ(p, 0u);
  delete s;
}

TEST_F(X2d, DetectLogsThePackedChoice) {
  const std::string path = ::testing::TempDir() + "qv_x2d_detect.log";
  xLog.Open(path.c_str());
  const uint8_t got = x2dDetectMMX();
  xLog.Close();
  EXPECT_EQ(got, platCpuHasSSE2() ? 1 : 0);
  EXPECT_EQ(qvReadFile(path), got ? "XLOG: Pentium MMX detected... switcing to MMX technology\n" : "");
}

TEST_F(X2d, CreatePicksTheClassAndInitSetsFields) {
  for (RefClass c : {REF_X86, REF_MMX}) {
    useClass(c);
    x2dSprite* e = x2dSpriteCreate();
    EXPECT_STREQ(e->className, c == REF_X86 ? "x2dSpriteX86" : "x2dSpriteMMX");
    EXPECT_EQ(e->width, 0);
    EXPECT_EQ(e->pixels, nullptr);
    EXPECT_EQ(e->ownsMemory, 1);
    e->Draw(0, 0, fb());  // an empty sprite draws nothing
    e->DrawNoClip(0, 0, fb());
    e->DrawAlphaScaled(0, 0, 1.0f, fb());
    delete e;

    x2dSprite* s = x2dSpriteCreate(5, 3);
    EXPECT_EQ(s->width, 5);
    EXPECT_EQ(s->height, 3);
    EXPECT_EQ(s->pitch, 20);
    EXPECT_EQ(s->skip, 315);
    EXPECT_EQ(s->color, 0u);
    for (int i = 0; i < 15; i++) EXPECT_EQ(s->pixels[i], 0u);
    s->color = 7;
    s->alphaLayer = static_cast<uint8_t*>(std::malloc(15));
    s->Init(2, 2);  // re-sizing drops the layer and the colour
    EXPECT_EQ(s->alphaLayer, nullptr);
    EXPECT_EQ(s->color, 0u);
    EXPECT_EQ(s->skip, 318);
    delete s;
  }
  for (uint32_t p : fb_) ASSERT_EQ(p, 0u);
}

TEST_F(X2d, SkipFollowsTheFrameBufferWidthOfTheMoment) {
  x2dSprite* a = x2dSpriteCreate(10, 1);
  x2dInit(64, 48);
  x2dSprite* b = x2dSpriteCreate(10, 1);
  EXPECT_EQ(a->skip, 310);
  EXPECT_EQ(b->skip, 54);
  delete a;
  delete b;
}

TEST(X2dDeath, InitAssertsOnEmptySizes) {
  x2dInit(320, 240);
  EXPECT_EXIT(x2dSpriteCreate(0, 5), ::testing::ExitedWithCode(1),
              "XERR: Error: Assertion failed\nFile X2dspr\nLine 60\n");
  EXPECT_EXIT(x2dSpriteCreate(4, -1), ::testing::ExitedWithCode(1), "File X2dspr\nLine 60\n");
  x2dSprite* s = x2dSpriteCreate();
  EXPECT_EXIT(s->Init(0, 0), ::testing::ExitedWithCode(1), "Assertion failed\nFile X2dspr\nLine 60\n");
  delete s;
}

TEST(X2dDeath, AbsurdSizeIsAnAllocationFailure) {
  x2dInit(320, 240);
  EXPECT_EXIT(x2dSpriteCreate(0x7FFFFFFF, 0x7FFFFFFF), ::testing::ExitedWithCode(1),
              "XERR: Error: x2dSprite::Init\\( int , int \\) -> Can't allocate memory block\n");
}

// The blend formulas of both classes over every source, destination and alpha 1..254.
TEST_F(X2d, BlendFormulaIsExactForEveryValue) {
  for (RefClass c : {REF_X86, REF_MMX}) {
    for (bool sse2 : {true, false}) {
      if (c == REF_X86 && !sse2) continue;
      useClass(c, sse2);
      x2dSprite* s = x2dSpriteCreate(256, 1);
      for (uint32_t i = 0; i < 256; i++) s->pixels[i] = (i * 0x01010101u) ^ 0x00A55A00u;
      for (int32_t a = 1; a < 255; a++) {
        for (uint32_t d = 0; d < 256; d++) {
          const uint32_t dp = (d * 0x01010101u) ^ 0x3C00C300u;
          for (int32_t i = 0; i < 256; i++) fb_[i] = dp;
          s->DrawBlend(0, 0, a, fb());
          for (uint32_t i = 0; i < 256; i++)
            ASSERT_EQ(fb_[i], refBlend(c, s->pixels[i], dp, a))
                << s->className << " a " << a << " s " << i << " d " << d;
        }
      }
      delete s;
    }
  }
}

// 128 of 255 onto 0 is 127 in both classes.
TEST_F(X2d, HalfOfWhiteOntoBlack) {
  for (RefClass c : {REF_X86, REF_MMX}) {
    useClass(c);
    x2dSprite* s = x2dSpriteCreate(1, 1);
    s->pixels[0] = 0x00FFFFFF;
    fb_[0] = 0;
    s->DrawBlend(0, 0, 128, fb());
    EXPECT_EQ(fb_[0] & 0xFFFFFF, 0x7F7F7Fu) << s->className;
    delete s;
  }
}

// DrawBlend at 255: an exact copy in the plain class, the lane formula in the packed class
// (s - d = -1 gives d - 2 there); at 0 both leave the colours alone.
TEST_F(X2d, DrawBlendAtTheEndLevels) {
  const uint32_t src = 0x80FF0010, dst = 0x11FF0111;
  for (RefClass c : {REF_X86, REF_MMX}) {
    useClass(c);
    x2dSprite* s = x2dSpriteCreate(3, 1);
    for (int i = 0; i < 3; i++) s->pixels[i] = src;
    for (int i = 0; i < 3; i++) fb_[i] = dst;
    s->DrawBlend(0, 0, 255, fb());
    if (c == REF_X86) EXPECT_EQ(fb_[0], src);
    else
      // top: 0x11 + floor(floor(0x6F / 2) x 255 / 128) = 0x7E; green: 1 - 2 clamps to 0;
      // blue: 0x11 + floor(floor(-1 / 2) x 255 / 128) = 0x11 - 2.
      EXPECT_EQ(fb_[0], 0x7EFF000Fu) << std::hex << fb_[0];
    EXPECT_EQ(fb_[0], refBlend(c, src, dst, 255) * (c == REF_MMX) + src * (c == REF_X86));
    for (int i = 0; i < 3; i++) fb_[i] = dst;
    s->DrawBlend(0, 0, 0, fb());
    EXPECT_EQ(fb_[0], dst);
    delete s;
  }
}

TEST_F(X2d, AlphaOfPicturesWithoutChannelLeavesTargetAlone) {
  for (RefClass c : {REF_X86, REF_MMX}) {
    useClass(c);
    x2dSprite* s = x2dSpriteCreate(7, 5);
    for (int i = 0; i < 35; i++) s->pixels[i] = 0x00123456u + i;
    for (uint32_t& p : fb_) p = 0x55667788;
    s->DrawAlpha(-2, -1, fb());
    s->DrawAlphaNoClip(10, 10, fb());
    s->DrawAlphaLevel(3, 3, 77, fb());
    if (c == REF_MMX) s->DrawAlphaScaled(20, 20, 1.5f, fb());  // the plain class clears top bytes here
    for (uint32_t p : fb_) ASSERT_EQ(p, 0x55667788u) << s->className;
    delete s;
  }
}

TEST_F(X2d, AddingWhiteGivesWhite) {
  for (RefClass c : {REF_X86, REF_MMX}) {
    useClass(c);
    x2dSprite* s = x2dSpriteCreate(9, 2);
    s->Fill(0x00FFFFFF);
    for (uint32_t i = 0; i < 320 * 2; i++) fb_[i] = i * 2654435761u;
    s->DrawAdd(0, 0, fb());
    s->DrawAddNoClip(100, 0, fb());
    for (int y = 0; y < 2; y++)
      for (int x : {0, 4, 8, 100, 108}) EXPECT_EQ(fb_[y * 320 + x] & 0xFFFFFF, 0xFFFFFFu) << s->className;
    delete s;
  }
}

// Scaled placement: 2.0 on a 3-wide sprite doubles each column; 1.0 reproduces the picture;
// sizes that truncate to 0 draw nothing (and must not divide by zero).
TEST_F(X2d, ScaledSizesAndSteps) {
  for (RefClass c : {REF_X86, REF_MMX}) {
    useClass(c);
    x2dSprite* s = x2dSpriteCreate(3, 2);
    s->alphaLayer = static_cast<uint8_t*>(std::calloc(6, 1));
    for (int i = 0; i < 6; i++) s->pixels[i] = 0xFF000001u + i;
    s->DrawAlphaScaled(10, 10, 2.0f, fb());
    const uint32_t twice[6] = {1, 1, 2, 2, 3, 3};
    for (int y = 0; y < 4; y++)
      for (int x = 0; x < 6; x++) EXPECT_EQ(fb_[(10 + y) * 320 + 10 + x], 0xFF000000u + twice[x] + (y / 2) * 3);
    EXPECT_EQ(fb_[10 * 320 + 16], 0u);
    EXPECT_EQ(fb_[14 * 320 + 10], 0u);
    s->DrawAlphaScaled(50, 50, 1.0f, fb());
    for (int i = 0; i < 6; i++) EXPECT_EQ(fb_[(50 + i / 3) * 320 + 50 + i % 3], s->pixels[i]);
    std::vector<uint32_t> before = fb_;
    for (float tiny : {0.01f, 0.3f, 0.0f, -1.0f}) {
      s->DrawAlphaScaled(5, 5, tiny, fb());
      s->DrawBlendScaled(5, 5, tiny, 100, fb());
      s->DrawAlphaLevelScaled(5, 5, tiny, 100, fb());
      s->DrawLayerScaled(5, 5, tiny, fb());
    }
    EXPECT_EQ(fb_, before);
    delete s;
  }
}

// Left/top clipping of a scaled sprite starts at source column ((left - x) x stepX) >> 16.
TEST_F(X2d, ScaledClipStartsAtTheSteppedColumn) {
  x2dSetClipWindow(10, 0, 320, 200);
  for (RefClass c : {REF_X86, REF_MMX}) {
    useClass(c);
    x2dSprite* s = x2dSpriteCreate(10, 1);
    for (int i = 0; i < 10; i++) s->pixels[i] = 0xFF000000u + i;
    s->DrawAlphaScaled(3, 0, 1.37f, fb());  // dw = 13, stepX = trunc(10 / 13 x 65536) = 50412
    EXPECT_EQ(fb_[9], 0u);
    for (int x = 10; x < 16; x++) EXPECT_EQ(fb_[x], 0xFF000000u + (((x - 3) * 50412) >> 16)) << x;
    EXPECT_EQ(fb_[16], 0u);
    delete s;
  }
}

// The one-pixel steps of the packed class: one-pixel-wide sprites, single-pixel Fill and Clear,
// and a clipped width of exactly 1.
TEST_F(X2d, SinglePixelStepsOfThePackedClass) {
  for (bool sse2 : {true, false}) {
    useClass(REF_MMX, sse2);
    x2dSprite* s = x2dSpriteCreate(1, 1);
    s->Fill(0x89ABCDEF);
    EXPECT_EQ(s->pixels[0], 0x89ABCDEFu);
    s->Clear();
    EXPECT_EQ(s->pixels[0], 0u);
    delete s;
    x2dSprite* col = x2dSpriteCreate(1, 4);
    col->Fill(0xFF102030);
    col->Draw(319, 5, fb());
    col->DrawAdd(0, 5, fb());
    for (int y = 5; y < 9; y++) {
      EXPECT_EQ(fb_[y * 320 + 319], 0xFF102030u);
      EXPECT_EQ(fb_[y * 320], 0xFF102030u);
      EXPECT_EQ(fb_[y * 320 + 1], 0u);
      EXPECT_EQ(fb_[y * 320 + 318], 0u);
    }
    delete col;
    x2dSprite* wide = x2dSpriteCreate(6, 1);
    wide->Fill(0x00FFFFFF);
    wide->DrawBlend(319, 0, 128, fb());  // clipped to one column
    wide->DrawKey(-5, 1, fb());
    EXPECT_EQ(fb_[319], 0x007F7F7Fu);
    EXPECT_EQ(fb_[318], 0u);
    EXPECT_EQ(fb_[320], 0x00FFFFFFu);
    EXPECT_EQ(fb_[321], 0u);
    delete wide;
    std::fill(fb_.begin(), fb_.end(), 0);
  }
}

// Levels outside 0..255 are clamped rather than indexing past the blend table.
TEST_F(X2d, LevelsAreClamped) {
  for (RefClass c : {REF_X86, REF_MMX}) {
    useClass(c);
    std::fill(fb_.begin(), fb_.end(), 0);
    x2dSprite* s = x2dSpriteCreate(4, 1);
    s->Fill(0xFF204060);
    s->DrawBlend(0, 0, 1000, fb());
    s->DrawAlphaLevel(0, 1, -7, fb());
    s->DrawBlendScaled(0, 2, 1.0f, 300, fb());
    EXPECT_EQ(fb_[0], c == REF_X86 ? 0xFF204060u : refBlend(c, 0xFF204060u, 0, 255));
    EXPECT_EQ(fb_[320], 0u);
    EXPECT_EQ(fb_[640], refBlend(c, 0xFF204060u, 0, 255));
    delete s;
  }
}

// Positions at the ends of the int32 range are clipped without overflow.
TEST_F(X2d, ExtremePositionsDrawNothing) {
  for (RefClass c : {REF_X86, REF_MMX}) {
    useClass(c);
    x2dSprite* s = x2dSpriteCreate(8, 8);
    s->Fill(0xFFFFFFFF);
    s->alphaLayer = static_cast<uint8_t*>(std::calloc(64, 1));
    for (int32_t p : {INT32_MIN, INT32_MIN + 3, INT32_MAX - 3, INT32_MAX}) {
      s->Draw(p, 0, fb());
      s->Draw(0, p, fb());
      s->DrawAlphaScaled(p, 0, 2.0f, fb());
      s->DrawBlendScaled(0, p, 1e9f, 128, fb());
      s->DrawLayer(p, p, fb());
    }
    for (uint32_t v : fb_) ASSERT_EQ(v, 0u);
    delete s;
  }
}

}  // namespace

namespace {
// Re-sizing a view lets go of the borrowed buffer instead of freeing it; the sprite then
// owns its new pixels.
TEST(X2dView, InitOnAViewDoesNotFreeTheOwnersBuffer) {
  x2dInit(320, 240);
  x2dSprite* owner = x2dSpriteCreate(4, 4);
  owner->Fill(0x11223344);
  x2dSprite* view = x2dSpriteCreate();
  view->width = 4, view->height = 2, view->pitch = 16, view->skip = 316;
  view->pixels = owner->pixels + 8;
  view->ownsMemory = 0;
  view->Init(3, 3);
  EXPECT_EQ(view->ownsMemory, 1);
  EXPECT_NE(view->pixels, owner->pixels + 8);
  EXPECT_EQ(owner->pixels[8], 0x11223344u);
  delete view;
  delete owner;
}
}  // namespace
