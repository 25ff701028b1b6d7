// Per-frame transform, lighting and drawing of the active scene: the last
// three calls of a 3D frame, after x3dSetFrame and x3dUpdateScene.
#pragma once
#include <cstdint>

#include "x3d/x3d.h"

// Lights into view space, object culling, back faces, used vertices, the
// polygon list; painter mode also lists lens flares and sorts by depth.
void x3dTransformScene();
// Intensity and fog of every vertex used this frame, each vertex once.
void x3dLightScene();
// Draws the active scene into pixels (lines through x3dLineOffset).
void x3dRenderScene(uint32_t* pixels);
// One light's lens flare, added with saturation; depthTest compares against the z-buffer.
void x3dDrawLensFlare(const x3dLight* light, uint32_t* pixels, bool depthTest);

// Ascending sort of list entries by their float depth's bit pattern taken as
// unsigned (negative depths after all positive ones); result in a, b is scratch.
void x3dSortList(x3dSceneList* a, x3dSceneList* b, int32_t count);
