// qvtool sheet ARCHIVE|FOLDER -o OUT.png: a contact sheet of every picture in the
// archive (TGA, PCX, GIF, JPEG), each decoded by the engine's own readers, or of every
// PNG in a folder (frames dumped by the program), shown scaled into a cell with its name
// underneath.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <string>
#include <vector>

#include <minizip/unzip.h>

#include "file/xfile.h"
#include "image/ximage.h"
#include "image/xpng.h"
#include "qvtool/qvtool.h"
#include "x2d/x2dfont.h"
#include "qvtool/qvutil.h"

namespace {
const int32_t kLabelH = 14, kPad = 8;

// One picture of the sheet, as 0x00RRGGBB pixels.
struct Item {
  std::string name;
  int32_t w, h;
  std::vector<uint32_t> px;
};

struct Canvas {
  int32_t w, h;
  std::vector<uint32_t> px;
  void put(int32_t x, int32_t y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = c;
  }
};

// Label: amber letters with a dark outline, so names read on any cell.
void label(Canvas& cv, int32_t x, int32_t y, const std::string& text) {
  for (int32_t pass = 0; pass < 2; pass++)
    for (size_t i = 0; i < text.size(); i++) {
      const uint8_t* rows = x2dGlyph5x7(text[i]);
      if (!rows) continue;
      for (int32_t r = 0; r < 7; r++)
        for (int32_t c = 0; c < 5; c++) {
          if (!(rows[r] >> (4 - c) & 1)) continue;
          int32_t px = x + int32_t(i) * 6 + c, py = y + r;
          if (pass == 0) {
            for (int32_t dy = -1; dy <= 1; dy++)
              for (int32_t dx = -1; dx <= 1; dx++) cv.put(px + dx, py + dy, 0x061020);
          } else cv.put(px, py, r < 3 ? 0xffe0a0 : 0xf0a030);
        }
    }
}

bool isPicture(const std::string& n) {
  // A bare ".tga" is no picture name.
  if (n.size() <= 4) return false;
  return qvEndsWith(n, ".tga") || qvEndsWith(n, ".gif") || qvEndsWith(n, ".jpg") || qvEndsWith(n, ".pcx");
}

// Every picture of the archive, decoded by the engine's readers; false after a message.
bool fromArchive(const char* in, std::vector<Item>& items) {
  std::vector<std::string> names;
  // Only a regular file: a pipe would block the open.
  unzFile z = xFileKind(in) == XFILE_KIND_REGULAR ? unzOpen(in) : nullptr;
  if (!z) {
    qvFileError("sheet", "open archive", in, qvReadWhy(in, "not a ZIP archive"));
    return false;
  }
  for (int r = unzGoToFirstFile(z); r == UNZ_OK; r = unzGoToNextFile(z)) {
    char name[256];
    unz_file_info info;
    if (unzGetCurrentFileInfo(z, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK && isPicture(name))
      names.push_back(name);
  }
  unzClose(z);
  xFile file(1);
  if (file.Open(in) != XFILE_OPEN_ERROR) {
    qvFileError("sheet", "open archive", in, qvReadWhy(in, "not a ZIP archive"));
    return false;
  }
  for (const std::string& n : names) {
    xFileData fd{};
    if (file.Read(n.c_str(), &fd) != XFILE_OK) {
      qvFileError("sheet", "read", n + " from " + in, "a damaged entry");
      return false;
    }
    xImage img{};
    xImageLoad(&fd, img);
    xImageConvert(&img, XIMAGE_XRGB32);
    file.Free(&fd);
    const uint32_t* p = reinterpret_cast<const uint32_t*>(img.pixels);
    items.push_back({n + " " + std::to_string(img.width) + "x" + std::to_string(img.height), img.width, img.height,
                     std::vector<uint32_t>(p, p + size_t(img.width) * img.height)});
    std::free(img.pixels);
    std::free(img.palette);
  }
  return true;
}

// Every PNG of a folder in name order (the program's frame dumps sort by time).
bool fromFolder(const char* in, std::vector<Item>& items) {
  DIR* d = opendir(in);
  if (!d) {
    qvFileError("sheet", "open the folder", in, std::strerror(errno));
    return false;
  }
  std::vector<std::string> names;
  while (dirent* e = readdir(d))
    if (qvEndsWith(e->d_name, ".png")) names.push_back(e->d_name);
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) {
    Item it{n.substr(0, n.size() - 4), 0, 0, {}};
    const char* why = "";
    if (!xPngReadXrgb((std::string(in) + "/" + n).c_str(), &it.px, &it.w, &it.h, &why)) {
      qvFileError("sheet", "read", std::string(in) + "/" + n, why);
      return false;
    }
    items.push_back(std::move(it));
  }
  return true;
}
}  // namespace

int qvCmdSheet(int argc, char** argv) {
  const char* in = nullptr;
  const char* out = nullptr;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "-o") && i + 1 < argc) out = argv[++i];
    else if (!in) in = argv[i];
    else {
      std::fprintf(stderr, "qvtool sheet: unexpected argument '%s'\n", argv[i]);
      return 2;
    }
  }
  if (!in || !out) {
    return qvUsageError("sheet");
  }
  struct stat st;
  bool folder = stat(in, &st) == 0 && S_ISDIR(st.st_mode);
  std::vector<Item> items;
  if (!(folder ? fromFolder(in, items) : fromArchive(in, items))) return 1;
  // Frames are shown at half size, eight to a row; archive pictures larger, six to a row.
  const int32_t cellW = folder ? 160 : 200, cellH = folder ? 100 : 150, cols = folder ? 8 : 6;
  int32_t rows = (int32_t(items.size()) + cols - 1) / cols;
  Canvas cv{cols * (cellW + kPad) + kPad, std::max(1, rows) * (cellH + kLabelH + kPad) + kPad, {}};
  cv.px.assign(size_t(cv.w) * cv.h, 0x181c24);
  for (size_t k = 0; k < items.size(); k++) {
    const Item& img = items[k];
    int32_t cx = kPad + int32_t(k % cols) * (cellW + kPad), cy = kPad + int32_t(k / cols) * (cellH + kLabelH + kPad);
    // Fit inside the cell keeping the aspect ratio; never enlarge; nearest texel.
    double s = std::min({1.0, double(cellW) / img.w, double(cellH) / img.h});
    int32_t w = std::max(1, int32_t(img.w * s)), h = std::max(1, int32_t(img.h * s));
    int32_t ox = cx + (cellW - w) / 2, oy = cy + (cellH - h) / 2;
    for (int32_t y = 0; y < cellH; y++)  // checker behind the picture marks the cell
      for (int32_t x = 0; x < cellW; x++) cv.put(cx + x, cy + y, ((x >> 3) + (y >> 3)) & 1 ? 0x20242c : 0x262a34);
    for (int32_t y = 0; y < h; y++)
      for (int32_t x = 0; x < w; x++)
        cv.put(ox + x, oy + y,
               img.px[size_t(std::min(img.h - 1, int32_t(y / s))) * img.w + std::min(img.w - 1, int32_t(x / s))] &
                   0xffffff);
    label(cv, cx, cy + cellH + 4, img.name);
  }
  errno = 0;
  if (!xPngWriteXrgb(out, cv.px.data(), cv.w, cv.h, cv.w)) return qvFileError("sheet", "write", out, qvErrnoText());
  std::printf("%zu pictures -> %s (%dx%d)\n", items.size(), out, cv.w, cv.h);
  return 0;
}
