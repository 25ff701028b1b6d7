// Where the 320x240 frame goes on the screen for each scaling and filter.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/plat_present.h"
#include "platform/platform.h"

struct GeomCase {
  int32_t outW, outH;
  PlatScaling scaling;
  PlatFilter filter;
  PlatPresentGeometry want;
};
static const GeomCase kGeom[] = {
    // Whole multiples: drawn straight with nearest, also for the sharp filter.
    {1024, 768, PLAT_SCALING_INTEGER, PLAT_FILTER_SHARP, {32, 24, 960, 720, 0, 0, false}},
    {1366, 768, PLAT_SCALING_INTEGER, PLAT_FILTER_SHARP, {203, 24, 960, 720, 0, 0, false}},
    {1280, 1024, PLAT_SCALING_INTEGER, PLAT_FILTER_NEAREST, {0, 32, 1280, 960, 0, 0, false}},
    {640, 480, PLAT_SCALING_FIT, PLAT_FILTER_SHARP, {0, 0, 640, 480, 0, 0, false}},
    {320, 240, PLAT_SCALING_STRETCH, PLAT_FILTER_SHARP, {0, 0, 320, 240, 0, 0, false}},
    // Between multiples: sharp blows up by the largest whole multiple, then smooths.
    {1920, 1080, PLAT_SCALING_FIT, PLAT_FILTER_SHARP, {240, 0, 1440, 1080, 1280, 960, true}},
    {1024, 768, PLAT_SCALING_FIT, PLAT_FILTER_SHARP, {0, 0, 1024, 768, 960, 720, true}},
    {1024, 768, PLAT_SCALING_FIT, PLAT_FILTER_NEAREST, {0, 0, 1024, 768, 0, 0, false}},
    {1024, 768, PLAT_SCALING_FIT, PLAT_FILTER_LINEAR, {0, 0, 1024, 768, 0, 0, true}},
    {1280, 1024, PLAT_SCALING_FIT, PLAT_FILTER_LINEAR, {0, 32, 1280, 960, 0, 0, true}},
    // Stretch fills; sharp blows up each axis as far as it goes (6x and 4x here).
    {1920, 1080, PLAT_SCALING_STRETCH, PLAT_FILTER_SHARP, {0, 0, 1920, 1080, 1920, 960, true}},
    {1920, 1080, PLAT_SCALING_STRETCH, PLAT_FILTER_NEAREST, {0, 0, 1920, 1080, 0, 0, false}},
    // Outputs smaller than the frame: integer falls back to fit; below 2x sharp is plain linear.
    {200, 150, PLAT_SCALING_INTEGER, PLAT_FILTER_SHARP, {0, 0, 200, 150, 0, 0, true}},
    {300, 100, PLAT_SCALING_INTEGER, PLAT_FILTER_NEAREST, {83, 0, 133, 100, 0, 0, false}},
    {100, 300, PLAT_SCALING_FIT, PLAT_FILTER_SHARP, {0, 112, 100, 75, 0, 0, true}},
    {500, 375, PLAT_SCALING_FIT, PLAT_FILTER_SHARP, {0, 0, 500, 375, 0, 0, true}},
    {1, 1, PLAT_SCALING_FIT, PLAT_FILTER_SHARP, {0, 0, 1, 1, 0, 0, true}},
    // Nothing to draw into.
    {0, 0, PLAT_SCALING_FIT, PLAT_FILTER_SHARP, {0, 0, 0, 0, 0, 0, false}},
};

TEST(PlatPresent, GeometryTable) {
  for (const GeomCase& c : kGeom) {
    PlatPresentGeometry g;
    platPresentGeometry(c.outW, c.outH, 320, 240, c.scaling, c.filter, &g);
    std::string at = std::to_string(c.outW) + "x" + std::to_string(c.outH) + " scaling " + std::to_string(c.scaling) +
                     " filter " + std::to_string(c.filter);
    EXPECT_EQ(g.x, c.want.x) << at;
    EXPECT_EQ(g.y, c.want.y) << at;
    EXPECT_EQ(g.width, c.want.width) << at;
    EXPECT_EQ(g.height, c.want.height) << at;
    EXPECT_EQ(g.preWidth, c.want.preWidth) << at;
    EXPECT_EQ(g.preHeight, c.want.preHeight) << at;
    EXPECT_EQ(g.linear, c.want.linear) << at;
  }
  EXPECT_EQ(platIntegerFactor(1024, 768, 320, 240), 3);
  EXPECT_EQ(platIntegerFactor(1920, 1080, 320, 240), 4);
  EXPECT_EQ(platIntegerFactor(319, 1000, 320, 240), 0);
  EXPECT_EQ(platIntegerFactor(0, 0, 320, 240), 0);
}

// Every output size: inside the output, centred, the frame's shape within a pixel, integer
// never larger than fit, and the sharp blow-up a whole multiple no larger than the picture.
TEST(PlatPresent, GeometryHoldsForEverySize) {
  for (int32_t w = 1; w <= 2600; w += 7) {
    for (int32_t h = 1; h <= 1700; h += 11) {
      PlatPresentGeometry fit, whole, sharp;
      platPresentGeometry(w, h, 320, 240, PLAT_SCALING_FIT, PLAT_FILTER_LINEAR, &fit);
      platPresentGeometry(w, h, 320, 240, PLAT_SCALING_INTEGER, PLAT_FILTER_NEAREST, &whole);
      platPresentGeometry(w, h, 320, 240, PLAT_SCALING_FIT, PLAT_FILTER_SHARP, &sharp);
      ASSERT_TRUE(fit.width == w || fit.height == h) << w << "x" << h;
      ASSERT_TRUE(fit.width >= 1 && fit.height >= 1 && fit.width <= w && fit.height <= h) << w << "x" << h;
      ASSERT_EQ(fit.x, (w - fit.width) / 2);
      ASSERT_EQ(fit.y, (h - fit.height) / 2);
      ASSERT_LE(std::abs(fit.width * 3 - fit.height * 4), 4) << w << "x" << h;
      ASSERT_TRUE(whole.width <= fit.width && whole.height <= fit.height) << w << "x" << h;
      if (w >= 320 && h >= 240) {
        ASSERT_EQ(whole.width % 320 + whole.height % 240, 0) << w << "x" << h;
      }
      ASSERT_EQ(sharp.width, fit.width);
      if (sharp.preWidth) {
        ASSERT_EQ(sharp.preWidth % 320 + sharp.preHeight % 240, 0);
        ASSERT_EQ(sharp.preWidth / 320, sharp.preHeight / 240);
        ASSERT_TRUE(sharp.preWidth >= 640 && sharp.preWidth <= sharp.width && sharp.preHeight <= sharp.height);
      }
    }
  }
}

TEST(PlatPresent, SettingsKeptAcrossTheHeadlessBackend) {
  PlatPresentation d;
  platPresentationDefaults(&d);
  EXPECT_EQ(d.scaling, PLAT_SCALING_FIT);
  EXPECT_EQ(d.filter, PLAT_FILTER_SHARP);
  EXPECT_TRUE(d.vsync);
  EXPECT_EQ(d.display, 0);
  PlatPresentation p = {PLAT_SCALING_STRETCH, PLAT_FILTER_LINEAR, false, 5};
  platSetPresentation(&p);
  char err[200];
  // A monitor the headless backend does not have is no obstacle: it has no monitors to pick.
  ASSERT_TRUE(platInit(PLAT_BACKEND_HEADLESS, err, sizeof err)) << err;
  EXPECT_EQ(platPresentation()->scaling, PLAT_SCALING_STRETCH);
  EXPECT_EQ(platPresentation()->display, 5);
  platShutdown();
  platSetPresentation(&d);
}
