#include <algorithm>
#include <cwctype>

#include "attribute_table.h"
#include "combo_window.h"
#include "ui/ui_controls.h"
#include "ui/ui_manager.h"
#include "render.h"

namespace ui {

namespace {

constexpr int kDefaultItemHeight = 24;
constexpr int kVisibleItems = 8;
constexpr int kItemTextInset = 6;
constexpr int kScrollBarWidth = 10;
constexpr int kMinThumb = 16;
constexpr int kWheelItems = 3;   // items scrolled by one notch of the wheel
constexpr int kArrowWidth = 20;  // the closed box's drop-down arrow

// Items line up with the closed box's text.
int ItemTextInset(const CComboUI& combo) {
  return combo.GetTextPadding().left > 0 ? combo.GetTextPadding().left : kItemTextInset;
}

const FontInfo& ItemFont(const CComboUI& combo, const CControlUI& item) {
  return combo.GetManager()->GetFont(item.GetFont() >= 0 ? item.GetFont() : combo.GetFont());
}

bool Inside(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

// The pop-up's one control: paints the owner's items, scrolled, and the scroll bar.
class CDropListUI : public CControlUI {
 public:
  explicit CDropListUI(CComboWnd& window) : window_(window) {}

  void DoPaint(CRenderContext& context) override {
    CComboUI& combo = window_.owner();
    context.FillRect(GetPos(), combo.GetItemBkColor());
    const RECT area = window_.ItemsArea();
    cairo_t* cr = context.cairo();
    cairo_save(cr);
    cairo_rectangle(cr, area.left, area.top, area.right - area.left, area.bottom - area.top);
    cairo_clip(cr);
    // The strong mark is the item Enter or a click would pick (the picked one while nothing
    // else is highlighted); the picked one keeps a light mark while the highlight is elsewhere.
    const int highlight = window_.GetHotItem() >= 0 ? window_.GetHotItem() : combo.GetCurSel();
    for (int i = 0; i < combo.GetCount(); ++i) {
      const RECT rect = window_.ItemRect(i);
      if (rect.bottom <= area.top || rect.top >= area.bottom) continue;
      const CControlUI* item = combo.GetItemAt(i);
      if (i == highlight)
        context.FillRect(rect, combo.GetItemSelectedBkColor());
      else if (i == combo.GetCurSel())
        context.FillRect(rect, combo.GetItemHotBkColor());
      context.FillRect(rect, item->GetBkColor());
      const int inset = ItemTextInset(combo);
      const RECT text{rect.left + inset, rect.top, rect.right - inset, rect.bottom};
      context.DrawText(item->GetText().str(), text, item->GetTextColor(), ItemFont(combo, *item),
                       kAlignLeft | kAlignVCenter);
    }
    cairo_restore(cr);
    if (window_.HasScrollBar()) {
      const RECT& pos = GetPos();
      context.FillRect(RECT{area.right, pos.top + 1, pos.right - 1, pos.bottom - 1}, 0xFFF1F3F6);
      const RECT thumb = window_.ScrollThumb();
      SetSourceArgb(cr, 0xFFB8BEC8);
      const double radius = (thumb.right - thumb.left) / 2.0;
      cairo_new_sub_path(cr);
      cairo_arc(cr, thumb.left + radius, thumb.top + radius, radius, G_PI, 2 * G_PI);
      cairo_arc(cr, thumb.left + radius, thumb.bottom - radius, radius, 0, G_PI);
      cairo_close_path(cr);
      cairo_fill(cr);
    }
    context.FrameRect(GetPos(), 0xFF9A9A9A);
  }

 private:
  CComboWnd& window_;
};

}  // namespace

int CComboWnd::ItemHeight(const CControlUI& item) {
  return item.GetFixedHeight() > 0 ? item.GetFixedHeight() : kDefaultItemHeight;
}

int CComboWnd::ContentHeight() const {
  int height = 0;
  for (int i = 0; i < owner_.GetCount(); ++i) height += ItemHeight(*owner_.GetItemAt(i));
  return height;
}

RECT CComboWnd::ItemsArea() const {
  RECT client{};
  GetClientRect(GetHWND(), &client);
  RECT area{1, 1, client.right - 1, client.bottom - 1};
  if (HasScrollBar()) area.right -= kScrollBarWidth;
  return area;
}

bool CComboWnd::HasScrollBar() const {
  RECT client{};
  GetClientRect(GetHWND(), &client);
  return ContentHeight() > client.bottom - 2;
}

int CComboWnd::MaxScroll() const {
  const RECT area = ItemsArea();
  return std::max(0, ContentHeight() - static_cast<int>(area.bottom - area.top));
}

RECT CComboWnd::ItemRect(int index) const {
  const RECT area = ItemsArea();
  int top = area.top - scroll_;
  for (int i = 0; i < index; ++i) top += ItemHeight(*owner_.GetItemAt(i));
  const CControlUI* item = owner_.GetItemAt(index);
  return RECT{area.left, top, area.right, top + (item != nullptr ? ItemHeight(*item) : 0)};
}

bool CComboWnd::ItemShown(int index) const {
  const RECT area = ItemsArea();
  const RECT rect = ItemRect(index);
  return index >= 0 && index < owner_.GetCount() && rect.top >= area.top &&
         rect.bottom <= area.bottom;
}

int CComboWnd::ItemAt(POINT point) const {
  if (!Inside(ItemsArea(), point)) return -1;
  for (int i = 0; i < owner_.GetCount(); ++i) {
    if (Inside(ItemRect(i), point)) return i;
  }
  return -1;
}

RECT CComboWnd::ScrollThumb() const {
  const RECT area = ItemsArea();
  const int track = area.bottom - area.top;
  const int content = std::max(1, ContentHeight());
  const int length = std::max(kMinThumb, track * track / content);
  const int max_scroll = MaxScroll();
  const int top = area.top + (max_scroll > 0 ? (track - length) * scroll_ / max_scroll : 0);
  return RECT{area.right + 2, top, area.right + kScrollBarWidth - 2, top + length};
}

void CComboWnd::ScrollTo(int offset) {
  const int clamped = std::clamp(offset, 0, MaxScroll());
  if (clamped == scroll_) return;
  scroll_ = clamped;
  manager_.Invalidate();
}

void CComboWnd::ScrollToItem(int index) {
  if (index < 0 || index >= owner_.GetCount()) return;
  const RECT area = ItemsArea();
  const RECT rect = ItemRect(index);
  if (rect.top < area.top)
    ScrollTo(scroll_ - (area.top - rect.top));
  else if (rect.bottom > area.bottom)
    ScrollTo(scroll_ + (rect.bottom - area.bottom));
}

void CComboWnd::Highlight(int index) {
  if (owner_.GetCount() == 0) return;
  hot_item_ = std::clamp(index, 0, owner_.GetCount() - 1);
  ScrollToItem(hot_item_);
  manager_.Invalidate();
}

// As wide as the longest item and at most eight items high, within the monitor's work area;
// above the box when there is more room there than below.
void CComboWnd::Open() {
  CPaintManagerUI* owner_manager = owner_.GetManager();
  const HWND owner_window = owner_manager->GetPaintWindow();
  const RECT& box = owner_.GetPos();
  POINT top_left{box.left, box.top};
  POINT bottom_right{box.right, box.bottom};
  ClientToScreen(owner_window, &top_left);
  ClientToScreen(owner_window, &bottom_right);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(owner_window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT work = monitor.rcWork;

  int shown_height = 0;
  int longest = 0;
  for (int i = 0; i < owner_.GetCount(); ++i) {
    const CControlUI& item = *owner_.GetItemAt(i);
    if (i < kVisibleItems) shown_height += ItemHeight(item);
    longest = std::max(longest, TextWidth(item.GetText().str(), ItemFont(owner_, item)));
  }
  if (shown_height == 0) shown_height = kDefaultItemHeight;
  if (owner_.GetDropBoxHeight() > 0) {
    const int most = std::max(owner_.GetDropBoxHeight() - 2, kDefaultItemHeight);
    shown_height = std::min(shown_height, most);
  }
  const bool scrolls = ContentHeight() > shown_height;
  const int height = shown_height + 2;
  const int wanted = longest + 2 * ItemTextInset(owner_) + 2 + (scrolls ? kScrollBarWidth : 0);
  const int width =
      std::min<int>(std::max<int>(bottom_right.x - top_left.x, wanted), work.right - work.left);
  const int x = std::clamp<int>(top_left.x, work.left, work.right - width);
  const bool above =
      bottom_right.y + height > work.bottom && top_left.y - work.top > work.bottom - bottom_right.y;
  const int y = above ? top_left.y - height : bottom_right.y;
  Create(owner_window, L"", WS_POPUP, WS_EX_TOOLWINDOW, x, y, width, height);
  hot_item_ = owner_.GetCurSel();
  ScrollToItem(hot_item_);
  ShowWindow(true, false);
}

void CComboWnd::Dismiss() {
  if (closing_) return;
  closing_ = true;
  ShowWindow(false, false);
  PostMessage(WM_CLOSE);
}

void CComboWnd::Pick(int index) {
  if (closing_) return;
  Dismiss();
  owner_.SelectItem(index, false);
}

bool CComboWnd::OnKey(WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      Dismiss();
      return true;
    case VK_RETURN:
      if (hot_item_ >= 0)
        Pick(hot_item_);
      else
        Dismiss();
      return true;
    case VK_DOWN:
    case VK_UP:
      Highlight(hot_item_ + (key == VK_DOWN ? 1 : -1));
      return true;
    case VK_NEXT:
    case VK_PRIOR:
      Highlight(hot_item_ + (key == VK_NEXT ? 1 : -1) * (kVisibleItems - 1));
      return true;
    case VK_HOME:
      Highlight(0);
      return true;
    case VK_END:
      Highlight(owner_.GetCount() - 1);
      return true;
    default:
      return false;
  }
}

// The next item after the highlight whose text starts with the letter, round the end.
void CComboWnd::OnChar(wchar_t ch) {
  const int count = owner_.GetCount();
  const wint_t wanted = std::towlower(static_cast<wint_t>(ch));
  for (int step = 1; step <= count; ++step) {
    const int index = (std::max(hot_item_, -1) + step + count) % count;
    const std::wstring text = owner_.GetItemAt(index)->GetText().str();
    if (!text.empty() && std::towlower(static_cast<wint_t>(text[0])) == wanted) {
      Highlight(index);
      return;
    }
  }
}

void CComboWnd::OnPress(POINT point) {
  const RECT area = ItemsArea();
  if (!HasScrollBar() || point.x < area.right) return;
  const RECT thumb = ScrollThumb();
  if (point.y >= thumb.top && point.y < thumb.bottom) {
    drag_from_y_ = point.y;
    drag_from_scroll_ = scroll_;
    SetCapture(GetHWND());
    return;
  }
  const int page = area.bottom - area.top;
  ScrollTo(scroll_ + (point.y < thumb.top ? -page : page));
}

LRESULT CComboWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_CREATE:
      manager_.Init(GetHWND());
      manager_.AttachDialog(new CDropListUI(*this));
      return 0;
    case WM_MOUSEMOVE: {
      if (drag_from_y_ >= 0) {
        const RECT area = ItemsArea();
        const RECT thumb = ScrollThumb();
        const int free_track = (area.bottom - area.top) - (thumb.bottom - thumb.top);
        if (free_track > 0)
          ScrollTo(drag_from_scroll_ + (point.y - drag_from_y_) * MaxScroll() / free_track);
        return 0;
      }
      const int hot = ItemAt(point);
      if (hot >= 0 && hot != hot_item_) {
        hot_item_ = hot;
        manager_.Invalidate();
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
      OnPress(point);
      return 0;
    case WM_LBUTTONUP: {
      if (drag_from_y_ >= 0) {
        drag_from_y_ = -1;
        ReleaseCapture();
        return 0;
      }
      const int index = ItemAt(point);
      if (index >= 0) Pick(index);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      const int notches = static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA;
      const CControlUI* first = owner_.GetItemAt(0);
      const int row = first != nullptr ? ItemHeight(*first) : kDefaultItemHeight;
      ScrollTo(scroll_ - notches * kWheelItems * row);
      return 0;
    }
    case WM_KEYDOWN:
      OnKey(wParam);
      return 0;
    case WM_CLOSE:
      DestroyWindow(GetHWND());
      return 0;
    default: {
      LRESULT result = 0;
      if (manager_.MessageHandler(message, wParam, lParam, result)) return result;
      return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
  }
}

void CComboWnd::OnFinalMessage(HWND) {
  owner_.DropDownClosed();
  delete this;
}

CComboUI::CComboUI() = default;

CComboUI::~CComboUI() { CloseDropDown(); }

LPCTSTR CComboUI::GetClass() const { return L"Combo"; }

bool CComboUI::Add(CControlUI* item) { return AddAt(item, GetCount()); }

bool CComboUI::AddAt(CControlUI* item, int index) {
  const bool added = CContainerUI::AddAt(item, index);
  if (added && cur_sel_ >= index) ++cur_sel_;
  return added;
}

bool CComboUI::Remove(CControlUI* item) {
  const int index = GetItemIndex(item);
  if (!CContainerUI::Remove(item)) return false;
  if (index == cur_sel_)
    cur_sel_ = -1;
  else if (index < cur_sel_)
    --cur_sel_;
  return true;
}

void CComboUI::RemoveAll() {
  CloseDropDown();
  CContainerUI::RemoveAll();
  cur_sel_ = -1;
  Invalidate();
}

bool CComboUI::SelectItem(int index, bool take_focus) {
  if (index < -1 || index >= GetCount()) return false;
  if (take_focus) SetFocus();
  if (index == cur_sel_) return true;
  for (int i = 0; i < GetCount(); ++i) {
    if (auto* element = dynamic_cast<CListLabelElementUI*>(GetItemAt(i)))
      element->Select(i == index);
  }
  cur_sel_ = index;
  Invalidate();
  Notify(L"itemselect", static_cast<WPARAM>(index));
  return true;
}

CUiString CComboUI::GetText() const {
  const CControlUI* item = GetItemAt(cur_sel_);
  return item != nullptr ? item->GetText() : CUiString();
}

void CComboUI::SetEnabled(bool enabled) {
  if (!enabled) CloseDropDown();
  CContainerUI::SetEnabled(enabled);
}

void CComboUI::SetVisible(bool visible) {
  if (!visible) CloseDropDown();
  CContainerUI::SetVisible(visible);
}

bool CComboUI::IsDropped() const { return drop_down_ != nullptr && !drop_down_->IsClosing(); }

void CComboUI::OpenDropDown() {
  if (IsDropped() || GetManager() == nullptr || GetManager()->GetPaintWindow() == nullptr) return;
  CloseDropDown();  // one that is closing goes now
  Notify(L"predropdown");
  // A notifier may have disabled, hidden or removed the list meanwhile.
  if (!IsEnabled() || !IsVisible() || IsDropped()) return;
  drop_down_ = new CComboWnd(*this);
  drop_down_->Open();
}

void CComboUI::CloseDropDown() {
  if (drop_down_ != nullptr) DestroyWindow(drop_down_->GetHWND());
}

// The items live in the pop-up, not inside the closed box: they are neither placed nor hit here.
void CComboUI::SetPos(RECT pos) { CControlUI::SetPos(pos); }

CControlUI* CComboUI::FindControlAt(POINT point) { return CControlUI::FindControlAt(point); }

AttributeStatus CComboUI::ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<CComboUI> table = {
      {L"dropboxsize",
       [](CComboUI& c, const std::wstring& v) {
         const auto s = ParseSize(v);
         if (s && s->value.cy > 0) c.drop_box_height_ = s->value.cy;
         return s && s->in_range;
       }},
      {L"itembkcolor",
       [](CComboUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.item_bk_color_ = *color;
         return color.has_value();
       }},
      {L"itemhotbkcolor",
       [](CComboUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.item_hot_bk_color_ = *color;
         return color.has_value();
       }},
      {L"itemselectedbkcolor",
       [](CComboUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.item_selected_bk_color_ = *color;
         return color.has_value();
       }},
  };
  const AttributeStatus status = table.Apply(*this, name, value);
  return status == AttributeStatus::UnknownName ? CContainerUI::ApplyOwnAttribute(name, value)
                                                : status;
}

void CComboUI::DoEvent(TEventUI& event) {
  if (!IsEnabled()) return;
  switch (event.Type) {
    case UIEvent::ButtonDown:
      if (IsDropped())
        CloseDropDown();
      else
        OpenDropDown();
      break;
    case UIEvent::KillFocus:
      CloseDropDown();
      break;
    case UIEvent::KeyDown:
      OnKey(event.wParam, event.wKeyState);
      break;
    case UIEvent::Char:
      // A letter or digit goes to the open list, opening it first.
      if (std::iswalnum(static_cast<wint_t>(event.wParam)) != 0 &&
          (event.wKeyState & (kModControl | kModAlt)) == 0) {
        OpenDropDown();
        if (IsDropped()) drop_down_->OnChar(static_cast<wchar_t>(event.wParam));
      }
      break;
    default:
      CContainerUI::DoEvent(event);
      break;
  }
}

// A closed list only opens from the keyboard: its selection changes by a pick in the pop-up.
void CComboUI::OnKey(WPARAM key, WORD modifiers) {
  if (IsDropped()) {
    drop_down_->OnKey(key);
    return;
  }
  const bool opens = key == VK_DOWN || key == VK_UP || key == VK_SPACE || key == VK_F1 + 3;
  if (opens && (modifiers & kModControl) == 0) OpenDropDown();
}

RECT CComboUI::TextArea() const {
  RECT area = GetPos();
  area.left += ItemTextInset(*this);
  area.right -= kArrowWidth;
  return area;
}

void CComboUI::DoPaint(CRenderContext& context) {
  CControlUI::DoPaint(context);
  const RECT& pos = GetPos();
  context.FrameRect(pos, 0xFF9A9A9A);
  context.DrawText(GetText().str(), TextArea(), IsEnabled() ? GetTextColor() : 0xFFA7A6AA,
                   context.manager().GetFont(GetFont()), kAlignLeft | kAlignVCenter);
  // The drop-down arrow: a small triangle at the right.
  cairo_t* cr = context.cairo();
  const double cx = pos.right - 11;
  const double cy = (pos.top + pos.bottom) / 2.0;
  SetSourceArgb(cr, IsEnabled() ? 0xFF555555 : 0xFFA7A6AA);
  cairo_move_to(cr, cx - 4, cy - 2);
  cairo_line_to(cr, cx + 4, cy - 2);
  cairo_line_to(cr, cx, cy + 3);
  cairo_close_path(cr);
  cairo_fill(cr);
}

LPCTSTR CListLabelElementUI::GetClass() const { return L"ListLabelElement"; }

}  // namespace ui
