#include <optional>
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
  if (key >= VK_F1 && key <= VK_F24) return L"F" + std::to_wstring(key - VK_F1 + 1);
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

// Names compare without their spaces and case: "page  up" is "Page Up".
std::wstring Folded(const std::wstring& text) {
  std::wstring folded;
  for (wchar_t ch : text) {
    if (ch == L' ' || ch == L'\t') continue;
    folded += (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
  }
  return folded;
}

constexpr WORD kLastKey = 0xFE;

// Every name KeyName writes reads back as its key; searching them keeps one table of names.
std::optional<WORD> KeyOfName(const std::wstring& folded) {
  if (folded.empty() || folded.size() > 12) return std::nullopt;
  for (WORD key = 1; key <= kLastKey; ++key) {
    if (!IsModifierKey(key) && Folded(KeyName(key)) == folded) return key;
  }
  return std::nullopt;
}

std::optional<WORD> ModifierOfWord(const std::wstring& folded) {
  if (folded == L"CTRL") return kModControl;
  if (folded == L"SHIFT") return kModShift;
  if (folded == L"ALT") return kModAlt;
  if (folded == L"WIN") return kModWin;
  return std::nullopt;
}

constexpr WORD kAllModifiers = kModShift | kModControl | kModAlt | kModWin;

}  // namespace

std::wstring HotKeyText(WORD key, WORD modifiers) {
  std::wstring text;
  if (modifiers & kModControl) text += L"Ctrl + ";
  if (modifiers & kModShift) text += L"Shift + ";
  if (modifiers & kModAlt) text += L"Alt + ";
  if (modifiers & kModWin) text += L"Win + ";
  return text + KeyName(key);
}

std::optional<HotKeyCombination> ParseHotKeyText(const std::wstring& text) {
  std::optional<WORD> key;
  WORD modifiers = 0;
  size_t start = 0;
  for (;;) {
    const size_t plus = text.find(L'+', start);
    const size_t length = plus == std::wstring::npos ? std::wstring::npos : plus - start;
    const std::wstring part = Folded(text.substr(start, length));
    if (const auto modifier = ModifierOfWord(part)) {
      modifiers |= *modifier;
    } else {
      const auto named = KeyOfName(part);
      if (!named || key) return std::nullopt;
      key = named;
    }
    if (plus == std::wstring::npos) break;
    start = plus + 1;
  }
  if (!key) return std::nullopt;
  return HotKeyCombination{*key, modifiers};
}

LPCTSTR CHotKeyUI::GetClass() const { return L"HotKey"; }

void CHotKeyUI::GetHotKey(WORD& virtual_key, WORD& modifiers) const {
  virtual_key = key_;
  modifiers = modifiers_;
}

void CHotKeyUI::SetHotKey(WORD virtual_key, WORD modifiers) {
  key_ = virtual_key;
  modifiers_ = modifiers & kAllModifiers;
  CLabelUI::SetText(HotKeyText(key_, modifiers_).c_str());
}

// A text naming no combination is shown as it is and holds no key.
void CHotKeyUI::SetText(LPCTSTR text) {
  const auto combination = ParseHotKeyText(text != nullptr ? text : L"");
  key_ = combination ? combination->key : 0;
  modifiers_ = combination ? combination->modifiers : 0;
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
