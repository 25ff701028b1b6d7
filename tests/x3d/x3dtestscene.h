// Hand-built scenes for the renderer's tests, golden images and benchmarks:
// meshes with normals and bounds computed as the loader does, lights, lens
// flares, materials and a camera, all owned by one TestScene. Header-only so
// the benchmark program can use it too.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <vector>

#include "x3d/raster/x3dpolygons.h"
#include "x3d/x3d.h"
#include "x3d/x3dscene.h"

struct TestScene {
  x3dScene scene{};
  x3dCamera camera{};
  std::deque<x3dMaterial> materials;  // deque: element addresses stay put while growing
  std::deque<x3dLensFlare> flares;
  std::deque<std::vector<uint32_t>> images;
  std::deque<std::vector<x3dVertex>> verts;
  std::deque<std::vector<x3dFace>> faces;
  std::vector<x3dObject> objects;
  std::vector<x3dLight> lights;

  TestScene(bool zbuffer, float distance, bool fog = false, float fr = 0, float fg = 0, float fb = 0) {
    scene.zbuffer = zbuffer ? 1 : 0;
    scene.distance = distance;
    scene.fog = fog ? 1 : 0;
    scene.fogColor[0] = fr, scene.fogColor[1] = fg, scene.fogColor[2] = fb;
    lights.reserve(64);
  }
  ~TestScene() {
    std::free(scene.listA);
    std::free(scene.listB);
    std::free(scene.visibleLights);
  }

  // A 256x256 texture: checker of two colours with a gradient, seeded by k.
  const uint32_t* texture(int k) {
    images.emplace_back(65536);
    std::vector<uint32_t>& t = images.back();
    for (uint32_t v = 0; v < 256; v++)
      for (uint32_t u = 0; u < 256; u++) {
        bool odd = ((u >> 5) ^ (v >> 5)) & 1;
        uint32_t r = odd ? (u * (k + 1)) & 255 : 40 + k * 50;
        uint32_t g = odd ? v : 200 - k * 30;
        uint32_t b = odd ? 255 - u : (u ^ v) & 255;
        t[v * 256 + u] = r << 16 | g << 8 | b;
      }
    return t.data();
  }
  // A round soft glow for lens flares, size x size.
  x3dLensFlare* flare(int size, float scale, uint32_t rgb) {
    images.emplace_back(static_cast<size_t>(size) * size);
    std::vector<uint32_t>& t = images.back();
    for (int y = 0; y < size; y++)
      for (int x = 0; x < size; x++) {
        float dx = (x + 0.5f) / size * 2 - 1, dy = (y + 0.5f) / size * 2 - 1;
        float a = 1.0f - std::sqrt(dx * dx + dy * dy);
        a = a < 0 ? 0 : a * a;
        uint32_t c = 0;
        for (int s = 0; s <= 16; s += 8) c |= static_cast<uint32_t>(((rgb >> s) & 255) * a) << s;
        t[y * size + x] = c;
      }
    flares.emplace_back();
    x3dLensFlare& f = flares.back();
    std::memset(&f, 0, sizeof(f));
    f.width = f.height = size;
    f.map.image = t.data();
    f.scale = scale;
    return &f;
  }
  x3dMaterial* material(int32_t renderType, uint8_t r, uint8_t g, uint8_t b, const uint32_t* tex = nullptr) {
    materials.emplace_back();
    x3dMaterial& m = materials.back();
    std::memset(&m, 0, sizeof(m));
    m.renderFlags = x3dRenderFlags(renderType);
    m.r = r, m.g = g, m.b = b;
    m.color = static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
    m.texture.image = const_cast<uint32_t*>(tex);
    m.reflection.image = const_cast<uint32_t*>(tex);
    return &m;
  }

  // Adds a mesh; tris hold vertex index triples. Normals follow the engine's sense:
  // face normal = unit (a - b) x (b - c), vertex normal = normalised sum.
  // orient: 1 turns every face to be seen from outside a closed mesh, 2 from above (+y).
  int mesh(const std::vector<float>& pos, const std::vector<float>& uv, std::vector<int> tris, x3dMaterial* mat,
           const float at[3], int orient = 0, float scale = 1.0f) {
    if (orient) {
      float mid[3] = {0, 0, 0};
      for (size_t i = 0; i < pos.size(); i++) mid[i % 3] += pos[i] / (pos.size() / 3);
      for (size_t j = 0; j + 2 < tris.size(); j += 3) {
        const float *a = &pos[tris[j] * 3], *b = &pos[tris[j + 1] * 3], *c = &pos[tris[j + 2] * 3];
        float e1[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]}, e2[3] = {b[0] - c[0], b[1] - c[1], b[2] - c[2]};
        float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        float out[3] = {0, 1, 0};
        if (orient == 1)
          for (int k = 0; k < 3; k++) out[k] = (a[k] + b[k] + c[k]) / 3 - mid[k];
        // The engine's normal points away from the front side: inwards for a viewer outside.
        if (n[0] * out[0] + n[1] * out[1] + n[2] * out[2] > 0) std::swap(tris[j + 1], tris[j + 2]);
      }
    }
    verts.emplace_back(pos.size() / 3);
    faces.emplace_back(tris.size() / 3);
    std::vector<x3dVertex>& vs = verts.back();
    std::vector<x3dFace>& fs = faces.back();
    std::memset(vs.data(), 0, vs.size() * sizeof(x3dVertex));
    std::memset(fs.data(), 0, fs.size() * sizeof(x3dFace));
    for (size_t i = 0; i < vs.size(); i++) {
      for (int k = 0; k < 3; k++) vs[i].pos[k] = pos[i * 3 + k];
      if (!uv.empty()) vs[i].u = uv[i * 2], vs[i].v = uv[i * 2 + 1];
    }
    for (size_t j = 0; j < fs.size(); j++) {
      x3dFace& f = fs[j];
      f.a = static_cast<uint16_t>(tris[j * 3]), f.b = static_cast<uint16_t>(tris[j * 3 + 1]),
      f.c = static_cast<uint16_t>(tris[j * 3 + 2]);
      f.va = &vs[f.a], f.vb = &vs[f.b], f.vc = &vs[f.c];
      f.material = mat;
      const float *a = f.va->pos, *b = f.vb->pos, *c = f.vc->pos;
      float e1[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]}, e2[3] = {b[0] - c[0], b[1] - c[1], b[2] - c[2]};
      float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
      float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
      for (int k = 0; k < 3; k++) f.normal[k] = len > 0 ? n[k] / len : 0;
      for (x3dVertex* v : {f.va, f.vb, f.vc})
        for (int k = 0; k < 3; k++) v->normal[k] += f.normal[k];
    }
    x3dObject o;
    std::memset(&o, 0, sizeof(o));
    o.id = static_cast<int32_t>(objects.size());
    o.parentId = -1;
    o.vertexCount = static_cast<int32_t>(vs.size());
    o.faceCount = static_cast<int32_t>(fs.size());
    o.vertices = vs.data();
    o.faces = fs.data();
    for (int k = 0; k < 3; k++) o.boxMin[k] = 1e30f, o.boxMax[k] = -1e30f;
    for (x3dVertex& v : vs) {
      float len = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] + v.normal[2] * v.normal[2]);
      for (int k = 0; k < 3; k++) {
        if (len > 0) v.normal[k] /= len;
        o.boxMin[k] = std::fmin(o.boxMin[k], v.pos[k]);
        o.boxMax[k] = std::fmax(o.boxMax[k], v.pos[k]);
      }
    }
    for (int k = 0; k < 3; k++) o.centre[k] = (o.boxMin[k] + o.boxMax[k]) * 0.5f;
    for (x3dVertex& v : vs) {
      float d = std::sqrt((v.pos[0] - o.centre[0]) * (v.pos[0] - o.centre[0]) +
                          (v.pos[1] - o.centre[1]) * (v.pos[1] - o.centre[1]) +
                          (v.pos[2] - o.centre[2]) * (v.pos[2] - o.centre[2]));
      o.radius = std::fmax(o.radius, d);
    }
    if (o.radius == 0) o.radius = 1;
    for (int r = 0; r < 3; r++) {
      for (int c = 0; c < 3; c++) o.matrix[r][c] = r == c ? scale : 0.0f;
      o.matrix[r][3] = at[r];
    }
    objects.push_back(o);
    return static_cast<int>(objects.size()) - 1;
  }

  // UV sphere seen from outside (front faces towards the viewer), u around, v down.
  int sphere(int rings, int segs, float radius, x3dMaterial* mat, const float at[3]) {
    std::vector<float> pos, uv;
    std::vector<int> tris;
    for (int r = 0; r <= rings; r++)
      for (int s = 0; s <= segs; s++) {
        float th = 3.14159265f * r / rings, ph = 6.2831853f * s / segs;
        pos.insert(pos.end(),
                   {radius * std::sin(th) * std::cos(ph), radius * std::cos(th), radius * std::sin(th) * std::sin(ph)});
        uv.insert(uv.end(), {255.9f * 2 * s / segs, 255.9f * r / rings});
      }
    for (int r = 0; r < rings; r++)
      for (int s = 0; s < segs; s++) {
        int a = r * (segs + 1) + s, b = a + 1, c = a + segs + 1, d = c + 1;
        if (r != 0) tris.insert(tris.end(), {a, b, c});
        if (r != rings - 1) tris.insert(tris.end(), {b, d, c});
      }
    return mesh(pos, uv, tris, mat, at, 1);
  }
  // Axis-aligned box of half size h, texture on every side.
  int box(float h, x3dMaterial* mat, const float at[3]) {
    std::vector<float> pos, uv;
    std::vector<int> tris;
    const int axes[6][3] = {{0, 1, 2}, {0, 1, 2}, {1, 2, 0}, {1, 2, 0}, {2, 0, 1}, {2, 0, 1}};
    for (int f = 0; f < 6; f++) {
      float sgn = (f & 1) ? 1.0f : -1.0f;
      int base = static_cast<int>(pos.size() / 3);
      const float cs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
      for (auto& c : cs) {
        float p[3];
        p[axes[f][0]] = c[0] * h, p[axes[f][1]] = c[1] * h, p[axes[f][2]] = sgn * h;
        pos.insert(pos.end(), {p[0], p[1], p[2]});
        uv.insert(uv.end(), {(c[0] + 1) * 127.9f, (c[1] + 1) * 127.9f});
      }
      int q[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
      tris.insert(tris.end(), q, q + 6);
    }
    return mesh(pos, uv, tris, mat, at, 1);
  }
  // Grid in the plane y = 0 seen from above, n x n quads of the given size.
  int floor(int n, float size, x3dMaterial* mat, const float at[3]) {
    std::vector<float> pos, uv;
    std::vector<int> tris;
    for (int j = 0; j <= n; j++)
      for (int i = 0; i <= n; i++) {
        pos.insert(pos.end(), {(i - n * 0.5f) * size, 0.0f, (j - n * 0.5f) * size});
        uv.insert(uv.end(), {i * 64.0f, j * 64.0f});
      }
    for (int j = 0; j < n; j++)
      for (int i = 0; i < n; i++) {
        int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
        tris.insert(tris.end(), {a, c, b, b, c, d});
      }
    return mesh(pos, uv, tris, mat, at, 2);
  }

  x3dLight* light(int kind, const float at[3], float r, float g, float b) {
    x3dLight l;
    std::memset(&l, 0, sizeof(l));
    l.kind = kind;
    for (int k = 0; k < 3; k++) l.position[k] = at[k];
    l.color[0] = r, l.color[1] = g, l.color[2] = b;
    lights.push_back(l);
    return &lights.back();
  }

  // Pointers into the arrays, frame lists, camera and activation.
  void finish(const float eye[3], const float look[3], float fov = 60.0f) {
    scene.objects = objects.data();
    scene.objectCount = static_cast<int32_t>(objects.size());
    scene.lights = lights.empty() ? nullptr : lights.data();
    scene.lightCount = static_cast<int32_t>(lights.size());
    scene.cameras = &camera;
    scene.cameraCount = 1;
    x3dAllocFrameLists(&scene);
    std::memset(&camera, 0, sizeof(camera));
    for (int k = 0; k < 3; k++) camera.position[k] = eye[k], camera.target[k] = look[k];
    x3dCameraViewport(&camera, 320, 200);
    x3dCameraMatrix(&camera);
    x3dCameraProjection(&camera, fov);
    x3dSetScene(&scene);
    x3dSetCamera(&camera);
    if (scene.zbuffer) x3dInitZBuffer();
  }
};
