#include <algorithm>
#include <cwctype>

#include "attribute_table.h"
#include "clipboard_text.h"
#include "library_timers.h"
#include "ui/ui_controls.h"
#include "ui/ui_manager.h"
#include "render.h"
#include "win/selection.h"

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

bool IsSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }

// Ctrl+Right: past the rest of this word and the blanks after it; Ctrl+Left: back over blanks
// to the start of the word before.
int NextWordStart(const std::wstring& text, int from) {
  const int length = static_cast<int>(text.size());
  int i = from;
  while (i < length && !IsSpace(text[static_cast<size_t>(i)])) ++i;
  while (i < length && IsSpace(text[static_cast<size_t>(i)])) ++i;
  return i;
}

int PreviousWordStart(const std::wstring& text, int from) {
  int i = from;
  while (i > 0 && IsSpace(text[static_cast<size_t>(i - 1)])) --i;
  while (i > 0 && !IsSpace(text[static_cast<size_t>(i - 1)])) --i;
  return i;
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
  RestartBlink();
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
  RestartBlink();
}

void CEditUI::MoveCaretByKey(int to, bool shift) {
  MoveCaret(to, shift);
  if (shift) OfferSelection();
}

void CEditUI::OfferSelection() const {
  if (caret_ == anchor_) return;
  const int start = GetSelectionStart();
  win::OfferPrimarySelection(GetText().str().substr(
      static_cast<size_t>(start), static_cast<size_t>(GetSelectionEnd() - start)));
}

// Where the middle button went down, or over what taking the keyboard selected (a placeholder).
void CEditUI::PastePrimarySelection(int x) {
  const bool keep_selection = focus_fresh_ && caret_ != anchor_;
  focus_fresh_ = false;
  if (!keep_selection) MoveCaret(IndexAtX(x), false);
  InsertText(OneLine(win::PrimarySelectionText()));
}

void CEditUI::RestartBlink() {
  Invalidate();
  if (!IsFocused()) return;
  caret_on_ = true;
  GetManager()->SetTimer(this, kCaretTimer, kCaretBlinkMs);
}

// Scrolled only as far as the caret needs, and never past the text's end.
int CEditUI::Scroll() const {
  if (GetManager() == nullptr) return 0;
  const FontInfo& font = GetManager()->GetFont(GetFont());
  const std::wstring text = GetText().str();
  const RECT area = TextArea();
  const int width = std::max<int>(1, area.right - area.left - 1);
  const int caret_x = TextXAtIndex(text, font, caret_);
  if (caret_x - scroll_ > width) scroll_ = caret_x - width;
  if (caret_x < scroll_) scroll_ = caret_x;
  scroll_ = std::clamp(scroll_, 0, std::max(0, TextWidth(text, font) - width));
  return scroll_;
}

int CEditUI::IndexAtX(int x) const {
  const int offset = x - TextArea().left + Scroll();
  return TextIndexAtX(GetText().str(), GetManager()->GetFont(GetFont()), offset);
}

RECT CEditUI::GetCaretRect() const {
  const RECT area = TextArea();
  const int x = GetManager() != nullptr
                    ? area.left - Scroll() +
                          TextXAtIndex(GetText().str(), GetManager()->GetFont(GetFont()), caret_)
                    : area.left;
  return RECT{x, GetPos().top + GetTextPadding().top + 3, x + 1,
              GetPos().bottom - GetTextPadding().bottom - 3};
}

void CEditUI::OnKey(WPARAM key, WORD modifiers) {
  const bool shift = (modifiers & kModShift) != 0;
  const bool word = (modifiers & kModControl) != 0;
  const int length = GetText().GetLength();
  switch (key) {
    case VK_LEFT:
      MoveCaretByKey(word                          ? PreviousWordStart(GetText().str(), caret_)
                     : !shift && caret_ != anchor_ ? GetSelectionStart()
                                                   : caret_ - 1,
                     shift);
      break;
    case VK_RIGHT:
      MoveCaretByKey(word                          ? NextWordStart(GetText().str(), caret_)
                     : !shift && caret_ != anchor_ ? GetSelectionEnd()
                                                   : caret_ + 1,
                     shift);
      break;
    case VK_HOME:
      MoveCaretByKey(0, shift);
      break;
    case VK_END:
      MoveCaretByKey(length, shift);
      break;
    case VK_DELETE:
      if (!DeleteSelection() && caret_ < length) {
        std::wstring text = GetText().str();
        text.erase(static_cast<size_t>(caret_), 1);
        ReplaceText(std::move(text), caret_);
      }
      break;
    case 'A':
      if ((modifiers & kModControl) != 0) {
        SetSel(0, length);
        OfferSelection();
      }
      break;
    case 'C':
    case 'X':
      if ((modifiers & kModControl) != 0 && caret_ != anchor_) {
        const int start = GetSelectionStart();
        CopyTextToClipboard(PaintWindow(),
                            GetText().str().substr(static_cast<size_t>(start),
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
      MoveCaret(IndexAtX(event.ptMouse.x), (event.wKeyState & kModShift) != 0);
      break;
    }
    case UIEvent::MouseMove:
      if (placing_ && GetManager() != nullptr && GetManager()->GetCapture() == this)
        MoveCaret(IndexAtX(event.ptMouse.x), true);
      break;
    case UIEvent::ButtonUp:
      if (placing_) OfferSelection();
      placing_ = false;
      break;
    case UIEvent::MiddleButtonDown:
      PastePrimarySelection(event.ptMouse.x);
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
      RestartBlink();
      break;
    case UIEvent::KillFocus:
      focus_fresh_ = false;
      caret_on_ = false;
      GetManager()->KillTimer(this, kCaretTimer);
      Invalidate();
      break;
    case UIEvent::Timer:
      caret_on_ = !caret_on_;
      Invalidate();
      break;
    default:
      CLabelUI::DoEvent(event);
      break;
  }
}

void CEditUI::DoPaint(CRenderContext& context) {
  CControlUI::DoPaint(context);
  const FontInfo& font = context.manager().GetFont(GetFont());
  const std::wstring text = GetText().str();
  const RECT area = TextArea();
  const int origin = area.left - Scroll();
  const RECT caret = GetCaretRect();
  if (IsFocused() && caret_ != anchor_) {
    const int x1 = std::max<int>(area.left, origin + TextXAtIndex(text, font, GetSelectionStart()));
    const int x2 = std::min<int>(area.right, origin + TextXAtIndex(text, font, GetSelectionEnd()));
    context.FillRect(RECT{x1, caret.top, x2, caret.bottom}, selected_bk_color_);
  }
  context.DrawTextLine(text, origin, area, CurrentTextColor(), font);
  if (IsCaretShown()) context.FillRect(caret, GetTextColor());
}

}  // namespace ui
