// qvtool scene SCRIPT [--archive quorvane.kvo] [--at FRAME] [--json]: a scene as its script sets it up.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "file/xfile.h"
#include "qvtool/qvscene.h"
#include "qvtool/qvtool.h"
#include "qvtool/qvutil.h"
#include "x3d/x3drelease.h"

void qvFreeScene(x3dScene* scene) {
  x3dFreeScene(scene);
  std::free(scene);
  x3dFreeTextures();
}

bool qvLoadScene(const char* command, const char* script, const char* archive, x3dScene* scene) {
  if (archive) {
    // Kept open for the process: textures and meshes are read from it after the script.
    static xFile zip(1);
    if (zip.Open(archive) != XFILE_OPEN_ERROR) {
      qvFileError(command, "open archive", archive, qvReadWhy(archive, "not a ZIP archive"));
      return false;
    }
    x3dLoadSceneScript(script, scene, &zip);
    return true;
  }
  // On disk the script names its scene and textures relative to its own folder.
  std::string path = script;
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos) {
    if (chdir(path.substr(0, slash + 1).c_str()) != 0) {
      qvFileError(command, "enter the folder of", script, std::strerror(errno));
      return false;
    }
    path = path.substr(slash + 1);
  }
  x3dLoadSceneScriptFile(path.c_str(), scene);
  return true;
}

int qvCmdScene(int argc, char** argv) {
  const char* script = nullptr;
  const char* archive = nullptr;
  int count = 0;
  bool json = false, posed = false;
  float frame = 0;
  if (!qvX3dOptions(argc, argv, &script, 1, &count, &json, &posed, &frame, &archive) || count != 1) {
    return qvUsageError("scene");
  }
  x3dInit(320, 200, nullptr);
  x3dScene* scene = static_cast<x3dScene*>(std::calloc(1, sizeof(x3dScene)));
  if (!scene) return 1;
  const bool loaded = qvLoadScene("scene", script, archive, scene);
  if (loaded) qvX3dPrint(scene, json, posed, frame);
  qvFreeScene(scene);
  return loaded ? 0 : 1;
}
