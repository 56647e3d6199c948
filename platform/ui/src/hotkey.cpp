#include <cwctype>
#include <string>

#include "ui/ui_controls.h"
#include "ui/ui_manager.h"
#include "render.h"

namespace ui {

namespace {

bool IsModifierKey(WPARAM key) { return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU; }

std::wstring KeyName(WORD key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
    return std::wstring(1, static_cast<wchar_t>(key));
  if (key >= VK_F1 && key <= VK_F12) return L"F" + std::to_wstring(key - VK_F1 + 1);
  switch (key) {
    case VK_SPACE:
      return L"Space";
    case VK_RETURN:
      return L"Enter";
    case VK_TAB:
      return L"Tab";
    case VK_ESCAPE:
      return L"Esc";
    case VK_BACK:
      return L"Backspace";
    case VK_DELETE:
      return L"Delete";
    case VK_INSERT:
      return L"Insert";
    case VK_HOME:
      return L"Home";
    case VK_END:
      return L"End";
    case VK_PRIOR:
      return L"Page Up";
    case VK_NEXT:
      return L"Page Down";
    case VK_LEFT:
      return L"Left";
    case VK_RIGHT:
      return L"Right";
    case VK_UP:
      return L"Up";
    case VK_DOWN:
      return L"Down";
    default:
      return key == 0 ? L"" : L"#" + std::to_wstring(key);
  }
}

std::wstring HotKeyText(WORD key, WORD modifiers) {
  std::wstring text;
  if (modifiers & kModControl) text += L"Ctrl + ";
  if (modifiers & kModShift) text += L"Shift + ";
  if (modifiers & kModAlt) text += L"Alt + ";
  return text + KeyName(key);
}

std::wstring Trimmed(const std::wstring& text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// The key a shown text names ("Ctrl + Alt + S"), or 0 when it names none.
void ParseHotKeyText(const std::wstring& text, WORD& key, WORD& modifiers) {
  key = 0;
  modifiers = 0;
  size_t start = 0;
  for (;;) {
    const size_t plus = text.find(L'+', start);
    std::wstring part =
        Trimmed(text.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start));
    for (auto& ch : part) ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
    if (part == L"CTRL")
      modifiers |= kModControl;
    else if (part == L"SHIFT")
      modifiers |= kModShift;
    else if (part == L"ALT")
      modifiers |= kModAlt;
    else if (part.size() == 1 &&
             ((part[0] >= L'A' && part[0] <= L'Z') || (part[0] >= L'0' && part[0] <= L'9')))
      key = static_cast<WORD>(part[0]);
    else if (part.size() >= 2 && part[0] == L'F' && std::iswdigit(static_cast<wint_t>(part[1]))) {
      const int n = std::stoi(part.substr(1));
      if (n >= 1 && n <= 12) key = static_cast<WORD>(VK_F1 + static_cast<UINT>(n) - 1);
    }
    if (plus == std::wstring::npos) break;
    start = plus + 1;
  }
}

}  // namespace

LPCTSTR CHotKeyUI::GetClass() const { return L"HotKey"; }

void CHotKeyUI::GetHotKey(WORD& virtual_key, WORD& modifiers) const {
  virtual_key = key_;
  modifiers = modifiers_;
}

void CHotKeyUI::SetHotKey(WORD virtual_key, WORD modifiers) {
  key_ = virtual_key;
  modifiers_ = modifiers & (kModShift | kModControl | kModAlt);
  CLabelUI::SetText(HotKeyText(key_, modifiers_).c_str());
}

void CHotKeyUI::SetText(LPCTSTR text) {
  ParseHotKeyText(text != nullptr ? text : L"", key_, modifiers_);
  CLabelUI::SetText(text);
}

void CHotKeyUI::DoEvent(TEventUI& event) {
  if (!IsEnabled()) return;
  if (event.Type == UIEvent::KeyDown) {
    const WORD key = IsModifierKey(event.wParam) ? 0 : static_cast<WORD>(event.wParam);
    const WORD before_key = key_;
    const WORD before_modifiers = modifiers_;
    const CUiString before_text = GetText();
    // Backspace or Delete alone clears the field.
    if ((key == VK_BACK || key == VK_DELETE) && event.wKeyState == 0) {
      key_ = 0;
      modifiers_ = 0;
      CLabelUI::SetText(L"");
    } else {
      SetHotKey(key, event.wKeyState);
    }
    if (key_ != before_key || modifiers_ != before_modifiers || GetText() != before_text)
      Notify(L"textchanged");
    return;
  }
  if (event.Type == UIEvent::SetFocus || event.Type == UIEvent::KillFocus) Invalidate();
  CLabelUI::DoEvent(event);
}

void CHotKeyUI::DoPaint(CRenderContext& context) {
  CLabelUI::DoPaint(context);
  if (IsFocused()) context.FrameRect(GetPos(), 0xFF3C8CE7);
}

}  // namespace ui
