#include "demo/qvcapout.h"

#include <algorithm>
#include <cstring>

enum : int32_t { QV_SRC_W = 320, QV_SRC_H = 240 };

static void qvCanvasCentre(QvCanvas* c) {
  // Even offsets keep each 2x2 chroma block inside one side of the picture's edge.
  c->left = ((c->width - c->picW) / 2) & ~1;
  c->top = ((c->height - c->picH) / 2) & ~1;
}

bool qvCanvasForScale(int32_t scale, QvCanvas* c) {
  if (scale < 1 || scale > 16) return false;
  *c = {QV_SRC_W * scale, QV_SRC_H * scale, scale, 0, 0, QV_SRC_W * scale, QV_SRC_H * scale};
  return true;
}

bool qvCanvasForSize(int32_t width, int32_t height, QvCanvas* c) {
  if (width < QV_SRC_W || height < QV_SRC_H || width > 7680 || height > 4320 || (width | height) & 1) return false;
  int32_t sx = width / QV_SRC_W, sy = height / QV_SRC_H, s = sx < sy ? sx : sy;
  *c = {width, height, s, 0, 0, QV_SRC_W * s, QV_SRC_H * s};
  qvCanvasCentre(c);
  return true;
}

bool qvCanvasSharp(int32_t width, int32_t height, QvCanvas* c) {
  if (!qvCanvasForSize(width, height, c)) return false;
  // The largest 4:3 picture in units of 8x6, so that both sides stay even.
  int32_t unit = std::min(width / 8, height / 6);
  if (unit * 8 == c->picW) return true;
  c->picW = unit * 8, c->picH = unit * 6;
  c->scale = (c->picH + QV_SRC_H - 1) / QV_SRC_H;
  qvCanvasCentre(c);
  return true;
}

// One axis of the smoothing: output pixel x (of `out`) has its centre at (x + 1/2) big / out - 1/2
// in the blown-up picture of big = src x k pixels, in 1/256 (clamped at the edges). It mixes the
// two blown-up pixels around it, i.e. the source pixels they repeat.
static void qvSharpAxis(int32_t out, int32_t src, int32_t k, std::vector<int32_t>* a, std::vector<int32_t>* b,
                        std::vector<int32_t>* w) {
  const int64_t big = (int64_t)src * k;
  a->resize((size_t)out), b->resize((size_t)out), w->resize((size_t)out);
  for (int32_t x = 0; x < out; x++) {
    int64_t u = std::max<int64_t>(0, ((2 * x + 1) * big * 256 - (int64_t)out * 256) / (2 * out));
    int64_t i0 = std::min<int64_t>(u >> 8, big - 1), i1 = std::min<int64_t>(i0 + 1, big - 1);
    (*a)[(size_t)x] = (int32_t)(i0 / k), (*b)[(size_t)x] = (int32_t)(i1 / k);
    (*w)[(size_t)x] = (*a)[(size_t)x] == (*b)[(size_t)x] ? 0 : (int32_t)(u & 255);
  }
}

void QvY4mWriter::Smooth(const uint32_t* pixels) {
  for (int32_t y = 0; y < c_.picH; y++) {
    const uint32_t* ra = pixels + rowA_[(size_t)y] * QV_SRC_W;
    const uint32_t* rb = pixels + rowB_[(size_t)y] * QV_SRC_W;
    const uint32_t fy = (uint32_t)rowW_[(size_t)y];
    uint32_t* out = &rgb_[(size_t)y * c_.picW];
    for (int32_t x = 0; x < c_.picW; x++) {
      const int32_t xa = colA_[(size_t)x], xb = colB_[(size_t)x];
      const uint32_t fx = (uint32_t)colW_[(size_t)x];
      const uint32_t p00 = ra[xa], p01 = ra[xb], p10 = rb[xa], p11 = rb[xb];
      uint32_t rgb = 0;
      for (uint32_t sh = 0; sh <= 16; sh += 8) {
        uint32_t top = ((p00 >> sh) & 255) * (256 - fx) + ((p01 >> sh) & 255) * fx;
        uint32_t bot = ((p10 >> sh) & 255) * (256 - fx) + ((p11 >> sh) & 255) * fx;
        rgb |= ((top * (256 - fy) + bot * fy + 32768) >> 16) << sh;
      }
      out[x] = rgb;
    }
  }
}

// BT.601 in 8-bit integer form: Y = 16 + (66 R + 129 G + 25 B) / 256, C = 128 + (...) / 256.
void qvRgbToYuv601(uint32_t rgb, uint8_t* y, uint8_t* cb, uint8_t* cr) {
  int32_t r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
  *y = (uint8_t)(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
  *cb = (uint8_t)(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
  *cr = (uint8_t)(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
}

bool QvY4mWriter::Begin(FILE* out, const QvCanvas& canvas, uint32_t fpsNum, uint32_t fpsDen) {
  out_ = out;
  c_ = canvas;
  y_.assign((size_t)c_.width * c_.height, 16);
  u_.assign((size_t)c_.width * c_.height / 4, 128);
  v_.assign(u_.size(), 128);
  if (c_.picW != QV_SRC_W * c_.scale) {
    qvSharpAxis(c_.picW, QV_SRC_W, c_.scale, &colA_, &colB_, &colW_);
    qvSharpAxis(c_.picH, QV_SRC_H, c_.scale, &rowA_, &rowB_, &rowW_);
    rgb_.assign((size_t)c_.picW * c_.picH, 0);
  }
  // C420jpeg: chroma sited between the four pixels it averages; the range is stated for
  // readers that would otherwise guess.
  return std::fprintf(out_, "YUV4MPEG2 W%d H%d F%u:%u Ip A1:1 C420jpeg XYSCSS=420JPEG XCOLORRANGE=LIMITED\n", c_.width,
                      c_.height, fpsNum, fpsDen) > 0;
}

bool QvY4mWriter::Frame(const uint32_t* pixels) {
  if (rgb_.empty()) FrameBlocks(pixels);
  else FrameSmooth(pixels);
  return std::fputs("FRAME\n", out_) >= 0 && std::fwrite(y_.data(), 1, y_.size(), out_) == y_.size() &&
         std::fwrite(u_.data(), 1, u_.size(), out_) == u_.size() &&
         std::fwrite(v_.data(), 1, v_.size(), out_) == v_.size();
}

void QvY4mWriter::FrameSmooth(const uint32_t* pixels) {
  Smooth(pixels);
  const int32_t W = c_.width, pw = c_.picW;
  for (int32_t y = 0; y < c_.picH; y++) {
    uint8_t* row = &y_[(size_t)(c_.top + y) * W + c_.left];
    const uint32_t* src = &rgb_[(size_t)y * pw];
    for (int32_t x = 0; x < pw; x++) {
      int32_t r = (src[x] >> 16) & 255, g = (src[x] >> 8) & 255, b = src[x] & 255;
      row[x] = (uint8_t)(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
    }
  }
  // Chroma: the average of each 2x2 block, as on the block path.
  const int32_t cw = W / 2, bl = c_.left / 2, bt = c_.top / 2;
  for (int32_t by = 0; by < c_.picH / 2; by++) {
    const uint32_t* r0 = &rgb_[(size_t)(2 * by) * pw];
    const uint32_t* r1 = r0 + pw;
    uint8_t* cbRow = &u_[(size_t)(bt + by) * cw + bl];
    uint8_t* crRow = &v_[(size_t)(bt + by) * cw + bl];
    for (int32_t bx = 0; bx < pw / 2; bx++) {
      int32_t r = 0, g = 0, b = 0;
      for (uint32_t p : {r0[2 * bx], r0[2 * bx + 1], r1[2 * bx], r1[2 * bx + 1]})
        r += (p >> 16) & 255, g += (p >> 8) & 255, b += p & 255;
      cbRow[bx] = (uint8_t)(((-38 * r - 74 * g + 112 * b + 512) >> 10) + 128);
      crRow[bx] = (uint8_t)(((112 * r - 94 * g - 18 * b + 512) >> 10) + 128);
    }
  }
}

void QvY4mWriter::FrameBlocks(const uint32_t* pixels) {
  const int32_t s = c_.scale, W = c_.width, pw = QV_SRC_W * s, ph = QV_SRC_H * s;
  // Luma: one converted source row spread over s canvas rows.
  for (int32_t sy = 0; sy < QV_SRC_H; sy++) {
    uint8_t* row = &y_[(size_t)(c_.top + sy * s) * W + c_.left];
    const uint32_t* src = pixels + sy * QV_SRC_W;
    for (int32_t sx = 0; sx < QV_SRC_W; sx++) {
      uint32_t p = src[sx];
      int32_t r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
      std::memset(row + sx * s, ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16, (size_t)s);
    }
    for (int32_t k = 1; k < s; k++) std::memcpy(row + (size_t)k * W, row, (size_t)pw);
  }
  // Chroma: each 2x2 block of the picture averages the four source pixels under it.
  const int32_t cw = W / 2, bw = pw / 2, bh = ph / 2, bl = c_.left / 2, bt = c_.top / 2;
  for (int32_t by = 0; by < bh; by++) {
    const uint32_t* r0 = pixels + (2 * by / s) * QV_SRC_W;
    const uint32_t* r1 = pixels + ((2 * by + 1) / s) * QV_SRC_W;
    uint8_t* cbRow = &u_[(size_t)(bt + by) * cw + bl];
    uint8_t* crRow = &v_[(size_t)(bt + by) * cw + bl];
    if (by > 0 && 2 * by / s == (2 * by - 2) / s && (2 * by + 1) / s == (2 * by - 1) / s) {
      std::memcpy(cbRow, cbRow - cw, (size_t)bw);
      std::memcpy(crRow, crRow - cw, (size_t)bw);
      continue;
    }
    for (int32_t bx = 0; bx < bw; bx++) {
      int32_t x0 = 2 * bx / s, x1 = (2 * bx + 1) / s, r = 0, g = 0, b = 0;
      for (uint32_t p : {r0[x0], r0[x1], r1[x0], r1[x1]}) r += (p >> 16) & 255, g += (p >> 8) & 255, b += p & 255;
      cbRow[bx] = (uint8_t)(((-38 * r - 74 * g + 112 * b + 512) >> 10) + 128);
      crRow[bx] = (uint8_t)(((112 * r - 94 * g - 18 * b + 512) >> 10) + 128);
    }
  }
}

// ---- WAV --------------------------------------------------------------------------------

static void qvPut32(uint8_t* p, uint32_t v) {
  for (int32_t i = 0; i < 4; i++) p[i] = (uint8_t)(v >> (8 * i));
}

bool QvWavWriter::WriteHeader() {
  uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0};
  uint32_t data = frames_ * 4;
  qvPut32(h + 4, 36 + data);
  qvPut32(h + 24, (uint32_t)rate_);
  qvPut32(h + 28, (uint32_t)rate_ * 4);
  h[32] = 4, h[34] = 16;  // block align, bits per sample
  std::memcpy(h + 36, "data", 4);
  qvPut32(h + 40, data);
  return std::fseek(f_, 0, SEEK_SET) == 0 && std::fwrite(h, 1, 44, f_) == 44 && std::fseek(f_, 0, SEEK_END) == 0;
}

bool QvWavWriter::Begin(const char* path, int32_t rate) {
  f_ = std::fopen(path, "wb");
  rate_ = rate;
  frames_ = 0;
  return f_ && WriteHeader();
}

bool QvWavWriter::Append(const int16_t* frames, uint32_t count) {
  // Little-endian samples; this is a little-endian machine's memory layout already.
  uint8_t buf[4096];
  for (uint32_t done = 0; done < count;) {
    uint32_t n = count - done < 1024 ? count - done : 1024;
    for (uint32_t i = 0; i < n * 2; i++) {
      uint16_t v = (uint16_t)frames[(size_t)done * 2 + i];
      buf[2 * i] = (uint8_t)v, buf[2 * i + 1] = (uint8_t)(v >> 8);
    }
    if (std::fwrite(buf, 1, n * 4, f_) != n * 4) return false;
    done += n;
  }
  frames_ += count;
  return WriteHeader();
}

bool QvWavWriter::Finish() {
  bool ok = f_ && WriteHeader() && std::fflush(f_) == 0;
  if (f_ && std::fclose(f_) != 0) ok = false;
  f_ = nullptr;
  return ok;
}
