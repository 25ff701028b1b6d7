// qvtool sheet ARCHIVE -o OUT.png: a contact sheet of every picture in the
// archive (TGA, PCX, GIF, JPEG), each decoded by the engine's own readers and
// shown scaled into a cell with its name underneath.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <minizip/unzip.h>

#include "file/xfile.h"
#include "image/ximage.h"
#include "qvtool/qvpng.h"
#include "qvtool/qvtool.h"
#include "qvtool/qvutil.h"

namespace {
const int32_t kCellW = 200, kCellH = 150, kLabelH = 14, kPad = 8, kCols = 6;

// A 5x7 label font of our own: one byte per row, bit 4 = leftmost column.
const char* const kGlyphChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-/x";
const uint8_t kGlyphs[][7] = {
    {14, 17, 17, 31, 17, 17, 17}, {30, 17, 17, 30, 17, 17, 30}, {14, 17, 16, 16, 16, 17, 14}, {30, 17, 17, 17, 17, 17, 30},
    {31, 16, 16, 30, 16, 16, 31}, {31, 16, 16, 30, 16, 16, 16}, {14, 17, 16, 23, 17, 17, 15}, {17, 17, 17, 31, 17, 17, 17},
    {14, 4, 4, 4, 4, 4, 14},      {7, 2, 2, 2, 2, 18, 12},      {17, 18, 20, 24, 20, 18, 17}, {16, 16, 16, 16, 16, 16, 31},
    {17, 27, 21, 21, 17, 17, 17}, {17, 17, 25, 21, 19, 17, 17}, {14, 17, 17, 17, 17, 17, 14}, {30, 17, 17, 30, 16, 16, 16},
    {14, 17, 17, 17, 21, 18, 13}, {30, 17, 17, 30, 20, 18, 17}, {15, 16, 16, 14, 1, 1, 30},   {31, 4, 4, 4, 4, 4, 4},
    {17, 17, 17, 17, 17, 17, 14}, {17, 17, 17, 17, 17, 10, 4},  {17, 17, 17, 21, 21, 21, 10}, {17, 17, 10, 4, 10, 17, 17},
    {17, 17, 10, 4, 4, 4, 4},     {31, 1, 2, 4, 8, 16, 31},     {14, 17, 19, 21, 25, 17, 14}, {4, 12, 4, 4, 4, 4, 14},
    {14, 17, 1, 2, 4, 8, 31},     {31, 2, 4, 2, 1, 17, 14},     {2, 6, 10, 18, 31, 2, 2},     {31, 16, 30, 1, 1, 17, 14},
    {6, 8, 16, 30, 17, 17, 14},   {31, 1, 2, 4, 8, 8, 8},       {14, 17, 17, 14, 17, 17, 14}, {14, 17, 17, 15, 1, 2, 12},
    {0, 0, 0, 0, 0, 12, 12},      {0, 0, 0, 0, 0, 0, 31},       {0, 0, 0, 31, 0, 0, 0},       {1, 1, 2, 4, 8, 16, 16},
    {0, 0, 17, 10, 4, 10, 17}};

struct Canvas {
  int32_t w, h;
  std::vector<uint32_t> px;
  void put(int32_t x, int32_t y, uint32_t c) { if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = c; }
};

// Label: amber letters with a dark outline, so names read on any cell.
void label(Canvas& cv, int32_t x, int32_t y, const std::string& text) {
  for (int32_t pass = 0; pass < 2; pass++)
    for (size_t i = 0; i < text.size(); i++) {
      const char* g = std::strchr(kGlyphChars, std::toupper((unsigned char)text[i]));
      if (!g || !*g) continue;
      const uint8_t* rows = kGlyphs[g - kGlyphChars];
      for (int32_t r = 0; r < 7; r++)
        for (int32_t c = 0; c < 5; c++) {
          if (!(rows[r] >> (4 - c) & 1)) continue;
          int32_t px = x + int32_t(i) * 6 + c, py = y + r;
          if (pass == 0) { for (int32_t dy = -1; dy <= 1; dy++) for (int32_t dx = -1; dx <= 1; dx++) cv.put(px + dx, py + dy, 0x061020); }
          else cv.put(px, py, r < 3 ? 0xffe0a0 : 0xf0a030);
        }
    }
}

bool isPicture(const std::string& n) {
  // A bare ".tga" is no picture name.
  if (n.size() <= 4) return false;
  return qvEndsWith(n, ".tga") || qvEndsWith(n, ".gif") || qvEndsWith(n, ".jpg") || qvEndsWith(n, ".pcx");
}
}  // namespace

int qvCmdSheet(int argc, char** argv) {
  const char* in = nullptr;
  const char* out = nullptr;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "-o") && i + 1 < argc) out = argv[++i];
    else if (!in) in = argv[i];
    else { std::fprintf(stderr, "qvtool sheet: unexpected argument '%s'\n", argv[i]); return 2; }
  }
  if (!in || !out) { std::fprintf(stderr, "usage: qvtool sheet ARCHIVE -o OUT.png\n"); return 2; }
  // Names come from the archive's directory; pictures are read and decoded by the engine.
  std::vector<std::string> names;
  unzFile z = unzOpen(in);
  if (!z) { std::fprintf(stderr, "qvtool sheet: cannot open archive %s\n", in); return 1; }
  for (int r = unzGoToFirstFile(z); r == UNZ_OK; r = unzGoToNextFile(z)) {
    char name[256];
    unz_file_info info;
    if (unzGetCurrentFileInfo(z, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK && isPicture(name)) names.push_back(name);
  }
  unzClose(z);
  xFile file(1);
  if (file.Open(in) != XFILE_OPEN_ERROR) { std::fprintf(stderr, "qvtool sheet: cannot open archive %s\n", in); return 1; }
  int32_t rows = (int32_t(names.size()) + kCols - 1) / kCols;
  Canvas cv{kCols * (kCellW + kPad) + kPad, std::max(1, rows) * (kCellH + kLabelH + kPad) + kPad, {}};
  cv.px.assign(size_t(cv.w) * cv.h, 0x181c24);
  for (size_t k = 0; k < names.size(); k++) {
    xFileData fd{};
    if (file.Read(names[k].c_str(), &fd) != 0) { std::fprintf(stderr, "qvtool sheet: cannot read %s\n", names[k].c_str()); return 1; }
    xImage img{};
    xImageLoad(&fd, img);
    xImageConvert(&img, XIMAGE_XRGB32);
    file.Free(&fd);
    int32_t cx = kPad + int32_t(k % kCols) * (kCellW + kPad), cy = kPad + int32_t(k / kCols) * (kCellH + kLabelH + kPad);
    // Fit inside the cell keeping the aspect ratio; never enlarge; nearest texel.
    double s = std::min({1.0, double(kCellW) / img.width, double(kCellH) / img.height});
    int32_t w = std::max(1, int32_t(img.width * s)), h = std::max(1, int32_t(img.height * s));
    int32_t ox = cx + (kCellW - w) / 2, oy = cy + (kCellH - h) / 2;
    for (int32_t y = 0; y < kCellH; y++)  // checker behind the picture marks the cell
      for (int32_t x = 0; x < kCellW; x++) cv.put(cx + x, cy + y, ((x >> 3) + (y >> 3)) & 1 ? 0x20242c : 0x262a34);
    const uint32_t* p = reinterpret_cast<const uint32_t*>(img.pixels);
    for (int32_t y = 0; y < h; y++)
      for (int32_t x = 0; x < w; x++)
        cv.put(ox + x, oy + y, p[size_t(std::min(img.height - 1, int32_t(y / s))) * img.width + std::min(img.width - 1, int32_t(x / s))] & 0xffffff);
    std::string text = names[k] + " " + std::to_string(img.width) + "x" + std::to_string(img.height);
    label(cv, cx, cy + kCellH + 4, text);
    std::free(img.pixels);
    std::free(img.palette);
  }
  if (!qvPngWriteXrgb(out, cv.px.data(), cv.w, cv.h, cv.w)) { std::fprintf(stderr, "qvtool sheet: cannot write %s\n", out); return 1; }
  std::printf("%zu pictures -> %s (%dx%d)\n", names.size(), out, cv.w, cv.h);
  return 0;
}
