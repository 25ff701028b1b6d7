// Every sprite operation of both classes (the packed class on SSE2 and on its portable
// twin) against the slow reference of x2dref.cpp, on seeded random sprites, targets,
// clip windows, levels and scales, at positions that cross every clip edge or lie outside.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "platform/qvsimd.h"
#include "x2d/x2dkernels.h"
#include "x2dref.h"

namespace {

enum Variant { V_X86, V_MMX_SSE2, V_MMX_PLAIN };
const char* const variantName[] = {"X86", "MmxSse2", "MmxPlain"};

constexpr int32_t FBW = 64, FBH = 48, GUARD = 2;  // small frame buffer, guard rows on both sides

class SpriteOps : public ::testing::TestWithParam<std::tuple<Variant, RefOp>> {
 protected:
  void SetUp() override {
    x2dInit(FBW, FBH);
    variant_ = std::get<0>(GetParam());
    if (variant_ == V_MMX_SSE2 && !qvUseSSE2()) GTEST_SKIP() << "no SSE2 on this machine or build";
    x2dUseMMX = variant_ != V_X86;
    x2dInstallKernels(variant_ != V_MMX_SSE2);
  }
  void TearDown() override { x2dDetectMMX(); }
  Variant variant_ = V_X86;
};

uint32_t randomPixel(std::mt19937& rng, uint32_t key) {
  const uint32_t r = rng();
  switch (r % 20) {
    case 0:
    case 1: return key;  // key colour present
    case 2: return 0;    // the additive skip
    case 3:
    case 4:
    case 5: return r & 0x00FFFFFFu;  // transparent
    case 6:
    case 7:
    case 8: return r | 0xFF000000u;  // opaque
    default: return rng();           // any alpha
  }
}

uint8_t randomLayer(std::mt19937& rng) {
  const uint32_t r = rng();
  return r % 5 == 0 ? 0 : r % 5 == 1 ? 255 : static_cast<uint8_t>(r >> 8);
}

int32_t randomLevel(std::mt19937& rng) {
  static const int32_t levels[] = {0, 1, 2, 64, 127, 128, 129, 200, 253, 254, 255};
  const uint32_t r = rng() % 16;
  return r < 11 ? levels[r] : static_cast<int32_t>(rng() % 256);
}

float randomScale(std::mt19937& rng) {
  static const float scales[] = {0.01f, 0.5f, 1.0f, 1.37f, 2.0f};
  const uint32_t r = rng() % 8;
  return r < 5 ? scales[r] : 0.05f + static_cast<float>(rng() % 3000) / 1000.0f;
}

int32_t randomIn(std::mt19937& rng, int32_t lo, int32_t hi) {
  return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1));
}

// A random sprite of the class in use holding ref's pixels; a quarter of them are views into
// the middle rows of a larger sprite (the owner), whose other rows stay zero.
struct TrialSprite {
  RefSprite ref;
  x2dSprite* owner = nullptr;
  x2dSprite* spr = nullptr;
  int32_t off = 0;  // the view's first pixel in the owner
  bool view = false;

  TrialSprite(std::mt19937& rng, int trial) {
    ref.w = trial % 7 == 0 ? 1 : randomIn(rng, 1, 20);
    ref.h = trial % 11 == 0 ? 1 : randomIn(rng, 1, 20);
    const int32_t n = ref.w * ref.h;
    const uint32_t key = rng();
    for (int32_t i = 0; i < n; i++) ref.px.push_back(randomPixel(rng, key));
    for (int32_t i = 0; i < n; i++) ref.layer.push_back(randomLayer(rng));
    ref.color = rng() % 3 ? key : 0xDEADBEEFu;  // key present, or (almost surely) absent
    view = trial % 4 == 1;
    owner = x2dSpriteCreate(ref.w, ref.h + 4);
    spr = owner;
    uint8_t* layer = static_cast<uint8_t*>(std::malloc(ref.w * (ref.h + 4)));
    owner->alphaLayer = layer;
    off = view ? 2 * ref.w : 0;
    if (view) {
      spr = x2dSpriteCreate();
      spr->width = ref.w, spr->height = ref.h, spr->pitch = ref.w * 4, spr->skip = FBW - ref.w;
      spr->pixels = owner->pixels + off, spr->alphaLayer = layer + off;
      spr->ownsMemory = 0;
    } else {
      owner->height = ref.h;
    }
    std::memcpy(spr->pixels, ref.px.data(), n * 4);
    std::memcpy(spr->alphaLayer, ref.layer.data(), n);
    spr->color = ref.color;
  }
  ~TrialSprite() {
    if (view) delete spr;
    delete owner;
  }
};

// Where op draws: anywhere wholly inside the buffer, or across the clip window's edges by up
// to 3 pixels (by the drawn size when scaled).
void placeFor(RefOp op, std::mt19937& rng, const RefSprite& ref, float scale, int32_t* x, int32_t* y) {
  const int32_t L = x2dClipWindow[0], T = x2dClipWindow[1], R = x2dClipWindow[2], B = x2dClipWindow[3];
  switch (refPlacement(op)) {
    case PLACE_NOCLIP: *x = randomIn(rng, 0, FBW - ref.w), *y = randomIn(rng, 0, FBH - ref.h); break;
    case PLACE_CLIP: *x = randomIn(rng, L - ref.w - 3, R + 3), *y = randomIn(rng, T - ref.h - 3, B + 3); break;
    case PLACE_SCALED: {
      const int32_t dw = static_cast<int32_t>(ref.w * static_cast<double>(scale));
      const int32_t dh = static_cast<int32_t>(ref.h * static_cast<double>(scale));
      *x = randomIn(rng, L - dw - 3, R + 3), *y = randomIn(rng, T - dh - 3, B + 3);
      break;
    }
    case PLACE_SELF: break;
  }
}

TEST_P(SpriteOps, MatchesReference) {
  const RefOp op = std::get<1>(GetParam());
  const RefClass cls = variant_ == V_X86 ? REF_X86 : REF_MMX;
  std::mt19937 rng(1234u + op * 7u);
  std::vector<uint32_t> got(FBW * (FBH + 2 * GUARD)), want;
  uint32_t* const target = got.data() + GUARD * FBW;

  for (int trial = 0; trial < 600; trial++) {
    // Clip window: the whole buffer or a random inner window.
    if (trial % 3 == 0) x2dSetClipWindow(0, 0, FBW, FBH);
    else x2dSetClipWindow(randomIn(rng, 0, 20), randomIn(rng, 0, 15), randomIn(rng, 40, FBW), randomIn(rng, 30, FBH));
    TrialSprite t(rng, trial);
    const RefSprite& ref = t.ref;
    x2dSprite* const spr = t.spr;
    const int32_t n = ref.w * ref.h;
    ASSERT_STREQ(spr->className, cls == REF_X86 ? "x2dSpriteX86" : "x2dSpriteMMX");

    for (auto& p : got) p = rng();
    want = got;
    uint32_t* const wantTarget = want.data() + GUARD * FBW;

    const int32_t level = randomLevel(rng);
    const float scale = randomScale(rng);
    int32_t x = 0, y = 0;
    placeFor(op, rng, ref, scale, &x, &y);
    const std::string what = std::string(refOpName[op]) + " trial " + std::to_string(trial) + " size " +
                             std::to_string(ref.w) + "x" + std::to_string(ref.h) + " at " + std::to_string(x) + "," +
                             std::to_string(y) + " level " + std::to_string(level) + " scale " + std::to_string(scale) +
                             (t.view ? " (view)" : "");

    if (refPlacement(op) == PLACE_SELF) {
      const uint32_t colour = op == OP_Fill ? static_cast<uint32_t>(rng()) : 0u;
      refCall(spr, op, 0, 0, 1.0f, 0, colour, target);
      for (int32_t i = 0; i < n; i++) ASSERT_EQ(spr->pixels[i], colour) << what << " pixel " << i;
      // Rows of the owner outside a view are left alone.
      if (t.view) {
        for (int32_t i = 0; i < t.off; i++) ASSERT_EQ(t.owner->pixels[i], 0u) << what;
        for (int32_t i = t.off + n; i < ref.w * (ref.h + 4); i++) ASSERT_EQ(t.owner->pixels[i], 0u) << what;
      }
    } else {
      refCall(spr, op, x, y, scale, level, 0, target);
      refApply(cls, op, ref, x, y, scale, level, wantTarget);
      for (size_t i = 0; i < got.size(); i++) {
        if (got[i] != want[i]) {
          const int32_t py = static_cast<int32_t>(i / FBW) - GUARD, pxl = static_cast<int32_t>(i % FBW);
          FAIL() << what << ": pixel (" << pxl << ", " << py << ") is " << std::hex << got[i] << ", want " << want[i];
        }
      }
      // Drawing never changes the sprite.
      ASSERT_EQ(std::memcmp(spr->pixels, ref.px.data(), n * 4), 0) << what;
    }
  }
}

std::string opTestName(const ::testing::TestParamInfo<std::tuple<Variant, RefOp>>& info) {
  return std::string(variantName[std::get<0>(info.param)]) + "_" + refOpName[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(AllOps, SpriteOps,
                         ::testing::Combine(::testing::Values(V_X86, V_MMX_SSE2, V_MMX_PLAIN),
                                            ::testing::Range(static_cast<RefOp>(0), OP_COUNT)),
                         opTestName);

}  // namespace
