// The presentation's program-wide state: what the start-up and the loaders create and
// the fifteen segments draw with. Everything here lives until the process ends.
#pragma once
#include <cstdint>
#include <string>

#include "fx/xfdefcts.h"
#include "image/xflc.h"
#include "x2d/x2dspr.h"
#include "x3d/x3d.h"

class xFile;

// ---- Driver state ----
extern int32_t fullScreen;      // 1 full screen, 0 windowed (the setup dialog's choice)
extern xFile qvArchive;         // the resource archive every loader reads through
extern uint32_t musicHandle;    // 0: no music, the clock counts by itself
extern uint32_t* view;          // pixel 6400 of the frame buffer: the 320x200 window drawn into
extern uint32_t lastFrameTick;  // tick of the last frame's pacing
extern uint32_t frameTime;      // ms since the previous frame, as the current segment's pacing measured it
extern uint8_t firstFrame;      // set until the first frame of a pass has been presented
extern int32_t musicOrder, musicRow;

enum : int32_t {
  QV_VIEW_W = 320,
  QV_VIEW_H = 200,
  QV_VIEW_PIXELS = 64000,
  QV_VIEW_OFFSET = 6400,      // the view starts at line 20 of the frame buffer
  QV_BUFFER_PIXELS = 76800,   // the whole 320x240 frame buffer
  QV_SHARED_PIXELS = 100000,  // sharedBuffer: 400000 bytes
  QV_SCENES = 10,
};

// ---- Loaded material (loaders, in the order they create it) ----
extern x2dSprite* thumbnail7;  // segment 7's 80x50 view, made by the start-up

extern x2dSprite* logoSprite;     // kvologo.tga with the alpha of kvologom.gif
extern uint32_t* sharedBuffer;    // 100000 pixels behind the views below
extern x2dSprite* textureSprite;  // 256x256 at pixel 0: segment 6's live planet texture
extern x2dSprite* workSprite;     // 320x200 at pixel 0: the frozen last frame and scratch
extern x2dSprite* back01;
extern x2dSprite* back02;
// Five credit series of four pictures (index 0..3 for pictures 1..4), white layers.
extern x2dSprite* creditRulmus[4];
extern x2dSprite* creditPdcode[4];
extern x2dSprite* creditFenwa[4];
extern x2dSprite* creditTirsk[4];
extern x2dSprite* creditDulmo[4];
extern x2dSprite* titleSprite;   // quorvane.tga
extern x2dSprite* vantreSprite;  // vantre1.jpg: strips and tickers
extern x2dSprite* pelun01;       // emblem layers
extern x2dSprite* pelun02;
extern uint32_t* tunnel1Texture;  // TEXTURES/TEXTURE4.TGA
extern x2dSprite* thumbnail8;
extern x2dSprite* effectView;  // 160x100 at pixel 64000 (segment 9)
extern x2dSprite* ramkaSprite;
extern x2dSprite* scroll1Sprite;
extern uint32_t* texture6;  // textures/texture6.tga: tunnel 2 and the finale's warp
extern x2dSprite* thumbnail10;
extern x2dSprite* emc2Sprite;
extern x2dSprite* rotationView;   // 190x200 at pixel 0 (segment 12)
extern x2dSprite* maskSprite;     // 115x87, filled yellow, alpha layer from mask.gif
extern x2dSprite* effectScratch;  // 160x100 at pixel 0 (segment 12)
extern x2dSprite* mmmSprite;
extern x2dSprite* scroll2Sprite;
extern uint32_t* texture7;  // textures/texture7.tga: segment 12's second layer
extern uint32_t* texture4;  // TEXTURES/TEXTURE4.TGA: segments 11 and 12
extern xFlc animation;      // mirvak.flc
extern x2dSprite* animationSprite;
extern x2dSprite* thumbnail13;
extern x2dSprite* thumbnail14;
extern uint32_t* finaleTexture;  // TEXTURES/TEXTURE.TGA (segment 15)
extern x2dSprite* greet1;
extern x2dSprite* greet2;

extern xFdTunnel* effectA;
extern xFdTunnel* effectB;
extern xFdPlanes* effectC;
extern xFdSphere* effectD;
extern xFdPlanes* effectE;
extern xFdPlanes* effectF;

// Scene records by file name ("scene_6.x3d"); null for a name that is not loaded.
x3dScene* qvScene(const char* fileName);
// Makes a scene and its camera "Camera01" (else its first camera) current.
void qvUseScene(const char* fileName);

// ---- Start-up pieces ----
void qvRunLoaders();        // the tunnel tables, then the loaders in their order
void qvResetSharedState();  // what the segments change in the loaded material, as loaded
// Fatal unless the module at path, played on from startOrder, reaches QV_END_ORDER before it
// ends or jumps back (a song that never gets there would never end the presentation).
void qvCheckMusic(const char* path, int32_t startOrder);
// A view into sharedBuffer: w x h pixels from pixel `at`, rows w pixels apart.
x2dSprite* qvMakeView(int32_t at, int32_t w, int32_t h);
