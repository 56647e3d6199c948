#include <algorithm>

#include "attribute_table.h"
#include "clipboard_text.h"
#include "ui/ui_controls.h"
#include "ui/ui_manager.h"
#include "render.h"

namespace ui {

namespace {

// What a one-line field takes of pasted text: line breaks and other control characters go.
std::wstring OneLine(const std::wstring& text) {
  std::wstring line;
  for (wchar_t c : text) {
    if (c >= 0x20 && c != 0x7F) line += c;
  }
  return line;
}

}  // namespace

LPCTSTR CEditUI::GetClass() const { return L"Edit"; }

void CEditUI::SetText(LPCTSTR text) {
  const std::wstring value = text != nullptr ? text : L"";
  const int length = static_cast<int>(value.size());
  CLabelUI::SetText(value.c_str());
  caret_ = anchor_ = length;
}

int CEditUI::GetSelectionStart() const { return std::min(caret_, anchor_); }
int CEditUI::GetSelectionEnd() const { return std::max(caret_, anchor_); }

void CEditUI::SetSel(int start, int end) {
  const int length = GetText().GetLength();
  if (end < 0 || end > length) end = length;
  anchor_ = std::clamp(start, 0, length);
  caret_ = end;
  Invalidate();
}

AttributeStatus CEditUI::ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<CEditUI> table = {
      {L"maxchar",
       [](CEditUI& c, const std::wstring& v) {
         const auto n = ParseInt(v);
         if (n && *n > 0) c.max_char_ = *n;
         return n.has_value() && *n > 0;
       }},
      {L"selectedbkcolor",
       [](CEditUI& c, const std::wstring& v) {
         const auto color = ParseColor(v);
         if (color) c.selected_bk_color_ = *color;
         return color.has_value();
       }},
  };
  const AttributeStatus status = table.Apply(*this, name, value);
  return status == AttributeStatus::UnknownName ? CLabelUI::ApplyOwnAttribute(name, value) : status;
}

void CEditUI::ReplaceText(std::wstring text, int caret) {
  const bool changed = text != GetText().str();
  CLabelUI::SetText(text.c_str());
  caret_ = anchor_ = caret;
  Invalidate();
  if (changed) Notify(L"textchanged");
}

bool CEditUI::DeleteSelection() {
  if (caret_ == anchor_) return false;
  std::wstring text = GetText().str();
  const int start = GetSelectionStart();
  text.erase(static_cast<size_t>(start), static_cast<size_t>(GetSelectionEnd() - start));
  ReplaceText(std::move(text), start);
  return true;
}

void CEditUI::InsertText(const std::wstring& typed) {
  std::wstring text = GetText().str();
  const int start = GetSelectionStart();
  text.erase(static_cast<size_t>(start), static_cast<size_t>(GetSelectionEnd() - start));
  const size_t room = text.size() >= static_cast<size_t>(max_char_)
                          ? 0
                          : static_cast<size_t>(max_char_) - text.size();
  const std::wstring fitting = typed.substr(0, room);
  text.insert(static_cast<size_t>(start), fitting);
  ReplaceText(std::move(text), start + static_cast<int>(fitting.size()));
}

HWND CEditUI::PaintWindow() const {
  return GetManager() != nullptr ? GetManager()->GetPaintWindow() : nullptr;
}

void CEditUI::MoveCaret(int to, bool extend) {
  caret_ = std::clamp(to, 0, GetText().GetLength());
  if (!extend) anchor_ = caret_;
  Invalidate();
}

void CEditUI::OnKey(WPARAM key, WORD modifiers) {
  const bool shift = (modifiers & kModShift) != 0;
  const int length = GetText().GetLength();
  switch (key) {
    case VK_LEFT:
      MoveCaret(!shift && caret_ != anchor_ ? GetSelectionStart() : caret_ - 1, shift);
      break;
    case VK_RIGHT:
      MoveCaret(!shift && caret_ != anchor_ ? GetSelectionEnd() : caret_ + 1, shift);
      break;
    case VK_HOME:
      MoveCaret(0, shift);
      break;
    case VK_END:
      MoveCaret(length, shift);
      break;
    case VK_DELETE:
      if (!DeleteSelection() && caret_ < length) {
        std::wstring text = GetText().str();
        text.erase(static_cast<size_t>(caret_), 1);
        ReplaceText(std::move(text), caret_);
      }
      break;
    case 'A':
      if ((modifiers & kModControl) != 0) SetSel(0, length);
      break;
    case 'C':
    case 'X':
      if ((modifiers & kModControl) != 0 && caret_ != anchor_) {
        const int start = GetSelectionStart();
        CopyTextToClipboard(PaintWindow(), GetText().str().substr(static_cast<size_t>(start),
                                                                  static_cast<size_t>(GetSelectionEnd() - start)));
        if (key == 'X') DeleteSelection();
      }
      break;
    case 'V':
      if ((modifiers & kModControl) != 0) InsertText(OneLine(TextFromClipboard(PaintWindow())));
      break;
    default:
      break;
  }
}

void CEditUI::DoEvent(TEventUI& event) {
  if (!IsEnabled()) return;
  switch (event.Type) {
    case UIEvent::ButtonDown: {
      // The press that gave the field the keyboard keeps what taking it selected (a
      // placeholder to be typed over); a press in a field that had it places the caret.
      const bool keep_selection = focus_fresh_ && caret_ != anchor_;
      focus_fresh_ = false;
      placing_ = !keep_selection;
      if (keep_selection) break;
      const RECT& pos = GetPos();
      const int x = event.ptMouse.x - pos.left - GetTextPadding().left;
      const int index = TextIndexAtX(GetText().str(), GetManager()->GetFont(GetFont()), x);
      MoveCaret(index, (event.wKeyState & kModShift) != 0);
      break;
    }
    case UIEvent::MouseMove:
      if (placing_ && GetManager() != nullptr && GetManager()->GetCapture() == this) {
        const int x = event.ptMouse.x - GetPos().left - GetTextPadding().left;
        MoveCaret(TextIndexAtX(GetText().str(), GetManager()->GetFont(GetFont()), x), true);
      }
      break;
    case UIEvent::KeyDown:
      focus_fresh_ = false;
      OnKey(event.wParam, event.wKeyState);
      break;
    case UIEvent::Char: {
      const wchar_t ch = static_cast<wchar_t>(event.wParam);
      if (ch == L'\b') {
        if (!DeleteSelection() && caret_ > 0) {
          std::wstring text = GetText().str();
          text.erase(static_cast<size_t>(caret_ - 1), 1);
          ReplaceText(std::move(text), caret_ - 1);
        }
      } else if (ch >= 0x20 && ch != 0x7F && (event.wKeyState & kModControl) == 0) {
        InsertText(std::wstring(1, ch));
      }
      break;
    }
    case UIEvent::SetFocus:
      focus_fresh_ = true;
      Invalidate();
      break;
    case UIEvent::KillFocus:
      focus_fresh_ = false;
      Invalidate();
      break;
    default:
      CLabelUI::DoEvent(event);
      break;
  }
}

void CEditUI::DoPaint(CRenderContext& context) {
  CControlUI::DoPaint(context);
  const RECT& pos = GetPos();
  const RECT padding = GetTextPadding();
  const FontInfo& font = context.manager().GetFont(GetFont());
  const std::wstring text = GetText().str();
  const int origin = pos.left + padding.left;
  const int top = pos.top + padding.top + 3;
  const int bottom = pos.bottom - padding.bottom - 3;
  if (IsFocused() && caret_ != anchor_) {
    const int x1 = origin + TextXAtIndex(text, font, GetSelectionStart());
    const int x2 = origin + TextXAtIndex(text, font, GetSelectionEnd());
    context.FillRect(RECT{x1, top, x2, bottom}, selected_bk_color_);
  }
  PaintText(context, text, CurrentTextColor());
  if (IsFocused()) {
    const int x = origin + TextXAtIndex(text, font, caret_);
    context.FillRect(RECT{x, top, x + 1, bottom}, GetTextColor());
  }
}

}  // namespace ui
