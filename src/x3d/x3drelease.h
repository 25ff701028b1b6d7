// Releasing what the 3DS loader, the scene scripts and the texture list allocated.
// The presentation keeps its scenes until exit; tools, tests and harnesses free them.
#pragma once
#include "x3d/x3d.h"

// Frees everything the scene owns (objects, lights and flares, cameras, materials,
// ambients, keyframer nodes and tracks, frame lists, texture path) and zeroes the
// record, which stays the caller's. A scene that is active stops being so.
// Texture pixels are the texture list's: see x3dFreeTextures.
void x3dFreeScene(x3dScene* scene);
// The same, keeping the settings a script gives before its scene (distance, fog and
// its colour, z-buffer): every 3DS load starts with it, so a scene loaded over
// another does not leak it. The record must be zeroed or hold a loaded scene.
void x3dEmptyScene(x3dScene* scene);

// Frees the texture list and every picture in it; call after the scenes whose
// materials point at them are freed.
void x3dFreeTextures();

// Frees what a load or script ended by a fatal error left behind (reader state,
// file copies, pending keys). Every load calls these first, so at most one such
// leftover exists; harnesses that return from the fatal path call them at once.
void x3dLoad3dsRelease();
void x3dSceneScriptRelease();
