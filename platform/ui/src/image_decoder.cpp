#include "image_decoder.h"

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

// After <cstdio>: libjpeg uses size_t and FILE without declaring them.
#include <jpeglib.h>

namespace ui {

namespace {

DecodedImage Broken(std::wstring why) { return DecodedImage{nullptr, std::move(why)}; }

bool FitsSurface(unsigned long width, unsigned long height) {
  return width > 0 && height > 0 && width <= static_cast<unsigned long>(kMaxImageSide) &&
         height <= static_cast<unsigned long>(kMaxImageSide) &&
         static_cast<unsigned long long>(width) * height <=
             static_cast<unsigned long long>(kMaxImagePixels);
}

DecodedImage TooLarge(unsigned long width, unsigned long height) {
  return Broken(L"an image of " + std::to_wstring(width) + L" x " + std::to_wstring(height) +
                L" pixels, over the limit of " + std::to_wstring(kMaxImageSide) + L" a side and " +
                std::to_wstring(kMaxImagePixels) + L" pixels");
}

struct PngReader {
  const std::string& bytes;
  size_t at = 0;
};

cairo_status_t ReadPngBytes(void* closure, unsigned char* data, unsigned int length) {
  auto* reader = static_cast<PngReader*>(closure);
  if (reader->bytes.size() - reader->at < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, reader->bytes.data() + reader->at, length);
  reader->at += length;
  return CAIRO_STATUS_SUCCESS;
}

unsigned long BigEndian32(const std::string& bytes, size_t at) {
  unsigned long value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// The size comes from the header chunk, before anything is allocated for the pixels.
DecodedImage DecodePng(const std::string& bytes) {
  constexpr size_t kHeaderEnd = 24;
  if (bytes.size() < kHeaderEnd || bytes.compare(12, 4, "IHDR") != 0)
    return Broken(L"a broken PNG");
  const unsigned long width = BigEndian32(bytes, 16);
  const unsigned long height = BigEndian32(bytes, 20);
  if (width == 0 || height == 0) return Broken(L"a broken PNG");
  if (!FitsSurface(width, height)) return TooLarge(width, height);
  PngReader reader{bytes};
  handles::CairoSurfacePtr surface(
      cairo_image_surface_create_from_png_stream(&ReadPngBytes, &reader));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return Broken(L"a broken PNG");
  return DecodedImage{std::move(surface), {}};
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// libjpeg reports errors by long jump, so everything between the set-up and the return is C:
// the row buffer is libjpeg's own, freed with the decompressor; the surface is a plain
// pointer that the caller owns either way.
bool DecodeJpegInto(const std::string& bytes, jpeg_decompress_struct& info, JpegError& error,
                    cairo_surface_t*& surface, unsigned long& width, unsigned long& height) {
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = &OnJpegError;
  if (setjmp(error.jump)) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  width = info.image_width;
  height = info.image_height;
  if (!FitsSurface(width, height)) return false;
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(info.output_width),
                                       static_cast<int>(info.output_height));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return false;
  unsigned char* pixels = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                             info.output_width * 3u, 1);
  while (info.output_scanline < info.output_height) {
    const unsigned y = info.output_scanline;
    jpeg_read_scanlines(&info, row, 1);
    auto* out =
        reinterpret_cast<uint32_t*>(pixels + static_cast<size_t>(y) * static_cast<size_t>(stride));
    const unsigned char* in = row[0];
    for (unsigned x = 0; x < info.output_width; ++x) {
      out[x] = 0xFF000000u | (static_cast<uint32_t>(in[x * 3]) << 16) |
               (static_cast<uint32_t>(in[x * 3 + 1]) << 8) | in[x * 3 + 2];
    }
  }
  jpeg_finish_decompress(&info);
  cairo_surface_mark_dirty(surface);
  return true;
}

DecodedImage DecodeJpeg(const std::string& bytes) {
  jpeg_decompress_struct info;
  JpegError error;
  cairo_surface_t* surface = nullptr;
  unsigned long width = 0;
  unsigned long height = 0;
  const bool ok = DecodeJpegInto(bytes, info, error, surface, width, height);
  jpeg_destroy_decompress(&info);
  handles::CairoSurfacePtr owned(surface);
  if (ok) return DecodedImage{std::move(owned), {}};
  if (width > 0 && height > 0 && !FitsSurface(width, height)) return TooLarge(width, height);
  return Broken(L"a broken JPEG");
}

}  // namespace

DecodedImage DecodeImage(const std::string& bytes) {
  static const unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G'};
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), kPngSignature, 4) == 0)
    return DecodePng(bytes);
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xD8) {
    return DecodeJpeg(bytes);
  }
  return Broken(L"neither PNG nor JPEG");
}

}  // namespace ui
