// qvtool scene SCRIPT [--archive quorvane.kvo] [--at FRAME] [--json]: a scene as its script sets it up.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "file/xfile.h"
#include "qvtool/qvtool.h"
#include "x3d/x3dscene.h"

void qvX3dPrint(x3dScene* scene, bool json, bool posed, float frame);
bool qvX3dOptions(int argc, char** argv, const char** positional, int maxPositional, int* count, bool* json,
                  bool* posed, float* frame, const char** archive);

int qvCmdScene(int argc, char** argv) {
  const char* script = nullptr;
  const char* archive = nullptr;
  int count = 0;
  bool json = false, posed = false;
  float frame = 0;
  if (!qvX3dOptions(argc, argv, &script, 1, &count, &json, &posed, &frame, &archive) || count != 1) {
    std::fprintf(stderr, "usage: qvtool scene SCRIPT [--archive quorvane.kvo] [--at FRAME] [--json]\n");
    return 2;
  }
  x3dInit(320, 200, nullptr);
  x3dScene* scene = static_cast<x3dScene*>(std::calloc(1, sizeof(x3dScene)));
  if (archive) {
    xFile zip(1);
    if (zip.Open(archive) != XFILE_OPEN_ERROR) {
      std::fprintf(stderr, "qvtool scene: cannot open archive %s\n", archive);
      return 1;
    }
    x3dLoadSceneScript(script, scene, &zip);
    qvX3dPrint(scene, json, posed, frame);
    return 0;
  }
  // On disk the script names its scene and textures relative to its own folder.
  std::string path = script;
  size_t slash = path.find_last_of('/');
  if (slash != std::string::npos) {
    if (chdir(path.substr(0, slash + 1).c_str()) != 0) {
      std::fprintf(stderr, "qvtool scene: cannot enter the folder of %s\n", script);
      return 1;
    }
    path = path.substr(slash + 1);
  }
  x3dLoadSceneScriptFile(path.c_str(), scene);
  qvX3dPrint(scene, json, posed, frame);
  return 0;
}
