// qvtool render SCRIPT [--archive quorvane.kvo] [--frame T] -o OUT.png: loads a
// scene script, poses it at keyframe T and draws one frame into a 320x200 view
// exactly as a segment does (update, transform, light, render), for asset authors.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/xpng.h"
#include "qvtool/qvscene.h"
#include "qvtool/qvtool.h"
#include "qvtool/qvutil.h"
#include "x2d/x2d.h"
#include "x3d/x3danim.h"
#include "x3d/x3drender.h"
#include "x3d/x3dscene.h"

int qvCmdRender(int argc, char** argv) {
  const char* script = nullptr;
  const char* archive = nullptr;
  const char* out = nullptr;
  float frame = 0.0f;
  bool haveFrame = false;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--archive" || a == "--frame" || a == "-o") {
      if (i + 1 >= argc) return qvUsageError("render");
      const char* v = argv[++i];
      if (a == "--archive") archive = v;
      else if (a == "-o") out = v;
      else {
        if (!qvParseFloats(v, &frame, 1)) return qvUsageError("render");
        haveFrame = true;
      }
    } else if (!a.empty() && a[0] == '-') {
      return qvUsageError("render");
    } else if (!script) {
      script = argv[i];
    } else {
      return qvUsageError("render");
    }
  }
  if (!script || !out) return qvUsageError("render");

  // The engine as the presentation sets it up: 320x240 frame buffer, 320x200 view at line 20.
  x2dInit(320, 240);
  x3dInit(320, 200, nullptr);
  x3dScene* scene = static_cast<x3dScene*>(std::calloc(1, sizeof(x3dScene)));
  if (!scene) return 1;
  if (!qvLoadScene("render", script, archive, scene)) {
    qvFreeScene(scene);
    return 1;
  }
  x3dSetScene(scene);
  if (!x3dActiveCamera) {
    std::fprintf(stderr, "qvtool render: %s has no camera\n", script);
    qvFreeScene(scene);
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

  errno = 0;
  const bool written = xPngWriteXrgb(out, view, 320, 200, 320);
  if (written)
    std::printf("%s: frame %g, %d faces drawn, %d lights\n", out, scene->frame, scene->listCount,
                scene->visibleLightCount);
  else qvFileError("render", "write", out, qvErrnoText());
  qvFreeScene(scene);
  return written ? 0 : 1;
}
