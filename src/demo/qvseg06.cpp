// Segment 6: the planes effect and the scene whose planet ("JUPITER") is textured with
// textureSprite, which every frame receives the view upside down: the planet shows what the
// screen showed one frame earlier. Runs as fast as the machine allows.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "fx/fxtoolkit.h"

static const float kTravel = 0.025f;  // effect position per ms
static const float kTurn = 0.0006f;   // effect angle per ms
static const float kRate = 0.025f;    // scene frames per ms
static const int32_t kEmblemX = 282, kEmblemY = 10;
static const int32_t kTexture = 256;  // textureSprite is 256 x 256

QvSeg06State qvSeg06;

void qvSeg06Reset() { qvSeg06 = QvSeg06State(); }

static void seg6Mirror() { fxScaleMirror(view, textureSprite->pixels, QV_VIEW_W, QV_VIEW_H, kTexture, kTexture); }

void qvSeg06Frame() {
  // textureSprite shares its pixels with the scratch of earlier segments: before the first
  // frame it takes the frame still in the view, so the planet never shows that scratch.
  if (!qvSeg06.textureFresh) {
    seg6Mirror();
    qvSeg06.textureFresh = true;
  }
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  qvSeg06.u += (float)frameTime * kTravel;
  qvSeg06.w += (float)frameTime * kTurn;
  qvEffectAlong(effectC, qvSeg06.u, qvSeg06.w, view);
  qvSeg06.time = qvSceneWrap(qvSeg06.time + (float)frameTime * kRate);
  qvRenderScene(qvSeg06.time, view);
  pelun02->DrawLayerNoClip(kEmblemX, kEmblemY, view);
  seg6Mirror();
}
