// qvtool render SCRIPT [--archive quorvane.kvo] [--frame T] -o OUT.png: loads a
// scene script, poses it at keyframe T and draws one frame into a 320x200 view
// exactly as a segment does (update, transform, light, render), for asset authors.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "file/xfile.h"
#include "qvtool/qvtool.h"
#include "x2d/x2d.h"
#include "x3d/x3danim.h"
#include "x3d/x3drender.h"
#include "x3d/x3dscene.h"

int qvFxWritePng(const char* path, const uint8_t* rgb, int32_t width, int32_t height);

namespace {

int usage() {
  std::fprintf(stderr, "usage: qvtool render SCRIPT [--archive quorvane.kvo] [--frame T] -o OUT.png\n");
  return 2;
}

}  // namespace

int qvCmdRender(int argc, char** argv) {
  const char* script = nullptr;
  const char* archive = nullptr;
  const char* out = nullptr;
  float frame = 0.0f;
  bool haveFrame = false;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--archive" || a == "--frame" || a == "-o") {
      if (i + 1 >= argc) return usage();
      const char* v = argv[++i];
      if (a == "--archive") archive = v;
      else if (a == "-o") out = v;
      else {
        char* end = nullptr;
        frame = std::strtof(v, &end);
        if (!end || *end || end == v) return usage();
        haveFrame = true;
      }
    } else if (!a.empty() && a[0] == '-') {
      return usage();
    } else if (!script) {
      script = argv[i];
    } else {
      return usage();
    }
  }
  if (!script || !out) return usage();

  // The engine as the presentation sets it up: 320x240 frame buffer, 320x200 view at line 20.
  x2dInit(320, 240);
  x3dInit(320, 200, nullptr);
  x3dScene* scene = static_cast<x3dScene*>(std::calloc(1, sizeof(x3dScene)));
  if (!scene) return 1;
  if (archive) {
    static xFile zip(1);
    if (zip.Open(archive) != XFILE_OPEN_ERROR) {
      std::fprintf(stderr, "qvtool render: cannot open archive %s\n", archive);
      return 1;
    }
    x3dLoadSceneScript(script, scene, &zip);
  } else {
    // On disk the script names its scene and textures relative to its own folder.
    std::string path = script;
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos) {
      if (chdir(path.substr(0, slash + 1).c_str()) != 0) {
        std::fprintf(stderr, "qvtool render: cannot enter the folder of %s\n", script);
        return 1;
      }
      path = path.substr(slash + 1);
    }
    x3dLoadSceneScriptFile(path.c_str(), scene);
  }
  x3dSetScene(scene);
  if (!x3dActiveCamera) {
    std::fprintf(stderr, "qvtool render: %s has no camera\n", script);
    return 1;
  }
  if (haveFrame) {
    // Outside start..end the segment's clock would wrap; the tool says so instead.
    if (scene->endFrame != scene->startFrame && (frame < scene->startFrame || frame >= scene->endFrame))
      std::fprintf(stderr, "qvtool render: frame %g outside %g..%g, showing frame %g\n", frame, scene->startFrame,
                   scene->endFrame, scene->frame);
    x3dSetFrame(frame);
  }
  x3dUpdateScene();
  x3dTransformScene();
  x3dLightScene();
  std::vector<uint32_t> fb(320 * 240, 0);
  uint32_t* view = fb.data() + 320 * 20;
  x3dRenderScene(view);

  std::vector<uint8_t> rgb(320 * 200 * 3);
  for (int i = 0; i < 320 * 200; i++) {
    rgb[i * 3] = static_cast<uint8_t>(view[i] >> 16);
    rgb[i * 3 + 1] = static_cast<uint8_t>(view[i] >> 8);
    rgb[i * 3 + 2] = static_cast<uint8_t>(view[i]);
  }
  if (qvFxWritePng(out, rgb.data(), 320, 200) != 0) {
    std::fprintf(stderr, "qvtool render: cannot write %s\n", out);
    return 1;
  }
  std::printf("%s: frame %g, %d faces drawn, %d lights\n", out, scene->frame, scene->listCount,
              scene->visibleLightCount);
  return 0;
}
