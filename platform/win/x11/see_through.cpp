#include "x11/see_through.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <string>

namespace win::core {

namespace {

// Half covered or more: a shade's faint edge is cut, its dark part and every opaque pixel kept.
constexpr std::uint32_t kShownAlpha = 0x80;

struct Run {
  int left;
  int right;
  bool operator==(const Run& other) const { return left == other.left && right == other.right; }
};

}  // namespace

bool CompositorRuns(Display* display) {
  const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
  const Atom selection = XInternAtom(display, name.c_str(), False);
  return XGetSelectionOwner(display, selection) != None;
}

AlphaVisual FindAlphaVisual(Display* display) {
  XVisualInfo info{};
  AlphaVisual found;
  if (!XMatchVisualInfo(display, DefaultScreen(display), 32, TrueColor, &info)) return found;
  found.visual = info.visual;
  found.colormap = XCreateColormap(display, DefaultRootWindow(display), info.visual, AllocNone);
  return found;
}

bool OpacityMask::Update(int window_width, int window_height, const RECT& area,
                         const std::uint32_t* pixels, int stride_pixels) {
  bool changed = false;
  if (window_width != width_ || window_height != height_) {
    width_ = std::max(window_width, 0);
    height_ = std::max(window_height, 0);
    shown_.assign(static_cast<std::size_t>(width_) * height_, 1);
    changed = true;
  }
  const int left = std::max<int>(area.left, 0);
  const int top = std::max<int>(area.top, 0);
  const int right = std::min<int>(area.right, width_);
  const int bottom = std::min<int>(area.bottom, height_);
  for (int y = top; y < bottom; ++y) {
    const std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y - area.top) * stride_pixels;
    std::uint8_t* mask = shown_.data() + static_cast<std::size_t>(y) * width_;
    for (int x = left; x < right; ++x) {
      const std::uint8_t shown = (row[x - area.left] >> 24) >= kShownAlpha ? 1 : 0;
      changed = changed || mask[x] != shown;
      mask[x] = shown;
    }
  }
  return changed;
}

std::vector<XRectangle> OpacityMask::ShownRectangles() const {
  std::vector<XRectangle> rectangles;
  std::vector<Run> previous;
  std::size_t previous_first = 0;  // where the previous row's rectangles begin
  for (int y = 0; y < height_; ++y) {
    std::vector<Run> runs;
    const std::uint8_t* mask = shown_.data() + static_cast<std::size_t>(y) * width_;
    for (int x = 0; x < width_;) {
      if (!mask[x]) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < width_ && mask[x]) ++x;
      runs.push_back(Run{start, x});
    }
    if (y > 0 && runs == previous) {
      for (std::size_t i = previous_first; i < rectangles.size(); ++i) ++rectangles[i].height;
      continue;
    }
    previous_first = rectangles.size();
    for (const Run& run : runs) {
      rectangles.push_back(XRectangle{static_cast<short>(run.left), static_cast<short>(y),
                                      static_cast<unsigned short>(run.right - run.left), 1});
    }
    previous = std::move(runs);
  }
  return rectangles;
}

}  // namespace win::core
