// x3dDrawFace: one visible face from camera space to pixels: clip-vertex
// preparation, side-plane clipping, choice of filler, call.
#include <cstring>

#include "x3d/raster/x3dfill.h"

namespace {

x3dMaterial makeDefault(uint8_t r, uint8_t g, uint8_t b) {
  x3dMaterial m;
  std::memset(&m, 0, sizeof(m));
  m.renderFlags = X3D_RF_WIRE;
  m.r = r;
  m.g = g;
  m.b = b;
  m.color = static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
  return m;
}
const x3dMaterial kDefaultZ = makeDefault(255, 255, 255);
const x3dMaterial kDefaultPainter = makeDefault(236, 146, 14);

}  // namespace

const x3dMaterial* x3dDefaultMaterial(int32_t mode) { return mode == X3D_MODE_ZBUFFER ? &kDefaultZ : &kDefaultPainter; }

int32_t x3dChooseFiller(int32_t flags, uint8_t fogOn, int32_t mode, int32_t pass) {
  const bool zMode = mode == X3D_MODE_ZBUFFER;
  if ((flags & X3D_RF_WIRE) && !(zMode && pass == 2)) return X3D_FILL_WIRE;
  const bool tex = (flags & X3D_RF_TEXTURE) != 0;
  const bool persp = (flags & X3D_RF_PERSPECTIVE) != 0;
  const bool unlit = (flags & X3D_RF_UNLIT) != 0;
  int32_t kind;
  if (fogOn) {
    kind = tex ? (persp ? X3D_FILL_PERSP_FOG : X3D_FILL_TEX_FOG) : X3D_FILL_GOURAUD_FOG;
  } else if (tex) {
    kind = persp ? (unlit ? X3D_FILL_PERSP : X3D_FILL_PERSP_LIT) : (unlit ? X3D_FILL_TEX : X3D_FILL_TEX_LIT);
  } else if (flags & X3D_RF_FLAT) {
    kind = X3D_FILL_FLAT;
  } else if (flags & X3D_RF_GOURAUD) {
    kind = X3D_FILL_GOURAUD;
  } else {
    return X3D_FILL_NONE;
  }
  if (zMode) return kind | X3D_FILL_Z | (pass == 2 ? X3D_FILL_ADD : 0);
  return kind | ((flags & X3D_RF_ADDITIVE) ? X3D_FILL_ADD : 0);
}

namespace {

using ColourFill = void (*)(x3dClipPolygon*, uint32_t*, uint32_t);
using TexFill = void (*)(x3dClipPolygon*, uint32_t*, const uint32_t*);
using FlatFill = void (*)(x3dClipPolygon*, uint32_t*, uint8_t, uint8_t, uint8_t);

// [kind][member]: member 0 plain, 1 additive, 2 z-buffered, 3 additive z-buffered.
const FlatFill kFlat[4] = {x3dFillFlat, x3dFillFlatAdd, x3dFillFlatZ, x3dFillFlatAddZ};
const ColourFill kGouraud[4] = {x3dFillGouraud, x3dFillGouraudAdd, x3dFillGouraudZ, x3dFillGouraudAddZ};
const ColourFill kGouraudFog[4] = {x3dFillGouraudFog, x3dFillGouraudFogAdd, x3dFillGouraudFogZ, x3dFillGouraudFogAddZ};
const TexFill kTex[6][4] = {
    {x3dFillTex, x3dFillTexAdd, x3dFillTexZ, x3dFillTexAddZ},
    {x3dFillTexLit, x3dFillTexLitAdd, x3dFillTexLitZ, x3dFillTexLitAddZ},
    {x3dFillTexFog, x3dFillTexFogAdd, x3dFillTexFogZ, x3dFillTexFogAddZ},
    {x3dFillPersp, x3dFillPerspAdd, x3dFillPerspZ, x3dFillPerspAddZ},
    {x3dFillPerspLit, x3dFillPerspLitAdd, x3dFillPerspLitZ, x3dFillPerspLitAddZ},
    {x3dFillPerspFog, x3dFillPerspFogAdd, x3dFillPerspFogZ, x3dFillPerspFogAddZ},
};

inline void prepare(x3dVertex& o, const x3dVertex& v, int32_t flags, bool fogOn) {
  std::memset(&o, 0, sizeof(o));
  o.pos[0] = v.view[0];
  o.pos[1] = v.view[1];
  o.pos[2] = v.view[2];
  const bool tex = (flags & X3D_RF_TEXTURE) != 0;
  if (fogOn) {
    o.intensity = v.fog * 255.9f;
    if (!tex) o.u = v.intensity * 255.0f;
  } else if (!tex || !(flags & X3D_RF_UNLIT)) {
    o.intensity = v.intensity * 255.0f;
  }
  if (tex) {
    if (flags & X3D_RF_ENVMAP) {
      o.u = (v.viewNormal[0] + 1.0f) * 127.5f;
      o.v = (v.viewNormal[1] + 1.0f) * 127.5f;
    } else {
      o.u = v.u;
      o.v = v.v;
    }
  }
}

}  // namespace

void x3dDrawFace(x3dFace* face, uint32_t* target, int32_t mode, int32_t pass) {
  if (!face || !face->va || !face->vb || !face->vc) return;
  const x3dVertex* src[3] = {face->va, face->vb, face->vc};
  if ((src[0]->flags & src[1]->flags & src[2]->flags & X3D_VTX_FAR) != 0) return;
  const x3dMaterial* mat = face->material ? face->material : x3dDefaultMaterial(mode);
  const int32_t flags = mat->renderFlags;
  const bool fogOn = x3dFogOn != 0;

  x3dClipPolygon a, b;
  for (int i = 0; i < 3; i++) prepare(a.v[i], *src[i], flags, fogOn);
  a.count = 3;
  x3dClipPolygon* poly = &a;
  const int32_t code = face->clipCode & X3D_CLIP_PLANES;
  if (code) {
    for (int i = 0; i < 3; i++) a.v[i].flags = x3dOutcode(a.v[i].pos[0], a.v[i].pos[1], a.v[i].pos[2]);
    x3dClipPolygon* other = &b;
    auto step = [&](void (*fn)(const x3dClipPolygon*, x3dClipPolygon*)) {
      fn(poly, other);
      x3dClipPolygon* t = poly;
      poly = other;
      other = t;
    };
    if (code & X3D_CLIP_LEFT) step(x3dClipLeft);
    if (code & X3D_CLIP_RIGHT) step(x3dClipRight);
    if (code & X3D_CLIP_TOP) step(x3dClipTop);
    if (code & X3D_CLIP_BOTTOM) step(x3dClipBottom);
    if (poly->count < 3) return;
  }

  const int32_t choice = x3dChooseFiller(flags, x3dFogOn, mode, pass);
  const int32_t kind = choice & X3D_FILL_KIND_MASK;
  const int32_t member = ((choice & X3D_FILL_ADD) ? 1 : 0) + ((choice & X3D_FILL_Z) ? 2 : 0);
  const uint32_t* image = (flags & X3D_RF_ENVMAP) ? mat->reflection.image : mat->texture.image;
  switch (kind) {
    case X3D_FILL_NONE: return;
    case X3D_FILL_WIRE: x3dDrawWire(poly, mat->r, mat->g, mat->b, target); return;
    case X3D_FILL_FLAT: kFlat[member](poly, target, mat->r, mat->g, mat->b); return;
    case X3D_FILL_GOURAUD: kGouraud[member](poly, target, mat->color); return;
    case X3D_FILL_GOURAUD_FOG: kGouraudFog[member](poly, target, mat->color); return;
    default:
      // A textured material whose image never loaded is drawn as wireframe, like a missing texture.
      if (!image) {
        if (!(mode == X3D_MODE_ZBUFFER && pass == 2)) x3dDrawWire(poly, mat->r, mat->g, mat->b, target);
        return;
      }
      kTex[kind - X3D_FILL_TEX][member](poly, target, image);
      return;
  }
}
