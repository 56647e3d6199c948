#include <algorithm>

#include "attribute_table.h"
#include "ui/ui_controls.h"
#include "ui/ui_manager.h"
#include "render.h"

namespace ui {

LPCTSTR CProgressUI::GetClass() const { return L"Progress"; }

void CProgressUI::SetMinValue(int value) {
  min_ = value;
  if (max_ < min_) max_ = min_;
  SetValue(value_);
}

void CProgressUI::SetMaxValue(int value) {
  max_ = value;
  if (min_ > max_) min_ = max_;
  SetValue(value_);
}

void CProgressUI::SetValue(int value) {
  value_ = std::clamp(value, min_, max_);
  Invalidate();
}

CUiString CProgressUI::GetAttribute(LPCTSTR name) const {
  const std::wstring key = name != nullptr ? name : L"";
  if (key == L"value") return std::to_wstring(value_);
  if (key == L"min") return std::to_wstring(min_);
  if (key == L"max") return std::to_wstring(max_);
  return CLabelUI::GetAttribute(name);
}

AttributeStatus CProgressUI::ApplyOwnAttribute(const std::wstring& name,
                                               const std::wstring& value) {
  static const AttributeTable<CProgressUI> table = {
      {L"min",
       [](CProgressUI& c, const std::wstring& v) {
         const auto n = ParseInt(v);
         if (n) c.SetMinValue(*n);
         return n.has_value();
       }},
      {L"max",
       [](CProgressUI& c, const std::wstring& v) {
         const auto n = ParseInt(v);
         if (n) c.SetMaxValue(*n);
         return n.has_value();
       }},
      {L"value",
       [](CProgressUI& c, const std::wstring& v) {
         const auto n = ParseInt(v);
         if (n) c.SetValue(*n);
         return n.has_value();
       }},
      {L"forecolor",
       [](CProgressUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.fore_color_ = *color;
         return color.has_value();
       }},
      {L"foreimage",
       [](CProgressUI& c, const std::wstring& v) {
         if (!v.empty() && !ParseImage(v)) return false;
         c.fore_image_ = v.c_str();
         return true;
       }},
  };
  const AttributeStatus status = table.Apply(*this, name, value);
  return status == AttributeStatus::UnknownName ? CLabelUI::ApplyOwnAttribute(name, value) : status;
}

int CProgressUI::ValueToX(int value) const {
  const RECT& pos = GetPos();
  if (max_ <= min_) return pos.left;
  return pos.left + static_cast<int>(static_cast<long long>(pos.right - pos.left) * (value - min_) /
                                     (max_ - min_));
}

void CProgressUI::DoPaint(CRenderContext& context) {
  CControlUI::DoPaint(context);
  RECT filled = GetPos();
  filled.right = ValueToX(value_);
  if (!fore_image_.IsEmpty()) {
    cairo_save(context.cairo());
    cairo_rectangle(context.cairo(), filled.left, filled.top, filled.right - filled.left,
                    filled.bottom - filled.top);
    cairo_clip(context.cairo());
    DrawImage(context, fore_image_, GetPos());
    cairo_restore(context.cairo());
  } else {
    context.FillRect(filled, fore_color_);
  }
  PaintText(context, GetText().str(), CurrentTextColor());
}

LPCTSTR CSliderUI::GetClass() const { return L"Slider"; }

AttributeStatus CSliderUI::ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<CSliderUI> table = {
      {L"step",
       [](CSliderUI& c, const std::wstring& v) {
         const auto n = ParseInt(v);
         if (n && *n > 0) c.step_ = *n;
         return n.has_value() && *n > 0;
       }},
      {L"thumbsize",
       [](CSliderUI& c, const std::wstring& v) {
         const auto s = ParseSize(v);
         if (s) c.thumb_size_ = s->value;
         return s && s->in_range;
       }},
      {L"thumbcolor",
       [](CSliderUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.thumb_color_ = *color;
         return color.has_value();
       }},
      {L"thumbimage",
       [](CSliderUI& c, const std::wstring& v) {
         if (!v.empty() && !ParseImage(v)) return false;
         c.thumb_image_ = v.c_str();
         return true;
       }},
  };
  const AttributeStatus status = table.Apply(*this, name, value);
  return status == AttributeStatus::UnknownName ? CProgressUI::ApplyOwnAttribute(name, value)
                                                : status;
}

RECT CSliderUI::GetThumbRect() const {
  const RECT& pos = GetPos();
  const int x = ValueToX(GetValue());
  const int middle = (pos.top + pos.bottom) / 2;
  return RECT{x - thumb_size_.cx / 2, middle - thumb_size_.cy / 2,
              x - thumb_size_.cx / 2 + thumb_size_.cx,
              middle - thumb_size_.cy / 2 + thumb_size_.cy};
}

int CSliderUI::XToValue(int x) const {
  const RECT& pos = GetPos();
  const int width = pos.right - pos.left;
  if (width <= 0) return GetMinValue();
  const long long span = GetMaxValue() - GetMinValue();
  const long long offset = std::clamp<long long>(x - pos.left, 0, width);
  // Rounded to the nearest value, so that the value's own x maps back to it.
  return GetMinValue() + static_cast<int>((offset * span + width / 2) / width);
}

void CSliderUI::DoEvent(TEventUI& event) {
  if (!IsEnabled()) return;
  const bool captured = GetManager() != nullptr && GetManager()->GetCapture() == this;
  switch (event.Type) {
    case UIEvent::ButtonDown:
      value_at_press_ = GetValue();
      SetValue(XToValue(event.ptMouse.x));
      break;
    case UIEvent::MouseMove:
      if (captured) SetValue(XToValue(event.ptMouse.x));
      break;
    case UIEvent::ButtonUp:
      SetValue(XToValue(event.ptMouse.x));
      if (GetValue() != value_at_press_) Notify(L"valuechanged");
      break;
    case UIEvent::KeyDown: {
      const int before = GetValue();
      if (event.wParam == VK_LEFT || event.wParam == VK_DOWN)
        SetValue(before - step_);
      else if (event.wParam == VK_RIGHT || event.wParam == VK_UP)
        SetValue(before + step_);
      else if (event.wParam == VK_HOME)
        SetValue(GetMinValue());
      else if (event.wParam == VK_END)
        SetValue(GetMaxValue());
      if (GetValue() != before) Notify(L"valuechanged");
      break;
    }
    default:
      CProgressUI::DoEvent(event);
      break;
  }
}

void CSliderUI::DoPaint(CRenderContext& context) {
  CProgressUI::DoPaint(context);
  const RECT thumb = GetThumbRect();
  if (thumb_image_.IsEmpty() || !DrawImage(context, thumb_image_, thumb)) {
    context.FillRect(thumb, thumb_color_);
    context.FrameRect(thumb, 0xFF808080);
  }
}

}  // namespace ui
