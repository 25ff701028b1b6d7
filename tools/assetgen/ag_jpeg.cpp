#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "ag_writers.h"

AgBytes agJpeg(const AgImage& im, int32_t quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  jpeg_mem_dest(&cinfo, &mem, &memSize);
  cinfo.image_width = JDIMENSION(im.w);
  cinfo.image_height = JDIMENSION(im.h);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);  // JFIF APP0 marker, 4:2:0, baseline Huffman tables
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.dct_method = JDCT_ISLOW;  // the integer DCT gives the same bytes on every machine
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(size_t(im.w) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    int32_t y = int32_t(cinfo.next_scanline);
    for (int32_t x = 0; x < im.w; x++) {
      uint32_t c = im.at(x, y);
      row[size_t(x) * 3] = uint8_t(c >> 16);
      row[size_t(x) * 3 + 1] = uint8_t(c >> 8);
      row[size_t(x) * 3 + 2] = uint8_t(c);
    }
    JSAMPROW rp = row.data();
    jpeg_write_scanlines(&cinfo, &rp, 1);
  }
  jpeg_finish_compress(&cinfo);
  AgBytes out(mem, mem + memSize);
  jpeg_destroy_compress(&cinfo);
  std::free(mem);
  return out;
}
