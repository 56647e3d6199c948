#include <algorithm>

#include "attribute_table.h"
#include "ui/ui_containers.h"
#include "ui/ui_manager.h"
#include "render.h"

namespace ui {

namespace {

RECT Shrink(RECT rect, const RECT& by) {
  rect.left += by.left;
  rect.top += by.top;
  rect.right -= by.right;
  rect.bottom -= by.bottom;
  if (rect.right < rect.left) rect.right = rect.left;
  if (rect.bottom < rect.top) rect.bottom = rect.top;
  return rect;
}

// Children pushed beyond any screen stay there, short of the integer limit.
LONG Coordinate(long long value) {
  constexpr long long kFarthest = 1LL << 30;
  return static_cast<LONG>(std::clamp(value, -kFarthest, kFarthest));
}

bool IsLaidOut(const CControlUI& child) { return child.IsVisible() && !child.IsFloat(); }

bool Intersects(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

LPCTSTR CContainerUI::GetClass() const { return L"Container"; }

bool CContainerUI::Add(CControlUI* item) { return AddAt(item, GetCount()); }

bool CContainerUI::AddAt(CControlUI* item, int index) {
  std::unique_ptr<CControlUI> owned(item);
  if (!owned || index < 0 || index > GetCount()) return false;
  owned->SetManager(GetManager(), this);
  items_.insert(items_.begin() + index, std::move(owned));
  NeedUpdate();
  return true;
}

bool CContainerUI::Remove(CControlUI* item) {
  const auto found = std::find_if(items_.begin(), items_.end(),
                                  [item](const auto& owned) { return owned.get() == item; });
  if (found == items_.end()) return false;
  items_.erase(found);
  NeedUpdate();
  return true;
}

void CContainerUI::RemoveAll() {
  items_.clear();
  NeedUpdate();
}

CControlUI* CContainerUI::GetItemAt(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return items_[static_cast<size_t>(index)].get();
}

int CContainerUI::GetItemIndex(CControlUI* item) const {
  for (int i = 0; i < GetCount(); ++i) {
    if (items_[static_cast<size_t>(i)].get() == item) return i;
  }
  return -1;
}

void CContainerUI::SetInset(RECT inset) {
  inset_ = inset;
  NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
  child_padding_ = padding;
  NeedUpdate();
}

AttributeStatus CContainerUI::ApplyOwnAttribute(const std::wstring& name,
                                                const std::wstring& value) {
  static const AttributeTable<CContainerUI> table = {
      {L"inset",
       [](CContainerUI& c, const std::wstring& v) {
         const auto r = ParseRect(v);
         if (r) c.SetInset(r->value);
         return r && r->in_range;
       }},
      {L"childpadding",
       [](CContainerUI& c, const std::wstring& v) {
         const auto n = ParseLength(v);
         if (n) c.SetChildPadding(n->value);
         return n && n->in_range;
       }},
  };
  const AttributeStatus status = table.Apply(*this, name, value);
  return status == AttributeStatus::UnknownName ? CControlUI::ApplyOwnAttribute(name, value)
                                                : status;
}

void CContainerUI::SetPos(RECT pos) {
  CControlUI::SetPos(pos);
  LayoutChildren(Shrink(pos, inset_));
  PlaceFloating();
}

void CContainerUI::LayoutChildren(RECT inner) {
  for (auto& child : items_) {
    if (!IsLaidOut(*child)) continue;
    RECT rect = Shrink(inner, child->GetPadding());
    const SIZE size = child->EstimateSize(SIZE{rect.right - rect.left, rect.bottom - rect.top});
    if (size.cx > 0) rect.right = rect.left + size.cx;
    if (size.cy > 0) rect.bottom = rect.top + size.cy;
    child->SetPos(rect);
  }
}

namespace {

// One rectangle or size seen along a stacking axis ("main") and across it ("cross").
struct AxisView {
  bool vertical;
  LONG& MainStart(RECT& r) const { return vertical ? r.top : r.left; }
  LONG& MainEnd(RECT& r) const { return vertical ? r.bottom : r.right; }
  LONG& CrossStart(RECT& r) const { return vertical ? r.left : r.top; }
  LONG& CrossEnd(RECT& r) const { return vertical ? r.right : r.bottom; }
  LONG Main(const SIZE& s) const { return vertical ? s.cy : s.cx; }
  LONG Cross(const SIZE& s) const { return vertical ? s.cx : s.cy; }
  SIZE Available(const RECT& r) const {
    return vertical ? SIZE{r.right - r.left, 0} : SIZE{0, r.bottom - r.top};
  }
};

}  // namespace

void CContainerUI::StackChildren(RECT inner, Axis axis) {
  const AxisView view{axis == Axis::Vertical};
  const SIZE available = view.Available(inner);
  // Wide sums: every number is within the layout's range, but a row may hold many children.
  long long fixed = 0;
  int stretching = 0;
  int shown = 0;
  for (auto& child : items_) {
    if (!IsLaidOut(*child)) continue;
    ++shown;
    RECT padding = child->GetPadding();
    const LONG length = view.Main(child->EstimateSize(available));
    fixed += view.MainStart(padding) + view.MainEnd(padding) + length;
    if (length <= 0) ++stretching;
  }
  if (shown > 1) fixed += static_cast<long long>(child_padding_) * (shown - 1);
  long long remaining =
      std::max(0LL, static_cast<long long>(view.MainEnd(inner)) - view.MainStart(inner) - fixed);
  long long at = view.MainStart(inner);
  for (auto& child : items_) {
    if (!IsLaidOut(*child)) continue;
    RECT padding = child->GetPadding();
    const SIZE size = child->EstimateSize(available);
    long long length = view.Main(size);
    if (length <= 0) {
      // The stretching children share what the fixed ones leave; the last takes the rest.
      length = stretching > 1 ? remaining / stretching : remaining;
      remaining -= length;
      --stretching;
    }
    at += view.MainStart(padding);
    RECT rect{};
    view.MainStart(rect) = Coordinate(at);
    view.MainEnd(rect) = Coordinate(at + length);
    view.CrossStart(rect) = view.CrossStart(inner) + view.CrossStart(padding);
    view.CrossEnd(rect) = view.Cross(size) > 0 ? view.CrossStart(rect) + view.Cross(size)
                                               : view.CrossEnd(inner) - view.CrossEnd(padding);
    child->SetPos(rect);
    at += length + view.MainEnd(padding) + child_padding_;
  }
}

void CContainerUI::PlaceFloating() {
  const RECT& pos = GetPos();
  for (auto& child : items_) {
    if (!child->IsVisible() || !child->IsFloat()) continue;
    const RECT at = child->GetFloatPos();
    RECT rect{pos.left + at.left, pos.top + at.top, pos.left + at.right, pos.top + at.bottom};
    const SIZE size = child->EstimateSize(SIZE{pos.right - pos.left, pos.bottom - pos.top});
    if (at.right <= at.left) rect.right = rect.left + size.cx;
    if (at.bottom <= at.top) rect.bottom = rect.top + size.cy;
    child->SetPos(rect);
  }
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
  CControlUI::SetManager(manager, parent);
  for (auto& child : items_) child->SetManager(manager, this);
}

void CContainerUI::DoPaint(CRenderContext& context) {
  CControlUI::DoPaint(context);
  cairo_t* cr = context.cairo();
  const RECT& pos = GetPos();
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
  const RECT clip{static_cast<LONG>(x1), static_cast<LONG>(y1), static_cast<LONG>(x2 + 1),
                  static_cast<LONG>(y2 + 1)};
  cairo_save(cr);
  cairo_rectangle(cr, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top);
  cairo_clip(cr);
  for (auto& child : items_) {
    if (!child->IsVisible() || !Intersects(child->GetPos(), clip)) continue;
    child->DoPaint(context);
  }
  cairo_restore(cr);
}

CControlUI* CContainerUI::FindControlAt(POINT point) {
  if (CControlUI::FindControlAt(point) == nullptr) return nullptr;
  // Later children are drawn over earlier ones, so they are hit first.
  for (auto child = items_.rbegin(); child != items_.rend(); ++child) {
    if (CControlUI* hit = (*child)->FindControlAt(point)) return hit;
  }
  return this;
}

CControlUI* CContainerUI::FindControlByName(const CUiString& name) {
  if (CControlUI* self = CControlUI::FindControlByName(name)) return self;
  for (auto& child : items_) {
    if (CControlUI* found = child->FindControlByName(name)) return found;
  }
  return nullptr;
}

LPCTSTR CVerticalLayoutUI::GetClass() const { return L"VerticalLayout"; }

void CVerticalLayoutUI::LayoutChildren(RECT inner) { StackChildren(inner, Axis::Vertical); }

LPCTSTR CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayout"; }

void CHorizontalLayoutUI::LayoutChildren(RECT inner) { StackChildren(inner, Axis::Horizontal); }

}  // namespace ui
