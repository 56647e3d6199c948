#include "attribute_table.h"
#include "ui/ui_controls.h"
#include "ui/ui_manager.h"
#include "render.h"

namespace ui {

namespace {

// An image attribute is empty (no image) or a description that parses.
bool SetImage(CButtonUI& button, void (CButtonUI::*setter)(LPCTSTR), const std::wstring& value) {
  if (!value.empty() && !ParseImage(value)) return false;
  (button.*setter)(value.c_str());
  return true;
}

}  // namespace

LPCTSTR CLabelUI::GetClass() const { return L"Label"; }

AttributeStatus CLabelUI::ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<CLabelUI> table = {
      {L"disabledtextcolor",
       [](CLabelUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.disabled_text_color_ = *color;
         return color.has_value();
       }},
  };
  const AttributeStatus status = table.Apply(*this, name, value);
  return status == AttributeStatus::UnknownName ? CControlUI::ApplyOwnAttribute(name, value)
                                                : status;
}

DWORD CLabelUI::CurrentTextColor() const {
  return IsEnabled() ? GetTextColor() : disabled_text_color_;
}

void CLabelUI::DoPaint(CRenderContext& context) {
  CControlUI::DoPaint(context);
  PaintText(context, GetText().str(), CurrentTextColor());
}

CButtonUI::CButtonUI() { SetAttribute(L"align", L"center"); }

LPCTSTR CButtonUI::GetClass() const { return L"Button"; }

void CButtonUI::SetNormalImage(LPCTSTR image) {
  normal_image_ = image;
  Invalidate();
}

void CButtonUI::SetHotImage(LPCTSTR image) {
  hot_image_ = image;
  Invalidate();
}

void CButtonUI::SetPushedImage(LPCTSTR image) {
  pushed_image_ = image;
  Invalidate();
}

void CButtonUI::SetDisabledImage(LPCTSTR image) {
  disabled_image_ = image;
  Invalidate();
}

CUiString CButtonUI::GetAttribute(LPCTSTR name) const {
  const std::wstring key = name != nullptr ? name : L"";
  if (key == L"normalimage") return normal_image_;
  if (key == L"hotimage") return hot_image_;
  if (key == L"pushedimage") return pushed_image_;
  if (key == L"disabledimage") return disabled_image_;
  return CLabelUI::GetAttribute(name);
}

AttributeStatus CButtonUI::ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<CButtonUI> table = {
      {L"normalimage",
       [](CButtonUI& c, const std::wstring& v) {
         return SetImage(c, &CButtonUI::SetNormalImage, v);
       }},
      {L"hotimage",
       [](CButtonUI& c, const std::wstring& v) { return SetImage(c, &CButtonUI::SetHotImage, v); }},
      {L"pushedimage",
       [](CButtonUI& c, const std::wstring& v) {
         return SetImage(c, &CButtonUI::SetPushedImage, v);
       }},
      {L"disabledimage",
       [](CButtonUI& c, const std::wstring& v) {
         return SetImage(c, &CButtonUI::SetDisabledImage, v);
       }},
      {L"hottextcolor",
       [](CButtonUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.hot_text_color_ = *color;
         return color.has_value();
       }},
      {L"hotbkcolor",
       [](CButtonUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.hot_bk_color_ = *color;
         return color.has_value();
       }},
      {L"pushedbkcolor",
       [](CButtonUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.pushed_bk_color_ = *color;
         return color.has_value();
       }},
  };
  const AttributeStatus status = table.Apply(*this, name, value);
  return status == AttributeStatus::UnknownName ? CLabelUI::ApplyOwnAttribute(name, value) : status;
}

bool CButtonUI::Activate() {
  if (!IsEnabled() || !IsShown()) return false;
  Notify(L"click");
  return true;
}

void CButtonUI::DoEvent(TEventUI& event) {
  if (!IsEnabled()) return;
  switch (event.Type) {
    case UIEvent::ButtonDown:
    case UIEvent::DoubleClick:
      pushed_ = true;
      Invalidate();
      break;
    case UIEvent::MouseMove:
      if (GetManager() != nullptr && GetManager()->GetCapture() == this) {
        const bool inside = CControlUI::FindControlAt(event.ptMouse) != nullptr;
        if (inside != pushed_) {
          pushed_ = inside;
          Invalidate();
        }
      }
      break;
    case UIEvent::ButtonUp: {
      const bool clicked = pushed_ && CControlUI::FindControlAt(event.ptMouse) != nullptr;
      pushed_ = false;
      Invalidate();
      if (clicked) Notify(L"click");
      break;
    }
    case UIEvent::KeyDown:
      if (event.wParam == VK_RETURN || event.wParam == VK_SPACE) Notify(L"click");
      break;
    default:
      CLabelUI::DoEvent(event);
      break;
  }
}

void CButtonUI::DoPaint(CRenderContext& context) {
  PaintBkColor(context);
  if (IsEnabled() && pushed_ && pushed_bk_color_ != 0)
    context.FillRect(GetPos(), pushed_bk_color_);
  else if (IsEnabled() && hot_ && hot_bk_color_ != 0)
    context.FillRect(GetPos(), hot_bk_color_);
  PaintBkImage(context);
  // The state's own image, falling back to the normal one when the state has none.
  const CUiString* image = &normal_image_;
  if (!IsEnabled() && !disabled_image_.IsEmpty())
    image = &disabled_image_;
  else if (IsEnabled() && pushed_ && !pushed_image_.IsEmpty())
    image = &pushed_image_;
  else if (IsEnabled() && hot_ && !hot_image_.IsEmpty())
    image = &hot_image_;
  if (!image->IsEmpty()) DrawImage(context, *image, GetPos());
  const DWORD color =
      (IsEnabled() && hot_ && hot_text_color_ != 0) ? hot_text_color_ : CurrentTextColor();
  PaintText(context, GetText().str(), color);
}

}  // namespace ui
