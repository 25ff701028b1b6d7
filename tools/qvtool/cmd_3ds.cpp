// qvtool 3ds FILE [--at FRAME] [--json]: what a 3DS scene holds, optionally posed at a frame.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qvtool/qvscene.h"
#include "qvtool/qvtool.h"
#include "qvtool/qvutil.h"
#include "x3d/x3d3ds.h"
#include "x3d/x3danim.h"
#include "x3d/x3dspline.h"

namespace {

const char* KindName(int32_t kind) {
  switch (kind) {
    case X3D_NODE_CAMERA: return "camera";
    case X3D_NODE_TARGET: return "camera-target";
    case X3D_NODE_OMNI: return "omni";
    case X3D_NODE_SPOT: return "spot";
    case X3D_NODE_SPOT_TARGET: return "spot-target";
    case X3D_NODE_OBJECT: return "object";
    case X3D_NODE_AMBIENT: return "ambient";
    default: return "unknown";
  }
}

std::string Json(const char* s) {
  std::string out = "\"";
  for (const char* p = s ? s : ""; *p; p++) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char b[8];
      std::snprintf(b, sizeof b, "\\u%04x", c);
      out += b;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

const char* NodeName(const x3dNode* n) {
  switch (n->kind) {
    case X3D_NODE_OBJECT: return static_cast<x3dObject*>(n->owner)->name;
    case X3D_NODE_CAMERA:
    case X3D_NODE_TARGET: return static_cast<x3dCamera*>(n->owner)->name;
    case X3D_NODE_AMBIENT: return static_cast<x3dAmbient*>(n->owner)->name;
    default: return static_cast<x3dLight*>(n->owner)->name;
  }
}

int32_t Keys(const x3dNode* n, int i) {
  const x3dTrack* t = n->tracks && i < n->tracks->count ? n->tracks->track[i] : nullptr;
  return t ? t->keyCount : -1;
}

void Matrix(const float m[3][4], bool json) {
  for (int r = 0; r < 3; r++) {
    if (json) std::printf("%s[%g,%g,%g,%g]", r ? "," : "[", m[r][0], m[r][1], m[r][2], m[r][3]);
    else std::printf("      %10.4f %10.4f %10.4f %10.4f\n", m[r][0], m[r][1], m[r][2], m[r][3]);
  }
  if (json) std::printf("]");
}

void PrintText(x3dScene* s) {
  std::printf("frames: %g to %g\n", s->startFrame, s->endFrame);
  std::printf("objects: %d\n", s->objectCount);
  for (int32_t i = 0; i < s->objectCount; i++) {
    const x3dObject& o = s->objects[i];
    std::printf("  %-20s id %4d parent %4d vertices %6d faces %6d flags 0x%02X%s\n", o.name, o.id, o.parentId,
                o.vertexCount, o.faceCount, o.flags, (o.flags & X3D_OBJ_DUMMY) ? " (dummy)" : "");
  }
  std::printf("materials: %d\n", s->materialCount);
  for (int32_t i = 0; i < s->materialCount; i++) {
    const x3dMaterial& m = s->materials[i];
    std::printf("  %-20s render 0x%03X colour %06X", m.name, m.renderFlags, m.color);
    if (m.texture.name) std::printf(" texture %s", m.texture.name);
    if (m.reflection.name) std::printf(" reflection %s", m.reflection.name);
    if (m.bump.name) std::printf(" bump %s", m.bump.name);
    std::printf("\n");
  }
  std::printf("cameras: %d\n", s->cameraCount);
  for (int32_t i = 0; i < s->cameraCount; i++) {
    const x3dCamera& c = s->cameras[i];
    std::printf("  %-20s position (%g, %g, %g) target (%g, %g, %g) roll %g fov %g\n", c.name, c.position[0],
                c.position[1], c.position[2], c.target[0], c.target[1], c.target[2], c.roll, c.fileFov);
  }
  std::printf("lights: %d\n", s->lightCount);
  for (int32_t i = 0; i < s->lightCount; i++) {
    const x3dLight& l = s->lights[i];
    std::printf("  %-20s %s%s position (%g, %g, %g) colour (%g, %g, %g)%s\n", l.name,
                (l.kind & X3D_LIGHT_SPOT) ? "spot" : "omni", (l.kind & X3D_LIGHT_ATTENUATED) ? " attenuated" : "",
                l.position[0], l.position[1], l.position[2], l.color[0], l.color[1], l.color[2],
                l.flare ? " lens flare" : "");
  }
  std::printf("nodes: %d\n", s->nodeCount);
  static const char* kSlots[7][5] = {{"position", "fov", "roll"},
                                     {"position"},
                                     {"position", "colour"},
                                     {"position", "roll", "colour"},
                                     {"position"},
                                     {"position", "scale", "rotation", "morph", "hide"},
                                     {"colour"}};
  for (int32_t i = 0; i < s->nodeCount; i++) {
    const x3dNode& n = s->nodes[i];
    int k = 0;
    while (k < 7 && (1 << k) != n.kind) k++;
    std::printf("  [%d] %-13s id %4d parent %3d %-20s", i, KindName(n.kind), n.id, n.parent, NodeName(&n));
    for (int t = 0; k < 7 && n.tracks && t < n.tracks->count; t++)
      if (Keys(&n, t) >= 0) std::printf(" %s:%d", kSlots[k][t], Keys(&n, t));
    std::printf("\n");
  }
}

void PrintJson(x3dScene* s) {
  std::printf("{\"frames\":{\"start\":%g,\"end\":%g},\"objects\":[", s->startFrame, s->endFrame);
  for (int32_t i = 0; i < s->objectCount; i++) {
    const x3dObject& o = s->objects[i];
    std::printf("%s{\"name\":%s,\"id\":%d,\"vertices\":%d,\"faces\":%d,\"flags\":%d,\"parent\":%d}", i ? "," : "",
                Json(o.name).c_str(), o.id, o.vertexCount, o.faceCount, o.flags, o.parentId);
  }
  std::printf("],\"materials\":[");
  for (int32_t i = 0; i < s->materialCount; i++) {
    const x3dMaterial& m = s->materials[i];
    std::printf(
        "%s{\"name\":%s,\"render\":%d,\"colour\":\"%06X\",\"texture\":%s,\"reflection\":%s,\"bump\":%s}", i ? "," : "",
        Json(m.name).c_str(), m.renderFlags, m.color, m.texture.name ? Json(m.texture.name).c_str() : "null",
        m.reflection.name ? Json(m.reflection.name).c_str() : "null", m.bump.name ? Json(m.bump.name).c_str() : "null");
  }
  std::printf("],\"cameras\":[");
  for (int32_t i = 0; i < s->cameraCount; i++)
    std::printf("%s{\"name\":%s,\"kind\":\"camera\"}", i ? "," : "", Json(s->cameras[i].name).c_str());
  std::printf("],\"lights\":[");
  for (int32_t i = 0; i < s->lightCount; i++)
    std::printf("%s{\"name\":%s,\"kind\":\"%s\"}", i ? "," : "", Json(s->lights[i].name).c_str(),
                (s->lights[i].kind & X3D_LIGHT_SPOT) ? "spot" : "omni");
  std::printf("],\"nodes\":[");
  for (int32_t i = 0; i < s->nodeCount; i++) {
    const x3dNode& n = s->nodes[i];
    std::printf("%s{\"kind\":\"%s\",\"id\":%d,\"parent\":%d,\"name\":%s,\"keys\":[", i ? "," : "", KindName(n.kind),
                n.id, n.parent, Json(NodeName(&n)).c_str());
    for (int t = 0; n.tracks && t < n.tracks->count; t++)
      std::printf("%s%d", t ? "," : "", Keys(&n, t) < 0 ? 0 : Keys(&n, t));
    std::printf("]}");
  }
  std::printf("]");
}

void PrintPose(x3dScene* s, float frame, bool json) {
  x3dSetScene(s);
  s->frame = frame;
  x3dUpdateScene();
  if (json) {
    std::printf(",\"at\":%g,\"pose\":{\"objects\":[", frame);
    for (int32_t i = 0; i < s->objectCount; i++) {
      std::printf("%s{\"name\":%s,\"matrix\":", i ? "," : "", Json(s->objects[i].name).c_str());
      Matrix(s->objects[i].matrix, true);
      std::printf("}");
    }
    std::printf("],\"cameras\":[");
    for (int32_t i = 0; i < s->cameraCount; i++) {
      std::printf("%s{\"name\":%s,\"view\":", i ? "," : "", Json(s->cameras[i].name).c_str());
      Matrix(s->cameras[i].view, true);
      std::printf("}");
    }
    std::printf("]}");
    return;
  }
  std::printf("pose at frame %g:\n", frame);
  for (int32_t i = 0; i < s->objectCount; i++) {
    std::printf("  object %s%s\n", s->objects[i].name, (s->objects[i].flags & X3D_OBJ_HIDDEN_TRACK) ? " (hidden)" : "");
    Matrix(s->objects[i].matrix, false);
  }
  for (int32_t i = 0; i < s->cameraCount; i++) {
    std::printf("  camera %s fov %g\n", s->cameras[i].name, s->cameras[i].fov);
    Matrix(s->cameras[i].view, false);
  }
}

}  // namespace

// Shared with qvtool scene.
void qvX3dPrint(x3dScene* scene, bool json, bool posed, float frame) {
  if (json) {
    PrintJson(scene);
    if (posed) PrintPose(scene, frame, true);
    std::printf("}\n");
  } else {
    PrintText(scene);
    if (posed) PrintPose(scene, frame, false);
  }
}

// Parses --at FRAME and --json; the rest go to positional. False on a bad option.
bool qvX3dOptions(int argc, char** argv, const char** positional, int maxPositional, int* count, bool* json,
                  bool* posed, float* frame, const char** archive) {
  *count = 0;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "--json")) {
      *json = true;
    } else if (!std::strcmp(argv[i], "--at") && i + 1 < argc) {
      if (!qvParseFloats(argv[++i], frame, 1) || *frame < 0) return false;
      *posed = true;
    } else if (archive && !std::strcmp(argv[i], "--archive") && i + 1 < argc) {
      *archive = argv[++i];
    } else if (argv[i][0] == '-' || *count >= maxPositional) {
      return false;
    } else {
      positional[(*count)++] = argv[i];
    }
  }
  return true;
}

int qvCmd3ds(int argc, char** argv) {
  const char* file = nullptr;
  int count = 0;
  bool json = false, posed = false;
  float frame = 0;
  if (!qvX3dOptions(argc, argv, &file, 1, &count, &json, &posed, &frame, nullptr) || count != 1) {
    return qvUsageError("3ds");
  }
  x3dInit(320, 200, nullptr);
  x3dScene* scene = static_cast<x3dScene*>(std::calloc(1, sizeof(x3dScene)));
  if (!scene) return 1;
  x3dLoad3ds(file, scene);  // a broken file ends here with its coded error
  for (int32_t i = 0; i < scene->cameraCount; i++) x3dCameraViewport(&scene->cameras[i], 320, 200);
  qvX3dPrint(scene, json, posed, frame);
  qvFreeScene(scene);
  return 0;
}
