// The segment loaders: every asset read from the archive, the tables, the effect objects,
// the sprites and the views into the shared buffer, in a fixed order. Any failure is fatal.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "demo/qvdemo.h"
#include "demo/qvmusic.h"
#include "file/xfile.h"
#include "fx/fxtables.h"
#include "fx/fxtoolkit.h"
#include "image/ximage.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "x2d/x2d.h"
#include "x3d/raster/x3dpolygons.h"
#include "x3d/x3dmaterial.h"
#include "x3d/x3dscene.h"

x2dSprite* logoSprite;
uint32_t* sharedBuffer;
x2dSprite* textureSprite;
x2dSprite* workSprite;
x2dSprite* back01;
x2dSprite* back02;
x2dSprite* creditRulmus[4];
x2dSprite* creditPdcode[4];
x2dSprite* creditFenwa[4];
x2dSprite* creditTirsk[4];
x2dSprite* creditDulmo[4];
x2dSprite* titleSprite;
x2dSprite* vantreSprite;
x2dSprite* pelun01;
x2dSprite* pelun02;
uint32_t* tunnel1Texture;
x2dSprite* thumbnail8;
x2dSprite* effectView;
x2dSprite* ramkaSprite;
x2dSprite* scroll1Sprite;
uint32_t* texture6;
x2dSprite* thumbnail10;
x2dSprite* emc2Sprite;
x2dSprite* rotationView;
x2dSprite* maskSprite;
x2dSprite* effectScratch;
x2dSprite* mmmSprite;
x2dSprite* scroll2Sprite;
uint32_t* texture7;
uint32_t* texture4;
xFlc animation;
x2dSprite* animationSprite;
x2dSprite* thumbnail13;
x2dSprite* thumbnail14;
uint32_t* finaleTexture;
x2dSprite* greet1;
x2dSprite* greet2;

xFdTunnel* effectA;
xFdTunnel* effectB;
xFdPlanes* effectC;
xFdSphere* effectD;
xFdPlanes* effectE;
xFdPlanes* effectF;

// Scene files in load order; the last one loaded is current when the presentation starts.
static const char* const kSceneFiles[QV_SCENES] = {"scene_3.x3d", "scene_4.x3d",  "scene_5.x3d",  "scene_6.x3d",
                                                   "scene_7.x3d", "scene_11.x3d", "scene_13.x3d", "scene_14.x3d",
                                                   "scene_2.x3d", "scene_1.x3d"};
static x3dScene qvScenes[QV_SCENES];

x3dScene* qvScene(const char* fileName) {
  for (int32_t i = 0; i < QV_SCENES; i++)
    if (!std::strcmp(kSceneFiles[i], fileName)) return &qvScenes[i];
  return nullptr;
}

void qvUseScene(const char* fileName) {
  x3dScene* scene = qvScene(fileName);
  xAssert(scene != nullptr, "Main", __LINE__);
  x3dSetScene(scene);
  // Every shipped scene has "Camera01"; a scene without one keeps to its first camera, as
  // its script loader chose, instead of failing half-way through the presentation.
  x3dCamera* camera = x3dFindCamera("Camera01", scene);
  x3dSetCamera(camera ? camera : &scene->cameras[0]);
}

x2dSprite* qvMakeView(int32_t at, int32_t w, int32_t h) {
  xAssert(at >= 0 && w > 0 && h > 0 && (int64_t)at + (int64_t)w * h <= QV_SHARED_PIXELS, "Main", __LINE__);
  x2dSprite* s = x2dSpriteCreate();
  s->width = w;
  s->height = h;
  s->pitch = w * 4;
  s->skip = x2dWidth - w;
  s->pixels = sharedBuffer + at;
  // The pixels belong to sharedBuffer: destroying the view must not free them.
  s->ownsMemory = 0;
  return s;
}

// ---- Pictures --------------------------------------------------------------------------

// How a picture is loaded, and the largest size its draws stay inside the view with
// (the unclipped draws at fixed places would otherwise write past the frame buffer).
enum QvPictureKind { QV_PIC_RGB, QV_PIC_LAYER };
struct QvPicture {
  const char* name;
  QvPictureKind kind;
  int32_t maxWidth, maxHeight;
  bool exact;  // must be exactly maxWidth x maxHeight
};

// Pictures drawn only through clipped operations may have any size.
static const int32_t kAnySize = 1 << 30;

static void qvCheckSize(const x2dSprite* s, const QvPicture& p) {
  bool fits = p.exact ? (s->width == p.maxWidth && s->height == p.maxHeight)
                      : (s->width <= p.maxWidth && s->height <= p.maxHeight);
  if (!fits)
    xErrMsg(xFormat("Broken resource file -> %s is %dx%d, %s %dx%d", p.name, s->width, s->height,
                    p.exact ? "expected" : "at most", p.maxWidth, p.maxHeight));
}

static x2dSprite* qvLoadPicture(const QvPicture& p) {
  x2dSprite* s = x2dSpriteCreate();
  if (p.kind == QV_PIC_LAYER) s->LoadAlphaLayer(p.name, &qvArchive, 0xffffff);
  else s->Load(p.name, &qvArchive);
  qvCheckSize(s, p);
  return s;
}

// The effects index every texture as 256 x 256 texels with 16-bit wrap-around.
static void qvCheckTextureSize(const char* name, int32_t width, int32_t height) {
  if (width != 256 || height != 256)
    xErrMsg(xFormat("Broken resource file -> %s is %dx%d, expected 256x256", name, width, height));
}

// A texture of the engine's list by name (assertion at the given line when missing).
static uint32_t* qvFindTexture(const char* name, int32_t line) {
  x3dTexture* t = x3dTextureFind(name);
  xAssert(t != nullptr, "Main", line);
  qvCheckTextureSize(name, t->width, t->height);
  return t->pixels;
}

// A 256x256 texture read and decoded from the archive; the message names the failure.
static uint32_t* qvReadTexture(const char* name, const char* message) {
  xFileData fd = {nullptr, 0, nullptr};
  if (qvArchive.Read(name, &fd) != 0) xErrMsg(message);
  xImage image = {0, 0, 0, nullptr, nullptr};
  xImageLoad(&fd, image);
  xImageConvert(&image, XIMAGE_XRGB32);
  qvArchive.Free(&fd);
  qvCheckTextureSize(name, image.width, image.height);
  std::free(image.palette);
  return (uint32_t*)image.pixels;
}

// ---- The loaders ------------------------------------------------------------------------

// An effect made with new (std::nothrow): the assertion at the given line when it failed.
template <class T>
static T* qvMade(T* effect, int32_t line) {
  xAssert(effect != nullptr, "Main", line);
  return effect;
}

static void qvLoadTablesAndEffects() {
  fxBuildSinTables();
  effectA = qvMade(new (std::nothrow) xFdTunnel(320, 200, 400), 1617);
  effectB = qvMade(new (std::nothrow) xFdTunnel(320, 200, 300), 1620);
  effectC = qvMade(new (std::nothrow) xFdPlanes(320, 200, 256), 1623);
  effectD = qvMade(new (std::nothrow) xFdSphere(320, 200, 600), 1626);
  effectE = qvMade(new (std::nothrow) xFdPlanes(160, 104, 256), 1629);
  effectF = qvMade(new (std::nothrow) xFdPlanes(160, 100, 256), 1632);
}

static void qvLoadScenes() {
  for (int32_t i = 0; i < QV_SCENES; i++) {
    x3dLoadSceneScript(kSceneFiles[i], &qvScenes[i], &qvArchive);
    // A script that never names a scene leaves it empty; the segments need its camera.
    if (qvScenes[i].cameraCount == 0) xErrMsg(xFormat("Broken resource file -> %s sets up no scene", kSceneFiles[i]));
  }
  x3dTextureDump();
  const uint32_t* t5 = qvFindTexture("TEXTURES/TEXTURE5.TGA", 1657);
  effectC->SetTexture(t5);
  effectE->SetTexture(t5);
  effectF->SetTexture(t5);
  texture4 = qvFindTexture("TEXTURES/TEXTURE4.TGA", 1664);
  effectA->SetTexture(texture4);
  effectD->SetTexture(texture4);
  effectB->SetTexture(qvFindTexture("TEXTURES/TEXTURE.TGA", 1672));
}

static void qvLoadLogo() {
  logoSprite = qvLoadPicture({"kvologo.tga", QV_PIC_RGB, 320, 200, false});
  logoSprite->LoadAlphaChannel("kvologom.gif", &qvArchive);
}

static void qvLoadSharedAndBackgrounds() {
  textureSprite = x2dSpriteCreate(256, 256);
  std::free(textureSprite->pixels);
  // Cleared as a whole, so that no view ever shows what the heap held before.
  sharedBuffer = (uint32_t*)std::calloc(QV_SHARED_PIXELS, 4);
  if (!sharedBuffer) xErrCode("Main", 1691, 1, nullptr);
  textureSprite->pixels = sharedBuffer;
  textureSprite->ownsMemory = 0;
  textureSprite->Clear();
  workSprite = qvMakeView(0, 320, 200);
  workSprite->skip = 0;
  back01 = qvLoadPicture({"back01.jpg", QV_PIC_RGB, 320, 200, true});
  back02 = qvLoadPicture({"back02.jpg", QV_PIC_RGB, 320, 200, true});
  // Credits sit at r (0..9) from the edges, the last series at 310 - width.
  static const char* const series[5] = {"rulmus%d.gif", "pdcode%d.gif", "fenwa%d.gif", "tirsk%d.gif", "dulmo%d.gif"};
  x2dSprite** arrays[5] = {creditRulmus, creditPdcode, creditFenwa, creditTirsk, creditDulmo};
  for (int32_t n = 1; n <= 4; n++)
    for (int32_t k = 0; k < 5; k++) {
      char name[32];
      std::snprintf(name, sizeof name, series[k], n);
      arrays[k][n - 1] = qvLoadPicture({name, QV_PIC_LAYER, 310, 189, false});
    }
}

static void qvLoadTitle() { titleSprite = qvLoadPicture({"quorvane.tga", QV_PIC_RGB, 291, 150, false}); }

static void qvLoadStripAndEmblem() {
  vantreSprite = qvLoadPicture({"vantre1.jpg", QV_PIC_RGB, kAnySize, kAnySize, false});
  pelun01 = qvLoadPicture({"pelun01.gif", QV_PIC_LAYER, 41, 190, false});
}

static void qvLoadPlanet() {
  pelun02 = qvLoadPicture({"pelun02.gif", QV_PIC_LAYER, 38, 190, false});
  if (x3dMaterial* m = x3dFindMaterial("JUPITER", qvScene("scene_6.x3d"))) {
    m->renderFlags = X3D_RF_TEXTURE | X3D_RF_UNLIT;
    m->texture.image = textureSprite->pixels;
  }
}

static void qvLoadTunnel1() {
  tunnel1Texture = qvFindTexture("TEXTURES/TEXTURE4.TGA", 1766);
  thumbnail8 = qvMakeView(0, 80, 50);
}

static void qvLoadEffectWindow() {
  effectView = qvMakeView(64000, 160, 100);
  ramkaSprite = qvLoadPicture({"ramka.gif", QV_PIC_LAYER, kAnySize, kAnySize, false});
  scroll1Sprite = qvLoadPicture({"scroll1.tga", QV_PIC_RGB, kAnySize, kAnySize, false});
}

static void qvLoadTunnel2() {
  texture6 = qvReadTexture("textures/texture6.tga", "Can't load TEXTURES/TEXTURE6.TGA");
  thumbnail10 = qvMakeView(64000, 80, 50);
}

static void qvLoadEmc2() { emc2Sprite = qvLoadPicture({"emc2.gif", QV_PIC_LAYER, 306, 177, false}); }

static void qvLoadRotation() {
  rotationView = qvMakeView(0, 190, 200);
  maskSprite = x2dSpriteCreate(115, 87);
  maskSprite->Fill(0xffff00);
  maskSprite->LoadAlphaLayer("mask.gif", &qvArchive, 0xffffffff);
  // The effect window is scaled into exactly these 115 x 87 pixels every frame.
  qvCheckSize(maskSprite, {"mask.gif", QV_PIC_LAYER, 115, 87, true});
  effectScratch = qvMakeView(0, 160, 100);
  mmmSprite = qvLoadPicture({"mmm.gif", QV_PIC_LAYER, 150, 140, false});
  scroll2Sprite = qvLoadPicture({"scroll2.gif", QV_PIC_LAYER, kAnySize, kAnySize, false});
  texture7 = qvReadTexture("textures/texture7.tga", "Can't load TEXTURES/TEXTURE7.TGA");
}

static void qvLoadAnimation() {
  const char* broken = "Broken resource file -> can't load mirvak.flc";
  xFileData fd = {nullptr, 0, nullptr};
  if (qvArchive.Read("mirvak.flc", &fd) != 0) xErrMsg(broken);
  int32_t r = xFlcLoad(fd.data, fd.size, &animation);
  qvArchive.Free(&fd);
  if (r != XFLC_OK) xErrMsg(broken);
  xFlcSelect(&animation);
  // The frame is drawn unclipped at (70, 10) and must end before the thumbnail at pixel 19200.
  int32_t w = xFlcState.width, h = xFlcState.height;
  if (w > 250 || h > 190 || w * h > 19200) xErrMsg(broken);
  animationSprite = qvMakeView(0, w, h);
  thumbnail13 = qvMakeView(19200, 80, 50);
}

static void qvLoadPanel() { thumbnail14 = qvMakeView(64000, 80, 50); }

static void qvLoadFinale() {
  finaleTexture = qvFindTexture("TEXTURES/TEXTURE.TGA", 1900);
  greet1 = qvLoadPicture({"greet1.jpg", QV_PIC_RGB, 310, 190, false});
  greet2 = qvLoadPicture({"greet2.jpg", QV_PIC_RGB, 303, 183, false});
}

static const struct {
  const char* name;
  void (*load)();
} kLoaders[] = {
    {"tables and effect objects", qvLoadTablesAndEffects},
    {"scenes and effect textures", qvLoadScenes},
    {"logo", qvLoadLogo},
    {"shared buffer and backgrounds", qvLoadSharedAndBackgrounds},
    {"title", qvLoadTitle},
    {"strip and emblem", qvLoadStripAndEmblem},
    {"planet", qvLoadPlanet},
    {"tunnel 1", qvLoadTunnel1},
    {"effect window", qvLoadEffectWindow},
    {"tunnel 2", qvLoadTunnel2},
    {"emc2", qvLoadEmc2},
    {"rotation layers and mask", qvLoadRotation},
    {"animation", qvLoadAnimation},
    {"panel", qvLoadPanel},
    {"finale", qvLoadFinale},
};

void qvRunLoaders() {
  xLog.Print("loader: tunnel tables");
  fxTunnelBuild();
  for (const auto& l : kLoaders) {
    xLog.Print(xFormat("loader: %s", l.name));
    l.load();
  }
}

// ---- The music's reach ------------------------------------------------------------------

// Whether the module's play path (libopenmpt's subsong s, repeat off) passes `order` at the
// time the replayer gives for it; *at is that time in seconds.
static bool qvOnPath(openmpt::module& mod, int32_t order, double* at) {
  *at = mod.set_position_order_row(order, 0);
  if (mod.get_current_order() != order || *at >= mod.get_duration_seconds()) return false;
  // 1 ms into the row: a seek by time from the subsong's start lands there only on its path.
  mod.set_position_seconds(*at + 0.001);
  return mod.get_current_order() == order;
}

void qvCheckMusic(const char* path, int32_t startOrder) {
  // A pipe under the module's name would block the load for ever.
  int32_t kind = xFileKind(path);
  if (kind == XFILE_KIND_OTHER) xErrMsg(xFormat("Can't load RUL-QUOR.S3M -> %s is not a regular file", path));
  std::unique_ptr<openmpt::module> mod = kind == XFILE_KIND_REGULAR ? qvMusicOpen(path, false, false) : nullptr;
  if (!mod) return;  // missing, unreadable or not a module: the load reports it
  const int32_t orders = mod->get_num_orders();
  if (orders <= QV_END_ORDER)
    xErrMsg(xFormat("Can't load RUL-QUOR.S3M -> its order list has no order %d (%d entries)", QV_END_ORDER, orders));
  // Played on from the start order, the song must come to the last order (the end of the
  // presentation) before it ends or jumps back; otherwise the presentation never ends.
  for (int32_t s = 0; s < mod->get_num_subsongs(); s++) {
    mod->select_subsong(s);
    double from, to;
    if (qvOnPath(*mod, startOrder, &from) && qvOnPath(*mod, QV_END_ORDER, &to) && from <= to) return;
  }
  xErrMsg(
      xFormat("Can't load RUL-QUOR.S3M -> played from order %d it never reaches order %d", startOrder, QV_END_ORDER));
}

void qvResetSharedState() {
  std::memset(sharedBuffer, 0, QV_SHARED_PIXELS * 4);
  // The finale draws its rotozoom into the first background's pixels.
  x2dSprite* fresh = qvLoadPicture({"back01.jpg", QV_PIC_RGB, 320, 200, true});
  std::memcpy(back01->pixels, fresh->pixels, QV_VIEW_PIXELS * 4);
  delete fresh;
  int32_t pixels = xFlcState.width * xFlcState.height;
  if (animation.pixels) std::memset(animation.pixels, 0, (size_t)pixels);
  if (animation.palette) std::memset(animation.palette, 0, 768);
  xFlcRewind();
  x2dSetClipWindow(0, 0, QV_VIEW_W, QV_VIEW_H);
}
