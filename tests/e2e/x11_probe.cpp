// What the X11 tests and the demo read from the screen of an X server (DISPLAY):
//   quorvel-x11-probe shot FILE [X Y W H]   the screen, or a part of it, as a PNG file
//   quorvel-x11-probe stats X Y W H          "colours N dark P" of that part: distinct colours
//                                            (counted up to 4096) and the percentage of pixels
//                                            darker than 32 in every channel
//   quorvel-x11-probe pixel X Y              the pixel as RRGGBB
//   quorvel-x11-probe grab-alt KEY           holds Alt + KEY (a key name such as "s") grabbed
//                                            on the root window, as another program would,
//                                            until killed; prints "grabbed" once it holds it
// Exit code 0, or 1 with the reason on standard error.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "handles/cairo.h"
#include "handles/x11.h"

namespace {

using handles::DisplayPtr;

struct ImageDestroyer {
  void operator()(XImage* image) const { XDestroyImage(image); }
};
using ImagePtr = std::unique_ptr<XImage, ImageDestroyer>;

struct Area {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The part of the screen as 0x00RRGGBB pixels, row by row; empty when it cannot be read.
std::vector<std::uint32_t> Grab(Display* display, Area& area) {
  Window root = DefaultRootWindow(display);
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, root, &attributes);
  if (area.width <= 0 || area.height <= 0) area = Area{0, 0, attributes.width, attributes.height};
  if (area.x < 0 || area.y < 0 || area.x + area.width > attributes.width ||
      area.y + area.height > attributes.height) {
    return {};
  }
  ImagePtr image(XGetImage(display, root, area.x, area.y, static_cast<unsigned>(area.width),
                           static_cast<unsigned>(area.height), AllPlanes, ZPixmap));
  if (!image) return {};
  std::vector<std::uint32_t> pixels;
  pixels.reserve(static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height));
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image.get(), x, y)) & 0xFFFFFFu);
    }
  }
  return pixels;
}

bool WritePng(const std::vector<std::uint32_t>& pixels, const Area& area, const char* path) {
  handles::CairoSurfacePtr surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, area.width, area.height));
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < area.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < area.width; ++x)
      row[x] = pixels[static_cast<std::size_t>(y * area.width + x)];
  }
  cairo_surface_mark_dirty(surface.get());
  return cairo_surface_write_to_png(surface.get(), path) == CAIRO_STATUS_SUCCESS;
}

void PrintStats(const std::vector<std::uint32_t>& pixels) {
  std::set<std::uint32_t> colours;
  std::size_t dark = 0;
  for (std::uint32_t pixel : pixels) {
    if (colours.size() < 4096) colours.insert(pixel);
    if (((pixel >> 16) & 0xFF) < 32 && ((pixel >> 8) & 0xFF) < 32 && (pixel & 0xFF) < 32) ++dark;
  }
  std::printf("colours %zu dark %zu\n", colours.size(),
              pixels.empty() ? 0 : dark * 100 / pixels.size());
}

bool ReadArea(char** numbers, Area& area) {
  int* fields[] = {&area.x, &area.y, &area.width, &area.height};
  for (int i = 0; i < 4; ++i) {
    char* end = nullptr;
    long value = std::strtol(numbers[i], &end, 10);
    if (end == numbers[i] || *end != '\0') return false;
    *fields[i] = static_cast<int>(value);
  }
  return area.width > 0 && area.height > 0;
}

// Holds the grab for as long as the process lives; the server drops it when the process ends.
int HoldAltGrab(Display* display, const char* key_name) {
  KeySym symbol = XStringToKeysym(key_name);
  KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(display, symbol);
  if (code == 0) {
    std::fprintf(stderr, "quorvel-x11-probe: no key \"%s\"\n", key_name);
    return 1;
  }
  Window root = DefaultRootWindow(display);
  // With and without Num Lock and Caps Lock, as the window system grabs it too.
  for (unsigned locks : {0u, static_cast<unsigned>(Mod2Mask), static_cast<unsigned>(LockMask),
                         static_cast<unsigned>(Mod2Mask | LockMask)}) {
    XGrabKey(display, code, Mod1Mask | locks, root, True, GrabModeAsync, GrabModeAsync);
  }
  XSync(display, False);
  std::printf("grabbed\n");
  std::fflush(stdout);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
  }
}

int Usage() {
  std::fprintf(stderr,
               "usage: quorvel-x11-probe shot FILE [X Y W H] | stats X Y W H | pixel X Y |"
               " grab-alt KEY\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  Area area;
  if (command == "shot") {
    if (argc != 3 && !(argc == 7 && ReadArea(argv + 3, area))) return Usage();
  } else if (command == "stats") {
    if (argc != 6 || !ReadArea(argv + 2, area)) return Usage();
  } else if (command == "grab-alt") {
    if (argc != 3) return Usage();
  } else if (command == "pixel") {
    if (argc != 4) return Usage();
    area = Area{std::atoi(argv[2]), std::atoi(argv[3]), 1, 1};
  } else {
    return Usage();
  }
  DisplayPtr display(XOpenDisplay(nullptr));
  if (!display) {
    std::fprintf(stderr, "quorvel-x11-probe: cannot open the display\n");
    return 1;
  }
  if (command == "grab-alt") return HoldAltGrab(display.get(), argv[2]);
  std::vector<std::uint32_t> pixels = Grab(display.get(), area);
  if (pixels.empty()) {
    std::fprintf(stderr, "quorvel-x11-probe: the area is not on the screen\n");
    return 1;
  }
  if (command == "shot") {
    if (WritePng(pixels, area, argv[2])) return 0;
    std::fprintf(stderr, "quorvel-x11-probe: cannot write %s\n", argv[2]);
    return 1;
  }
  if (command == "stats") {
    PrintStats(pixels);
  } else {
    std::printf("%06X\n", pixels.front());
  }
  return 0;
}
