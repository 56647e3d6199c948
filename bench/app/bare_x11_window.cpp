// The start-up benchmark's baseline: the least an X program does to show a picture. It opens
// the display, maps one window of the main window's size, waits until it is exposed, puts one
// window-sized picture on it and prints "first-paint BareWindow NANOSECONDS" (CLOCK_MONOTONIC)
// as the program's start-up probe does, then ends at once.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr unsigned kWidth = 1080;
constexpr unsigned kHeight = 675;
constexpr std::uint32_t kColour = 0xff2d6cdf;

}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "bare_x11_window: cannot open the X display\n");
    return 1;
  }
  const int screen = DefaultScreen(display);
  const Window window =
      XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, kWidth, kHeight, 0, 0, 0);
  XSelectInput(display, window, ExposureMask);
  XMapWindow(display, window);
  XEvent event{};
  do {
    XNextEvent(display, &event);
  } while (event.type != Expose);
  // A client-side picture, as the program presents its composed windows.
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight, kColour);
  XImage* image = XCreateImage(display, DefaultVisual(display, screen),
                               static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, 0,
                               reinterpret_cast<char*>(pixels.data()), kWidth, kHeight, 32,
                               static_cast<int>(kWidth * 4));
  if (image == nullptr) {
    std::fprintf(stderr, "bare_x11_window: no image of the default visual\n");
    return 1;
  }
  XPutImage(display, window, DefaultGC(display, screen), image, 0, 0, 0, 0, kWidth, kHeight);
  image->data = nullptr;  // the vector's pixels
  XDestroyImage(image);
  XFlush(display);
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::printf("first-paint BareWindow %lld\n",
              static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
  std::fflush(stdout);
  // As the probe does: nothing after the picture is measured.
  _exit(0);
}
