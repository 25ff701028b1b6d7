// JPEG pictures through libjpeg (version-62 interface) with our own memory source.
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "file/xfile.h"
#include "image/ximage.h"
#include "image/ximage_internal.h"
#include "system/xerror.h"

namespace {

enum { JPEG_TRANSFER = 65536 };  // bytes handed to libjpeg per refill

struct JpegMemorySource {
  jpeg_source_mgr pub;
  const uint8_t* data;
  size_t length;
  size_t position;
  JOCTET* buffer;  // transfer buffer, from the permanent pool
  boolean startOfFile;
};

struct JpegError {
  jpeg_error_mgr pub;
  const char* name;
};

void jpegInitSource(j_decompress_ptr cinfo) { ((JpegMemorySource*)cinfo->src)->startOfFile = TRUE; }

boolean jpegFillInput(j_decompress_ptr cinfo) {
  JpegMemorySource* src = (JpegMemorySource*)cinfo->src;
  size_t n = src->length - src->position;
  if (n > JPEG_TRANSFER) n = JPEG_TRANSFER;
  if (n == 0) {
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    // The data ended early: warn and supply an end-of-image marker.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = (JOCTET)0xFF;
    src->buffer[1] = (JOCTET)JPEG_EOI;
    n = 2;
  } else {
    std::memcpy(src->buffer, src->data + src->position, n);
    src->position += n;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = n;
  src->startOfFile = FALSE;
  return TRUE;
}

void jpegSkipInput(j_decompress_ptr cinfo, long count) {
  JpegMemorySource* src = (JpegMemorySource*)cinfo->src;
  if (count <= 0) return;
  while (count > (long)src->pub.bytes_in_buffer) {
    count -= (long)src->pub.bytes_in_buffer;
    jpegFillInput(cinfo);
  }
  src->pub.next_input_byte += count;
  src->pub.bytes_in_buffer -= (size_t)count;
}

void jpegTermSource(j_decompress_ptr) {}

void jpegMemorySource(j_decompress_ptr cinfo, const uint8_t* data, size_t length) {
  JpegMemorySource* src =
      (JpegMemorySource*)(*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_PERMANENT, sizeof(JpegMemorySource));
  src->buffer = (JOCTET*)(*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_PERMANENT, JPEG_TRANSFER);
  src->pub.init_source = jpegInitSource;
  src->pub.fill_input_buffer = jpegFillInput;
  src->pub.skip_input_data = jpegSkipInput;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = jpegTermSource;
  src->pub.bytes_in_buffer = 0;
  src->pub.next_input_byte = nullptr;
  src->data = data;
  src->length = length;
  src->position = 0;
  cinfo->src = &src->pub;
}

// libjpeg's fatal errors end the program through the error box with libjpeg's own text.
[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  const char* name = ((JpegError*)cinfo->err)->name;
  jpeg_destroy(cinfo);  // the decoder's memory goes back before the program ends
  xErrMsg(xFormat("xJpegLoad::%s -> %s", text, name));
}

void jpegDecode(const uint8_t* data, size_t length, const char* name, xImage& img) {
  img.pixels = nullptr;
  img.palette = nullptr;
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = jpegErrorExit;
  err.name = name;
  jpeg_CreateDecompress(&cinfo, 62, sizeof cinfo);
  jpegMemorySource(&cinfo, data, length);
  jpeg_read_header(&cinfo, TRUE);
  // A few bytes can declare 65500 x 65500 pixels, which libjpeg would allocate and fill
  // for seconds; no picture the engine shows comes near 8192 x 8192.
  if ((uint64_t)cinfo.image_width * cinfo.image_height > (uint64_t)8192 * 8192) {
    jpeg_destroy_decompress(&cinfo);
    xErrMsg(xFormat("xJpegLoad::picture too large -> %s", name));
  }
  jpeg_start_decompress(&cinfo);
  img.width = (int32_t)cinfo.output_width;
  img.height = (int32_t)cinfo.output_height;
  const int32_t components = cinfo.output_components;
  if (components == 1) img.format = XIMAGE_INDEXED8;
  if (components == 3) img.format = XIMAGE_RGB24;
  if (components != 1 && components != 3) {
    jpeg_destroy_decompress(&cinfo);
    xErrMsg(xFormat("xJpegLoad::unsupported format -> %s", name));
  }
  const size_t rowBytes = (size_t)img.width * components;
  img.pixels = xImageAlloc(rowBytes * img.height, "Xjpeg", __LINE__);
  if (components == 1) {
    img.palette = xImageAlloc(768, "Xjpeg", __LINE__);
    for (int32_t i = 0; i < 256; i++) img.palette[3 * i] = img.palette[3 * i + 1] = img.palette[3 * i + 2] = (uint8_t)i;
  }
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)((j_common_ptr)&cinfo, JPOOL_IMAGE, (JDIMENSION)rowBytes, 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    JDIMENSION y = cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) break;
    std::memcpy(img.pixels + (size_t)y * rowBytes, row[0], rowBytes);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

}  // namespace

int32_t xJpegLoad(xFileData* fd, xImage& img) {
  xAssert(fd != nullptr, "Xjpeg", __LINE__);
  const char* name = fd->name ? fd->name : "";
  if (!fd->data || fd->size <= 0) xErrMsg(xFormat("xJpegLoad::Can't access file -> %s", name));
  jpegDecode(fd->data, (size_t)fd->size, name, img);
  return 0;
}

int32_t xJpegLoad(const char* path, xImage& img) {
  xAssert(path != nullptr, "Xjpeg", __LINE__);
  uint8_t* data = nullptr;
  int32_t size = 0;
  int32_t r = xFileReadDisk(path, &data, &size);
  if (r == XFILE_NO_MEMORY) xErrCode("Ximage", __LINE__, 1, nullptr);
  if (r != XFILE_OK) xErrMsg(xFormat("xJpegLoad::Can't access file -> %s", path));
  jpegDecode(data, (size_t)size, path, img);
  std::free(data);
  return 0;
}
