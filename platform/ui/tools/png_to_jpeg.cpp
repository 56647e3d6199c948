// Build tool: converts a PNG (as rasterised from the skin's SVG sources) into a JPEG.
//   quorvel_png_to_jpeg INPUT.png OUTPUT.jpg
#include <cairo.h>

#include <cstddef>
#include <cstdio>
#include <memory>
#include <vector>

// After <cstdio>: libjpeg uses size_t and FILE without declaring them.
#include <jpeglib.h>

#include "handles/cairo.h"
#include "handles/file.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s INPUT.png OUTPUT.jpg\n", argv[0]);
    return 2;
  }
  handles::CairoSurfacePtr image(cairo_image_surface_create_from_png(argv[1]));
  if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "png_to_jpeg: cannot read %s\n", argv[1]);
    return 1;
  }
  handles::File out(std::fopen(argv[2], "wb"));
  if (!out) {
    std::fprintf(stderr, "png_to_jpeg: cannot write %s\n", argv[2]);
    return 1;
  }
  const int width = cairo_image_surface_get_width(image.get());
  const int height = cairo_image_surface_get_height(image.get());
  const int stride = cairo_image_surface_get_stride(image.get());
  const unsigned char* pixels = cairo_image_surface_get_data(image.get());

  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out.get());
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
  while (info.next_scanline < info.image_height) {
    const auto* source = reinterpret_cast<const uint32_t*>(
        pixels + static_cast<size_t>(info.next_scanline) * stride);
    for (int x = 0; x < width; ++x) {
      // Transparent parts of the source land on white.
      const uint32_t argb = source[x];
      const unsigned alpha = argb >> 24;
      for (int c = 0; c < 3; ++c) {
        const unsigned channel = (argb >> (16 - 8 * c)) & 0xFF;
        row[static_cast<size_t>(x) * 3 + static_cast<size_t>(c)] =
            static_cast<unsigned char>(channel + (255 - alpha));
      }
    }
    unsigned char* row_pointer = row.data();
    jpeg_write_scanlines(&info, &row_pointer, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return 0;
}
