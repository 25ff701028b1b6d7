// The presentation's content: every entry of the archive and the files beside
// the program, computed from fixed seeds so each build writes the same bytes.
#pragma once
#include <string>

#include "ag_writers.h"

void agAddTextures(std::vector<AgEntry>& out);   // the five tiling textures and the flare
void agAddPictures(std::vector<AgEntry>& out);   // backgrounds, logos, frames, scrollers, greetings
void agAddCredits(std::vector<AgEntry>& out);    // the five credit series of four frames
void agAddAnimation(std::vector<AgEntry>& out);  // mirvak.flc
void agAddScenes(std::vector<AgEntry>& out);     // scene scripts and their 3DS files

// Texture n of the five (0 TEXTURE, 1 TEXTURE4, 2 TEXTURE5, 3 texture6, 4 texture7), 256x256.
AgImage agTexture(int32_t n);

// Groups greeted in the info file, the greetings pictures and the setup dialog.
extern const char* const agGreetings[];
extern const int32_t agGreetingCount;
std::string agNfoText();
std::string agGreetingsText();  // the setup dialog's message, one name a line
AgIndexed agSetupPicture();     // 320x200, 8 bits
AgBytes agIconFile();           // 32x32 in 16 and 256 colours
// The icon drawn at any size (desktop icons), smooth edges as opacity.
void agIconPicture(int32_t size, AgImage* im, AgGray* op);
