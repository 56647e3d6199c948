#include "attribute_table.h"
#include "diagnostics.h"
#include "ui/ui_control.h"
#include "ui/ui_manager.h"
#include "render.h"

namespace ui {

namespace {

std::wstring BoolText(bool value) { return value ? L"true" : L"false"; }

bool ApplyAlign(UINT& align, const std::wstring& value) {
  UINT horizontal = 0;
  if (value == L"left")
    horizontal = kAlignLeft;
  else if (value == L"center")
    horizontal = kAlignCenter;
  else if (value == L"right")
    horizontal = kAlignRight;
  else
    return false;
  align = (align & ~(kAlignCenter | kAlignRight)) | horizontal;
  return true;
}

bool ApplyVAlign(UINT& align, const std::wstring& value) {
  UINT vertical = 0;
  if (value == L"top")
    vertical = kAlignTop;
  else if (value == L"vcenter" || value == L"center")
    vertical = kAlignVCenter;
  else if (value == L"bottom")
    vertical = kAlignBottom;
  else
    return false;
  align = (align & ~(kAlignVCenter | kAlignBottom)) | vertical;
  return true;
}

}  // namespace

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
  if (manager_ != nullptr) manager_->ReapControl(this);
}

LPCTSTR CControlUI::GetClass() const { return L"Control"; }

void CControlUI::SetText(LPCTSTR text) {
  if (text_ == CUiString(text)) return;
  text_ = text;
  Invalidate();
}

void CControlUI::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (!visible && manager_ != nullptr) manager_->ReapControl(this);
  NeedUpdate();
}

void CControlUI::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (!enabled) {
    hot_ = false;
    pushed_ = false;
  }
  Invalidate();
}

bool CControlUI::IsShown() const {
  for (const CControlUI* control = this; control != nullptr; control = control->parent_) {
    if (!control->visible_) return false;
  }
  return true;
}

bool CControlUI::IsFocused() const { return manager_ != nullptr && manager_->GetFocus() == this; }

void CControlUI::SetFocus() {
  if (manager_ != nullptr) manager_->SetFocus(this);
}

void CControlUI::SetFixedWidth(int width) {
  fixed_width_ = width < 0 ? 0 : width;
  NeedUpdate();
}

void CControlUI::SetFixedHeight(int height) {
  fixed_height_ = height < 0 ? 0 : height;
  NeedUpdate();
}

void CControlUI::SetPadding(RECT padding) {
  padding_ = padding;
  NeedUpdate();
}

void CControlUI::SetFloat(bool floating) {
  float_ = floating;
  NeedUpdate();
}

void CControlUI::SetFloatPos(RECT pos) {
  float_pos_ = pos;
  float_ = true;
  NeedUpdate();
}

void CControlUI::SetBkColor(DWORD argb) {
  bk_color_ = argb;
  Invalidate();
}

void CControlUI::SetTextColor(DWORD argb) {
  text_color_ = argb;
  Invalidate();
}

void CControlUI::SetBkImage(LPCTSTR image) {
  bk_image_ = image;
  Invalidate();
}

void CControlUI::SetFont(int font_id) {
  font_ = font_id;
  Invalidate();
}

void CControlUI::Invalidate() {
  if (manager_ != nullptr) manager_->Invalidate(pos_);
}

void CControlUI::NeedUpdate() {
  if (manager_ != nullptr) manager_->NeedUpdate();
}

void CControlUI::SetAttribute(LPCTSTR name, LPCTSTR value) {
  const AttributeStatus status = ApplyAttribute(name, value);
  if (status == AttributeStatus::Applied) return;
  ReportProblem(std::wstring(status == AttributeStatus::UnknownName ? L"unknown attribute '"
                                                                    : L"bad value for '") +
                (name != nullptr ? name : L"") + L"' = '" + (value != nullptr ? value : L"") +
                L"' on " + GetClass() + L" '" + name_.str() + L"'");
}

AttributeStatus CControlUI::ApplyAttribute(LPCTSTR name, LPCTSTR value) {
  const std::wstring key = name != nullptr ? name : L"";
  const std::wstring text = value != nullptr ? value : L"";
  const AttributeStatus status = ApplyOwnAttribute(key, text);
  if (status == AttributeStatus::Applied) {
    attributes_[key] = text;
    NeedUpdate();
  }
  return status;
}

CUiString CControlUI::GetAttribute(LPCTSTR name) const {
  const std::wstring key = name != nullptr ? name : L"";
  if (key == L"text") return GetText();
  if (key == L"visible") return BoolText(visible_);
  if (key == L"enabled") return BoolText(enabled_);
  if (key == L"width") return std::to_wstring(fixed_width_);
  if (key == L"height") return std::to_wstring(fixed_height_);
  const auto found = attributes_.find(key);
  return found == attributes_.end() ? CUiString() : CUiString(found->second);
}

AttributeStatus CControlUI::ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<CControlUI> table = {
      {L"name",
       [](CControlUI& c, const std::wstring& v) {
         c.SetName(v.c_str());
         return true;
       }},
      {L"text",
       [](CControlUI& c, const std::wstring& v) {
         c.SetText(v.c_str());
         return true;
       }},
      {L"tooltip",
       [](CControlUI& c, const std::wstring& v) {
         c.SetToolTip(v.c_str());
         return true;
       }},
      {L"visible",
       [](CControlUI& c, const std::wstring& v) {
         const auto b = ParseBool(v);
         if (b) c.SetVisible(*b);
         return b.has_value();
       }},
      {L"enabled",
       [](CControlUI& c, const std::wstring& v) {
         const auto b = ParseBool(v);
         if (b) c.SetEnabled(*b);
         return b.has_value();
       }},
      {L"width",
       [](CControlUI& c, const std::wstring& v) {
         const auto n = ParseLength(v);
         if (n) c.SetFixedWidth(n->value);
         return n && n->in_range && n->value >= 0;
       }},
      {L"height",
       [](CControlUI& c, const std::wstring& v) {
         const auto n = ParseLength(v);
         if (n) c.SetFixedHeight(n->value);
         return n && n->in_range && n->value >= 0;
       }},
      {L"padding",
       [](CControlUI& c, const std::wstring& v) {
         const auto r = ParseRect(v);
         if (r) c.SetPadding(r->value);
         return r && r->in_range;
       }},
      {L"float",
       [](CControlUI& c, const std::wstring& v) {
         const auto b = ParseBool(v);
         if (b) c.SetFloat(*b);
         return b.has_value();
       }},
      {L"pos",
       [](CControlUI& c, const std::wstring& v) {
         const auto r = ParseRect(v);
         if (r) c.float_pos_ = r->value;
         return r && r->in_range;
       }},
      {L"bkcolor",
       [](CControlUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.SetBkColor(*color);
         return color.has_value();
       }},
      {L"textcolor",
       [](CControlUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.SetTextColor(*color);
         return color.has_value();
       }},
      {L"bkimage",
       [](CControlUI& c, const std::wstring& v) {
         if (!v.empty() && !ParseImage(v)) return false;
         c.SetBkImage(v.c_str());
         return true;
       }},
      {L"font",
       [](CControlUI& c, const std::wstring& v) {
         const auto n = ParseInt(v);
         if (n) c.SetFont(*n);
         return n.has_value();
       }},
      {L"align", [](CControlUI& c, const std::wstring& v) { return ApplyAlign(c.text_align_, v); }},
      {L"valign",
       [](CControlUI& c, const std::wstring& v) { return ApplyVAlign(c.text_align_, v); }},
      {L"wordbreak",
       [](CControlUI& c, const std::wstring& v) {
         const auto b = ParseBool(v);
         if (b)
           c.text_align_ =
               *b ? (c.text_align_ | kAlignWordBreak) : (c.text_align_ & ~kAlignWordBreak);
         return b.has_value();
       }},
      {L"textpadding",
       [](CControlUI& c, const std::wstring& v) {
         const auto r = ParseRect(v);
         if (r) c.text_padding_ = r->value;
         return r && r->in_range;
       }},
  };
  return table.Apply(*this, name, value);
}

void CControlUI::SetPos(RECT pos) {
  Invalidate();
  pos_ = pos;
  Invalidate();
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
  manager_ = manager;
  parent_ = parent;
}

SIZE CControlUI::EstimateSize(SIZE) const { return SIZE{fixed_width_, fixed_height_}; }

void CControlUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEvent::MouseEnter:
      hot_ = true;
      Invalidate();
      break;
    case UIEvent::MouseLeave:
      hot_ = false;
      Invalidate();
      break;
    default:
      break;
  }
}

void CControlUI::DoPaint(CRenderContext& context) {
  PaintBkColor(context);
  PaintBkImage(context);
}

CControlUI* CControlUI::FindControlAt(POINT point) {
  if (!visible_) return nullptr;
  const bool inside =
      point.x >= pos_.left && point.x < pos_.right && point.y >= pos_.top && point.y < pos_.bottom;
  return inside ? this : nullptr;
}

CControlUI* CControlUI::FindControlByName(const CUiString& name) {
  return name_ == name ? this : nullptr;
}

void CControlUI::PaintBkColor(CRenderContext& context) { context.FillRect(pos_, bk_color_); }

void CControlUI::PaintBkImage(CRenderContext& context) {
  if (!bk_image_.IsEmpty()) DrawImage(context, bk_image_, pos_);
}

bool CControlUI::DrawImage(CRenderContext& context, const CUiString& image, RECT rect) {
  const auto description = ParseImage(image.str());
  return description && context.DrawImage(*description, rect);
}

RECT CControlUI::TextArea() const {
  return RECT{pos_.left + text_padding_.left, pos_.top + text_padding_.top,
              pos_.right - text_padding_.right, pos_.bottom - text_padding_.bottom};
}

void CControlUI::PaintText(CRenderContext& context, const std::wstring& text, DWORD color) {
  context.DrawText(text, TextArea(), color, context.manager().GetFont(font_), text_align_);
}

// Wrapped text is laid out to its box by the layout; only a single line is cut off at its end.
CUiString CControlUI::GetHoverText() const {
  if (!tooltip_.IsEmpty() || manager_ == nullptr) return tooltip_;
  const std::wstring text = GetText().str();
  if (text.empty() || (text_align_ & kAlignWordBreak) != 0) return CUiString();
  const RECT area = TextArea();
  return TextWidth(text, manager_->GetFont(font_)) > area.right - area.left ? GetText()
                                                                            : CUiString();
}

void CControlUI::Notify(LPCTSTR type, WPARAM wParam, LPARAM lParam) {
  if (manager_ != nullptr) manager_->SendNotify(this, type, wParam, lParam);
}

}  // namespace ui
