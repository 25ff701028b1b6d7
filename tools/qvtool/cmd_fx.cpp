// qvtool fx EFFECT [options] -o OUT.png: renders one frame of an effect with given
// parameters, for asset authors tuning a segment.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "file/xfile.h"
#include "fx/fxtables.h"
#include "fx/fxtoolkit.h"
#include "fx/xfdefcts.h"
#include "image/ximage.h"
#include "image/xpng.h"
#include "qvtool/qvtool.h"
#include "qvtool/qvutil.h"
#include "x3d/x3d.h"

static const char* qvFxUsage =
    "usage: qvtool fx tunnel|planes|sphere|rotozoom|warp [options] -o OUT.png\n"
    "  -t TEXTURE       256x256 texture: PNG by its .png name, else TGA, PCX, GIF or JPEG\n"
    "                   recognised by content (default: a built-in checker board)\n"
    "  -s WxH           picture size, 8..2048 (default 320x200; warp: always 320x200)\n"
    "  -r N             tunnel/sphere radius, planes distance (default 400, 256, 600)\n"
    "  -p X,Y,Z         camera position (default 0,0,0)\n"
    "  -a A1,A2,A3      camera angles in radians (default 0,0,0)\n"
    "  -z ZOOM          rotozoom zoom, 256 = one texel per pixel (default 256)\n"
    "  -A ANGLE         rotozoom angle in 1/256 turns (default 0)\n"
    "  -w CU,CV,RU,RV   warp steps in 16.16 (default 160000,0,0,160000)\n"
    "  -R W,H,X,Y       warp rectangle (default 320,140,0,30)\n";

static int qvFxBad(const char* what) {
  std::fprintf(stderr, "qvtool fx: %s\n%s", what, qvFxUsage);
  return 2;
}

// A PNG by its name, any other picture through the engine's own readers (TGA, PCX, GIF,
// JPEG by content; a file that is none of them ends with the engine's message). Only
// 256x256 is accepted: the effects index the texture with 8-bit u and v.
static bool qvFxLoadTexture(const char* path, std::vector<uint32_t>& tex) {
  int32_t w = 0, h = 0;
  std::vector<uint32_t> pixels;
  if (qvEndsWith(path, ".png")) {
    const char* why = "";
    if (!xPngReadXrgb(path, &pixels, &w, &h, &why)) {
      qvFileError("fx", "read the texture", path, why);
      return false;
    }
  } else {
    xFile disk(0);
    xFileData fd = {nullptr, 0, nullptr};
    if (disk.Read(path, &fd) != XFILE_OK) {
      qvFileError("fx", "read the texture", path, qvReadWhy(path, std::strerror(EIO)));
      return false;
    }
    xImage img = {0, 0, 0, nullptr, nullptr};
    xImageLoad(&fd, img);
    disk.Free(&fd);
    w = img.width, h = img.height;
    if (w == 256 && h == 256) {
      xImageConvert(&img, XIMAGE_XRGB32);
      const uint32_t* p = reinterpret_cast<const uint32_t*>(img.pixels);
      pixels.assign(p, p + 65536);
    }
    std::free(img.pixels);
    std::free(img.palette);
  }
  if (w != 256 || h != 256) {
    std::fprintf(stderr, "qvtool fx: texture %s is %dx%d, not 256x256\n", path, w, h);
    return false;
  }
  for (int i = 0; i < 65536; i++) tex[i] = pixels[i] & 0xffffff;
  return true;
}

int qvCmdFx(int argc, char** argv) {
  if (argc < 2) return qvFxBad("no effect named");
  const std::string effect = argv[1];
  const bool rayCast = effect == "tunnel" || effect == "planes" || effect == "sphere";
  if (!rayCast && effect != "rotozoom" && effect != "warp") return qvFxBad(("unknown effect '" + effect + "'").c_str());
  const char *texPath = nullptr, *outPath = nullptr;
  int32_t size[2] = {320, 200}, radius = effect == "tunnel" ? 400 : effect == "planes" ? 256 : 600;
  int32_t zoom = 256, angle = 0, steps[4] = {160000, 0, 0, 160000}, rect[4] = {320, 140, 0, 30};
  float pos[3] = {0, 0, 0}, angles[3] = {0, 0, 0};
  for (int i = 2; i < argc; i++) {
    const std::string opt = argv[i];
    if (i + 1 >= argc) return qvFxBad(("option " + opt + " needs a value").c_str());
    const char* v = argv[++i];
    bool ok = true;
    if (opt == "-o") outPath = v;
    else if (opt == "-t") texPath = v;
    else if (opt == "-s")
      ok = qvParseInts(v, size, 2, 'x') && size[0] >= 8 && size[0] <= 2048 && size[1] >= 8 && size[1] <= 2048;
    else if (opt == "-r") ok = qvParseInts(v, &radius, 1) && radius > 0 && radius <= 1000000;
    else if (opt == "-p") ok = qvParseFloats(v, pos, 3);
    else if (opt == "-a") ok = qvParseFloats(v, angles, 3);
    else if (opt == "-z") ok = qvParseInts(v, &zoom, 1) && zoom >= -65536 && zoom <= 65536;
    else if (opt == "-A") ok = qvParseInts(v, &angle, 1);
    else if (opt == "-w") ok = qvParseInts(v, steps, 4);
    else if (opt == "-R") ok = qvParseInts(v, rect, 4);
    else return qvFxBad(("unknown option " + opt).c_str());
    if (!ok) return qvFxBad(("bad value for " + opt + ": " + v).c_str());
  }
  if (!outPath) return qvFxBad("no output file (-o)");
  if (effect == "warp") {
    size[0] = 320, size[1] = 200;
    if (rect[0] < 1 || rect[1] < 1 || rect[2] < 0 || rect[3] < 0 || rect[2] + rect[0] > 320 || rect[3] + rect[1] > 200)
      return qvFxBad("the warp rectangle must lie inside 320x200");
  }

  std::vector<uint32_t> tex(65536);
  if (texPath) {
    if (!qvFxLoadTexture(texPath, tex)) return 1;
  } else {
    for (int i = 0; i < 65536; i++) tex[i] = (((i >> 8) ^ i) & 32) ? 0xe0c080 : 0x304070;  // 32-texel checks
  }
  const int32_t w = size[0], h = size[1];
  std::vector<uint32_t> pic((size_t)w * h, 0);
  fxBuildSinTables();
  if (rayCast) {
    x3dInit(320, 200, nullptr);  // the shade table
    if (effect == "tunnel") {
      xFdTunnel fx(w, h, radius);
      fx.SetTexture(tex.data()), fx.SetPosition(pos[0], pos[1], pos[2]), fx.SetAngles(angles[0], angles[1], angles[2]);
      fx.Render(pic.data());
    } else if (effect == "planes") {
      xFdPlanes fx(w, h, radius);
      fx.SetTexture(tex.data()), fx.SetPosition(pos[0], pos[1], pos[2]), fx.SetAngles(angles[0], angles[1], angles[2]);
      fx.Render(pic.data());
    } else {
      xFdSphere fx(w, h, radius);
      fx.SetTexture(tex.data()), fx.SetPosition(pos[0], pos[1], pos[2]), fx.SetAngles(angles[0], angles[1], angles[2]);
      fx.Render(pic.data());
    }
  } else if (effect == "rotozoom") {
    fxRotozoom(w, h, zoom, angle, tex.data(), pic.data());
  } else {
    fxWarp(rect[0], rect[1], rect[2], rect[3], steps[0], steps[1], steps[2], steps[3], tex.data(), pic.data());
  }
  errno = 0;
  if (!xPngWriteXrgb(outPath, pic.data(), w, h, w)) return qvFileError("fx", "write", outPath, qvErrnoText());
  std::printf("%s: %dx%d %s\n", outPath, w, h, effect.c_str());
  return 0;
}
