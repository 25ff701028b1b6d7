// JPEG bytes from packed RGB rows through libjpeg: the asset generator's writer, and the one
// the tests, benchmarks and fuzz seeds make their small JPEG files with. Header only, so
// that those programs need libjpeg and this folder on their include path, nothing more.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

// w x h pixels, 3 bytes (r, g, b) each, rows top down. Baseline, 4:2:0 and the integer DCT,
// which gives the same bytes on every machine; jfif false leaves out the JFIF APP0 marker.
inline std::vector<uint8_t> agJpegEncode(const uint8_t* rgb, int32_t w, int32_t h, int32_t quality, bool jfif = true) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  jpeg_mem_dest(&cinfo, &mem, &memSize);
  cinfo.image_width = JDIMENSION(w);
  cinfo.image_height = JDIMENSION(h);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  cinfo.write_JFIF_header = jfif ? TRUE : FALSE;
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.dct_method = JDCT_ISLOW;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(rgb) + size_t(cinfo.next_scanline) * size_t(w) * 3;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(mem, mem + memSize);
  jpeg_destroy_compress(&cinfo);
  std::free(mem);
  return out;
}
