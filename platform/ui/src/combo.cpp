#include <algorithm>

#include "attribute_table.h"
#include "combo_window.h"
#include "ui/ui_controls.h"
#include "ui/ui_manager.h"
#include "render.h"

namespace ui {

namespace {

constexpr int kDefaultItemHeight = 24;

// The pop-up's one control: paints the owner's items and follows the mouse over them.
class CDropListUI : public CControlUI {
 public:
  explicit CDropListUI(CComboWnd& window) : window_(window) {}

  void DoPaint(CRenderContext& context) override {
    CComboUI& combo = window_.owner();
    context.FillRect(GetPos(), combo.GetItemBkColor());
    const FontInfo& fallback = combo.GetManager()->GetFont(combo.GetFont());
    for (int i = 0; i < combo.GetCount(); ++i) {
      const CControlUI* item = combo.GetItemAt(i);
      const RECT rect = window_.ItemRect(i);
      if (i == combo.GetCurSel())
        context.FillRect(rect, combo.GetItemSelectedBkColor());
      else if (i == window_.GetHotItem())
        context.FillRect(rect, combo.GetItemHotBkColor());
      context.FillRect(rect, item->GetBkColor());
      const RECT text{rect.left + 6, rect.top, rect.right - 6, rect.bottom};
      const FontInfo& font =
          item->GetFont() >= 0 ? combo.GetManager()->GetFont(item->GetFont()) : fallback;
      context.DrawText(item->GetText().str(), text, item->GetTextColor(), font,
                       kAlignLeft | kAlignVCenter);
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

RECT CComboWnd::ItemRect(int index) const {
  int top = 1;
  for (int i = 0; i < index; ++i) top += ItemHeight(*owner_.GetItemAt(i));
  RECT client{};
  GetClientRect(GetHWND(), &client);
  const CControlUI* item = owner_.GetItemAt(index);
  return RECT{1, top, client.right - 1, top + (item != nullptr ? ItemHeight(*item) : 0)};
}

int CComboWnd::ItemAt(POINT point) const {
  for (int i = 0; i < owner_.GetCount(); ++i) {
    const RECT rect = ItemRect(i);
    if (point.y >= rect.top && point.y < rect.bottom && point.x >= rect.left &&
        point.x < rect.right)
      return i;
  }
  return -1;
}

void CComboWnd::Open() {
  CPaintManagerUI* owner_manager = owner_.GetManager();
  const RECT& box = owner_.GetPos();
  POINT corner{box.left, box.bottom};
  ClientToScreen(owner_manager->GetPaintWindow(), &corner);
  int height = 2;
  for (int i = 0; i < owner_.GetCount(); ++i) height += ItemHeight(*owner_.GetItemAt(i));
  height = std::min(height, std::max(owner_.GetDropBoxHeight(), kDefaultItemHeight + 2));
  Create(owner_manager->GetPaintWindow(), L"", WS_POPUP, WS_EX_TOOLWINDOW, corner.x, corner.y,
         box.right - box.left, height);
  ShowWindow(true, false);
}

void CComboWnd::Pick(int index) {
  if (picked_) return;
  picked_ = true;
  ShowWindow(false, false);
  PostMessage(WM_CLOSE);
  owner_.SelectItem(index, false);
}

LRESULT CComboWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      manager_.Init(GetHWND());
      manager_.AttachDialog(new CDropListUI(*this));
      return 0;
    case WM_MOUSEMOVE: {
      const int hot = ItemAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (hot != hot_item_) {
        hot_item_ = hot;
        manager_.Invalidate();
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      const int index = ItemAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (index >= 0) Pick(index);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        PostMessage(WM_CLOSE);
      } else if (wParam == VK_RETURN && hot_item_ >= 0) {
        Pick(hot_item_);
      } else if (wParam == VK_DOWN || wParam == VK_UP) {
        const int step = wParam == VK_DOWN ? 1 : -1;
        hot_item_ = std::clamp(hot_item_ + step, 0, std::max(0, owner_.GetCount() - 1));
        manager_.Invalidate();
      }
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

bool CComboUI::IsDropped() const { return drop_down_ != nullptr; }

void CComboUI::OpenDropDown() {
  if (IsDropped() || GetManager() == nullptr || GetManager()->GetPaintWindow() == nullptr) return;
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
      if (event.wParam == VK_DOWN)
        SelectItem(std::min(cur_sel_ + 1, GetCount() - 1));
      else if (event.wParam == VK_UP && cur_sel_ > 0)
        SelectItem(cur_sel_ - 1);
      break;
    default:
      CContainerUI::DoEvent(event);
      break;
  }
}

void CComboUI::DoPaint(CRenderContext& context) {
  CControlUI::DoPaint(context);
  const RECT& pos = GetPos();
  context.FrameRect(pos, 0xFF9A9A9A);
  RECT text_area = pos;
  text_area.right -= 20;
  const RECT padding = GetTextPadding();
  text_area.left += padding.left > 0 ? padding.left : 6;
  context.DrawText(GetText().str(), text_area, IsEnabled() ? GetTextColor() : 0xFFA7A6AA,
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
