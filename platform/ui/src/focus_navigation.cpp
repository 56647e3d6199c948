#include <algorithm>
#include <vector>

#include "render.h"
#include "ui/ui_containers.h"
#include "ui/ui_manager.h"

namespace ui {

namespace {

constexpr int kMarkGap = 3;  // the mark sits just outside the control
constexpr DWORD kMarkColor = 0xE63C8CE7;

void CollectFocusable(CControlUI& control, std::vector<CControlUI*>& out) {
  if (!control.IsVisible()) return;
  if (control.IsEnabled() && control.IsFocusable()) out.push_back(&control);
  if (auto* container = dynamic_cast<CContainerUI*>(&control)) {
    for (int i = 0; i < container->GetCount(); ++i) CollectFocusable(*container->GetItemAt(i), out);
  }
}

RECT MarkRect(const CControlUI& control) {
  const RECT& pos = control.GetPos();
  return RECT{pos.left - kMarkGap, pos.top - kMarkGap, pos.right + kMarkGap, pos.bottom + kMarkGap};
}

}  // namespace

bool CPaintManagerUI::MoveFocus(bool backwards) {
  if (!root_) return false;
  std::vector<CControlUI*> order;
  CollectFocusable(*root_, order);
  if (order.empty()) return false;
  const auto at = std::find(order.begin(), order.end(), focus_);
  const int count = static_cast<int>(order.size());
  int index = 0;
  if (at != order.end()) {
    const int current = static_cast<int>(at - order.begin());
    index = (current + (backwards ? count - 1 : 1)) % count;
  } else if (backwards) {
    index = count - 1;
  }
  focus_mark_ = true;
  SetFocus(order[static_cast<size_t>(index)]);
  InvalidateFocusMark(focus_);
  return true;
}

bool CPaintManagerUI::OnNavigationKey(WPARAM key) {
  if ((modifiers_ & (kModControl | kModAlt)) != 0) return false;
  if (key == VK_TAB) return MoveFocus((modifiers_ & kModShift) != 0);
  if (key != VK_RETURN && key != VK_ESCAPE) return false;
  CControlUI* button = FindControl(key == VK_RETURN ? default_button_ : cancel_button_);
  return button != nullptr && button->IsShown() && button->IsEnabled() && button->Activate();
}

void CPaintManagerUI::InvalidateFocusMark(const CControlUI* control) {
  if (control != nullptr && focus_mark_) Invalidate(MarkRect(*control));
}

void CPaintManagerUI::PaintFocusMark(CRenderContext& context) {
  if (!focus_mark_ || focus_ == nullptr || !focus_->IsShown()) return;
  const RECT rect = MarkRect(*focus_);
  cairo_t* cr = context.cairo();
  constexpr double kRadius = 5.0;
  const double left = rect.left + 1.0, top = rect.top + 1.0;
  const double right = rect.right - 1.0, bottom = rect.bottom - 1.0;
  cairo_new_sub_path(cr);
  cairo_arc(cr, right - kRadius, top + kRadius, kRadius, -G_PI / 2, 0);
  cairo_arc(cr, right - kRadius, bottom - kRadius, kRadius, 0, G_PI / 2);
  cairo_arc(cr, left + kRadius, bottom - kRadius, kRadius, G_PI / 2, G_PI);
  cairo_arc(cr, left + kRadius, top + kRadius, kRadius, G_PI, 3 * G_PI / 2);
  cairo_close_path(cr);
  SetSourceArgb(cr, kMarkColor);
  cairo_set_line_width(cr, 2.0);
  cairo_stroke(cr);
}

}  // namespace ui
