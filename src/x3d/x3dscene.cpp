// Scene script interpreter.
#include "x3d/x3dscene.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "file/xfile.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "system/xscript.h"
#include "x3d/raster/x3dpolygons.h"
#include "x3d/x3d3ds.h"
#include "x3d/x3dmaterial.h"
#include "x3d/x3drelease.h"

xScript x3dSceneScript;

static const char* const kModule = "X3dscr";

namespace {
struct Processor {
  char* texturePath = nullptr;  // pending, until SCENE_NAME
  x3dCamera* camera = nullptr;
  x3dMaterial* material = nullptr;
  x3dLight* light = nullptr;
  x3dObject* object = nullptr;
  bool archive = false;
  xFile* file = nullptr;
  std::string scriptName;
  // Files in use; a fatal error leaves them here for x3dSceneScriptRelease.
  xFileData script{};
  xFileData scene{};
};
Processor P;

const struct {
  const char* word;
  int32_t code;
} kKeywords[] = {
    {"VERSION", X3D_KW_VERSION},
    {"TEXTURE_PATH", X3D_KW_TEXTURE_PATH},
    {"DISTANCE", X3D_KW_DISTANCE},
    {"FOG", X3D_KW_FOG},
    {"FOG_COLOR", X3D_KW_FOG_COLOR},
    {"SCENE_NAME", X3D_KW_SCENE_NAME},
    {"CAMERA", X3D_KW_CAMERA},
    {"CAMERA_SIZE", X3D_KW_CAMERA_SIZE},
    {"CAMERA_SETACTIVE", X3D_KW_CAMERA_SETACTIVE},
    {"MATERIAL", X3D_KW_MATERIAL},
    {"RENDER_TYPE", X3D_KW_RENDER_TYPE},
    {"MAT_COLOR", X3D_KW_MAT_COLOR},
    {"LENSFLARE", X3D_KW_LENSFLARE},
    {"LENS_TEXTURE", X3D_KW_LENS_TEXTURE},
    {"LENS_SCALE", X3D_KW_LENS_SCALE},
    {"ZBUFFER", X3D_KW_ZBUFFER},
    {"OBJECT", X3D_KW_OBJECT},
    {"OBJ_NOLIGHT", X3D_KW_OBJ_NOLIGHT},
};

const char* Name() { return P.scriptName.c_str(); }

// NaN (from odd input) gives 0, as values at or below 0.
uint8_t Byte(float v) { return static_cast<uint8_t>(v >= 255.0f ? 255 : v > 0.0f ? static_cast<int32_t>(v) : 0); }

void SceneName(x3dScene* scene, const char* arg) {
  if (P.archive) {
    char name[256];
    std::snprintf(name, sizeof name, "%s", arg);
    for (char* p = name; *p; p++)
      if (*p == '\\') *p = '/';
    if (P.file->Read(name, &P.scene) != XFILE_OK)
      xErrMsg(xFormat("x3dProcessSceneScript::zInput->load() -> cant load %s", arg));
    x3dLoad3dsMemory(&P.scene, scene);
    P.file->Free(&P.scene);
  } else {
    x3dLoad3ds(arg, scene);
  }
  // Records picked before point into the arrays the load replaced.
  P.material = nullptr;
  P.light = nullptr;
  P.object = nullptr;
  P.camera = nullptr;
  if (scene->cameraCount == 0) xErrMsg(xFormat("No Cameras found in %s\n", arg));
  scene->texturePath = strdup(P.texturePath ? P.texturePath : "");
  x3dAllocFrameLists(scene);
  x3dSetScene(scene);
  x3dCamera* cam = x3dFindCamera("Camera01", scene);
  if (!cam) cam = &scene->cameras[0];
  x3dCameraViewport(cam, x3dWidth, x3dHeight);
  x3dSetCamera(cam);
  P.camera = cam;
  x3dLoadMaterialTextures(P.archive ? P.file : nullptr);
}

void RenderType(int32_t type) {
  if (!P.material) xErrMsg(xFormat("%s->No active Material\n", Name()));
  x3dMaterial* m = P.material;
  int32_t flags = x3dRenderFlags(type);
  if (flags < 0) return;  // other values leave the flags unchanged
  switch (type) {
    case 3:
    case 5:
    case 7:
    case 8:
    case 11:
    case 13:
    case 15:
    case 18:
      if (!m->texture.image) xErrMsg(xFormat("Texture is not loaded: %s\n", m->texture.name ? m->texture.name : ""));
      break;
    case 4:
    case 6:
    case 12:
    case 14:
    case 16:
    case 17:
      if (!m->reflection.image) {
        m->reflection.image = m->texture.image;
        if (!m->reflection.image)
          xErrMsg(xFormat("Texture is not loaded: %s | %s\n", m->texture.name ? m->texture.name : "",
                          m->reflection.name ? m->reflection.name : ""));
      }
      break;
    default: break;
  }
  m->renderFlags = flags;
}

void LensTexture(x3dScene* scene, const char* arg) {
  if (!P.light || !P.light->flare) xErrMsg(xFormat("%s->No active light for lensflare\n", Name()));
  x3dLensFlare* f = P.light->flare;
  const char* texturePath = scene->texturePath ? scene->texturePath : "";
  int32_t rc =
      P.archive ? x3dTextureLoad(arg, texturePath, &f->map, P.file) : x3dTextureLoadFile(arg, texturePath, &f->map);
  if (rc) xErrCode(kModule, __LINE__, rc, nullptr);
  char path[256];
  x3dTexturePath(texturePath, arg, path, true);
  x3dTexture* t = x3dTextureFind(path);
  xAssert(t != nullptr, kModule, __LINE__);
  f->width = t->width;
  f->height = t->height;
}
}  // namespace

int32_t x3dSceneKeyword(const char* keyword) {
  for (const auto& k : kKeywords)
    if (std::strcmp(k.word, keyword) == 0) return k.code;
  return 0;
}

void x3dAllocFrameLists(x3dScene* s) {
  int64_t entries = s->lightCount;
  for (int32_t i = 0; i < s->objectCount; i++) entries += s->objects[i].faceCount;
  size_t n = static_cast<size_t>(entries > 0 ? entries : 1);
  std::free(s->listA);
  std::free(s->listB);
  std::free(s->visibleLights);
  s->listA = static_cast<x3dSceneList*>(std::calloc(n, sizeof(x3dSceneList)));
  s->listB = static_cast<x3dSceneList*>(std::calloc(n, sizeof(x3dSceneList)));
  s->visibleLights = static_cast<x3dLight**>(std::calloc(s->lightCount > 0 ? s->lightCount : 1, sizeof(x3dLight*)));
  if (!s->listA || !s->listB || !s->visibleLights) xErrCode(kModule, __LINE__, 1, nullptr);
  s->listCount = 0;
  s->visibleLightCount = 0;
}

// CAMERA_SIZE w h: the current camera's view size.
static void CameraSize(xScript& sc) {
  if (!P.camera) return;
  sc.SplitArgs(2);
  float w = sc.ArgWord(1), h = sc.ArgWord(2);
  // A view must have pixels and stay within what a line table can address.
  if (!(w >= 1.0f && h >= 1.0f && w <= 8192.0f && h <= 8192.0f))
    xErrMsg(xFormat("%s->Bad camera size->%g %g\n", Name(), w, h));
  x3dCameraViewport(P.camera, static_cast<int32_t>(w), static_cast<int32_t>(h));
}

// MAT_COLOR r g b: the current material's flat colour, each channel clamped to a byte.
static void MatColor(xScript& sc) {
  if (!P.material) xErrMsg(xFormat("%s->No active Material\n", Name()));
  sc.SplitArgs(3);
  x3dMaterial* m = P.material;
  m->r = Byte(sc.ArgWord(1));
  m->g = Byte(sc.ArgWord(2));
  m->b = Byte(sc.ArgWord(3));
  m->color = static_cast<uint32_t>(m->r) << 16 | static_cast<uint32_t>(m->g) << 8 | m->b;
}

// LENSFLARE light: gives the named light a new flare (a second one replaces the first).
static void LensFlare(xScript& sc, x3dScene* scene) {
  P.light = x3dFindLight(sc.ArgText(), scene);
  if (!P.light) xErrMsg(xFormat("%s->Light not found->%s\n", Name(), sc.ArgText()));
  x3dLensFlare* f = static_cast<x3dLensFlare*>(std::calloc(1, sizeof(x3dLensFlare)));
  if (!f) xErrCode(kModule, __LINE__, 1, nullptr);
  std::free(P.light->flare);
  P.light->flare = f;
}

void x3dProcessSceneScript(x3dScene* scene) {
  xAssert(scene != nullptr, kModule, __LINE__);
  xScript& sc = x3dSceneScript;
  for (const char* kw; (kw = sc.NextKeyword()) != nullptr;) {
    switch (x3dSceneKeyword(kw)) {
      case X3D_KW_TEXTURE_PATH:
        std::free(P.texturePath);
        P.texturePath = sc.ArgDup();
        break;
      case X3D_KW_DISTANCE: scene->distance = sc.ArgFloat(); break;
      case X3D_KW_FOG: scene->fog = sc.ArgCompare("YES") == 0 ? 1 : 0; break;
      case X3D_KW_FOG_COLOR:
        if (scene->fog) {
          sc.SplitArgs(3);
          for (int i = 0; i < 3; i++) scene->fogColor[i] = sc.ArgWord(i + 1);
        }
        break;
      case X3D_KW_SCENE_NAME: {
        char arg[xScript::kBufferSize];  // the reader's buffer is reused by what follows
        std::snprintf(arg, sizeof arg, "%s", sc.ArgText());
        SceneName(scene, arg);
        break;
      }
      case X3D_KW_CAMERA:
        P.camera = x3dFindCamera(sc.ArgText(), scene);
        if (!P.camera) xErrMsg(xFormat("%s->Camera not found->%s\n", Name(), sc.ArgText()));
        break;
      case X3D_KW_CAMERA_SIZE: CameraSize(sc); break;
      case X3D_KW_CAMERA_SETACTIVE:
        if (P.camera) x3dSetCamera(P.camera);
        break;
      case X3D_KW_MATERIAL:
        P.material = x3dFindMaterial(sc.ArgText(), scene);
        if (!P.material) xErrMsg(xFormat("%s->Material not found->%s\n", Name(), sc.ArgText()));
        break;
      case X3D_KW_RENDER_TYPE: RenderType(sc.ArgInt()); break;
      case X3D_KW_MAT_COLOR: MatColor(sc); break;
      case X3D_KW_LENSFLARE: LensFlare(sc, scene); break;
      case X3D_KW_LENS_TEXTURE: {
        char arg[xScript::kBufferSize];  // the reader's buffer is reused by what follows
        std::snprintf(arg, sizeof arg, "%s", sc.ArgText());
        LensTexture(scene, arg);
        break;
      }
      case X3D_KW_LENS_SCALE:
        if (!P.light || !P.light->flare) xErrMsg(xFormat("%s->No active light for lensflare\n", Name()));
        P.light->flare->scale = sc.ArgFloat();
        break;
      case X3D_KW_ZBUFFER:
        if (sc.ArgCompare("YES") == 0) {
          scene->zbuffer = 1;
          x3dInitZBuffer();
        } else {
          scene->zbuffer = 0;
        }
        break;
      case X3D_KW_OBJECT:
        P.object = x3dFindObject(sc.ArgText(), scene);
        if (!P.object) xErrMsg(xFormat("%s->Object not found->%s\n", Name(), sc.ArgText()));
        break;
      case X3D_KW_OBJ_NOLIGHT:
        if (P.object) P.object->flags |= X3D_OBJ_NOLIGHT;
        break;
      default: break;  // VERSION and unknown keywords
    }
  }
}

void x3dSceneScriptRelease() {
  xFile records(0);
  records.Free(&P.script);
  records.Free(&P.scene);
  std::free(P.texturePath);
  P = Processor();
  x3dSceneScript.Free();
}

static void Run(const char* fileName, x3dScene* scene, xFile* file, bool archive) {
  x3dSceneScriptRelease();
  int32_t rc = file ? file->Read(fileName, &P.script) : XFILE_OPEN_ERROR;
  if (rc != XFILE_OK) xErrMsg(xFormat("x3dLoadSceneScript::xFileIO->load() - can't load %s", fileName));
  P.file = file;
  P.archive = archive;
  P.scriptName = P.script.name ? P.script.name : fileName;
  x3dSceneScript.Load(P.script.data ? P.script.data : reinterpret_cast<const uint8_t*>(""), P.script.size);
  x3dProcessSceneScript(scene);
  x3dSceneScriptRelease();
}

void x3dLoadSceneScript(const char* fileName, x3dScene* scene, xFile* file) {
  xAssert(file != nullptr, kModule, __LINE__);
  Run(fileName, scene, file, true);
}

void x3dLoadSceneScriptFile(const char* fileName, x3dScene* scene) {
  xFile disk(0);
  Run(fileName, scene, &disk, false);
}
