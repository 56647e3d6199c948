#include "core/deferred_presents.h"

#include <vector>

#include "core/dispatch.h"
#include "core/rect_math.h"

namespace win::core {

namespace {

struct Deferred {
  HWND top_level;
  RECT area;
};

std::vector<Deferred>& ThreadDeferred() {
  thread_local std::vector<Deferred> deferred;
  return deferred;
}

}  // namespace

void DeferPresent(HWND top_level, const RECT& area) {
  if (IsEmpty(area)) return;
  std::vector<Deferred>& deferred = ThreadDeferred();
  for (Deferred& waiting : deferred) {
    if (waiting.top_level != top_level) continue;
    waiting.area = Union(waiting.area, area);
    return;
  }
  deferred.push_back(Deferred{top_level, area});
}

void PresentDeferred() {
  std::vector<Deferred>& deferred = ThreadDeferred();
  if (deferred.empty()) return;
  // Taken out first: a window may go or change while another is composed.
  std::vector<Deferred> taken;
  taken.swap(deferred);
  for (const Deferred& waiting : taken) PresentNow(waiting.top_level, waiting.area);
}

}  // namespace win::core
