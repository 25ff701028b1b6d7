// agWriteAssets: builds every archive entry in memory, then writes the archive,
// the info file and the program's resources into the output folder.
#include <cstdio>
#include <string>

#include "ag_content.h"
#include "ag_font.h"
#include "assetgen.h"
#include "image/xpng.h"

// The resources as C++ source the program can include: byte arrays and the greetings text.
static std::string resourceSource(const AgBytes& bmp, const AgBytes& ico, const std::string& greet) {
  std::string s =
      "// Written by assetgen: the setup picture (BMP, 320x200, 8 bits), the icon (ICO, 32x32 in\n"
      "// 16 and 256 colours) and the greetings text of the setup dialog.\n#pragma once\n";
  auto array = [&](const char* name, const AgBytes& b) {
    s += "static const unsigned char " + std::string(name) + "[" + std::to_string(b.size()) + "] = {";
    for (size_t i = 0; i < b.size(); i++) {
      if (i % 24 == 0) s += "\n ";
      s += std::to_string(b[i]) + ",";
    }
    s += "\n};\n";
  };
  array("qvResSetupBitmap", bmp);
  array("qvResIcon", ico);
  s += "static const char qvResGreetings[] =";
  std::string line;
  for (char c : greet) {
    line += c == '\n' ? std::string("\\n") : std::string(1, c);
    if (c == '\n') {
      s += "\n  \"" + line + "\"";
      line.clear();
    }
  }
  if (!line.empty()) s += "\n  \"" + line + "\"";
  s += ";\n";
  return s;
}

int agWriteAssets(const char* outDir) {
  if (!agFontInit()) return 1;
  std::string dir = std::string(outDir) + "/";
  std::vector<AgEntry> entries;
  agAddPictures(entries);
  agAddCredits(entries);
  agAddTextures(entries);
  agAddAnimation(entries);
  agAddScenes(entries);
  if (!agZipWrite(dir + "quorvane.kvo", entries)) {
    std::fprintf(stderr, "assetgen: cannot write %squorvane.kvo\n", dir.c_str());
    return 1;
  }
  std::string nfo = agNfoText(), greet = agGreetingsText();
  AgBytes bmp = agBmp8(agSetupPicture()), ico = agIconFile();
  std::string inc = resourceSource(bmp, ico, greet);
  bool ok = agWriteFile(dir + "qvane.nfo", nfo.data(), nfo.size()) &&
            agWriteFile(dir + "qvsetup.bmp", bmp.data(), bmp.size()) &&
            agWriteFile(dir + "quorvane.ico", ico.data(), ico.size()) &&
            agWriteFile(dir + "qvgreet.txt", greet.data(), greet.size()) &&
            agWriteFile(dir + "qvresources.inc", inc.data(), inc.size());
  // Desktop icons for the install, as RGBA PNG.
  for (int32_t size : {32, 64, 128, 256}) {
    AgImage im;
    AgGray op;
    agIconPicture(size, &im, &op);
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    for (size_t i = 0; i < im.px.size(); i++) {
      rgba[i * 4] = uint8_t(im.px[i] >> 16), rgba[i * 4 + 1] = uint8_t(im.px[i] >> 8),
               rgba[i * 4 + 2] = uint8_t(im.px[i]);
      rgba[i * 4 + 3] = op.px[i];
    }
    std::string name = dir + "quorvane-" + std::to_string(size) + ".png";
    ok = ok && xPngWrite(name.c_str(), rgba.data(), size, size, 4);
  }
  if (!ok) {
    std::fprintf(stderr, "assetgen: cannot write the resources into %s\n", outDir);
    return 1;
  }
  return 0;
}
