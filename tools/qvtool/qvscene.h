// Scene helpers shared by qvtool 3ds, scene and render.
#pragma once
#include "x3d/x3dscene.h"

// Prints a scene as text or JSON, optionally posed at a keyframe.
void qvX3dPrint(x3dScene* scene, bool json, bool posed, float frame);

// Parses --at FRAME, --json and (when archive is given) --archive; the rest go to
// positional. False on a bad option.
bool qvX3dOptions(int argc, char** argv, const char** positional, int maxPositional, int* count, bool* json,
                  bool* posed, float* frame, const char** archive);

// Loads a scene script from the archive, or from disk relative to the script's own
// folder (the working directory moves there). False, after a message naming the
// command, when the archive or the folder cannot be opened.
bool qvLoadScene(const char* command, const char* script, const char* archive, x3dScene* scene);

// Frees a scene allocated with calloc, everything it holds and the texture list.
void qvFreeScene(x3dScene* scene);
