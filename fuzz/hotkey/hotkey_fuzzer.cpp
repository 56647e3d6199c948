// Any bytes as the stored camera-switch hotkey text. Beyond the sanitizers, it checks what
// the reading promises: never a throw, always no-repeat, no difference between upper and lower
// case, and a combination that reads back the same from the text the settings dialog's field
// shows for it.
#include <ui/ui.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/camera_hotkey.h"
#include "base/text_conversion.h"
#include "fuzz/support/fuzz_support.h"

namespace {

using fuzz_support::Require;

constexpr UINT kModifierFlags = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

std::string LowerCaseAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool Same(const std::optional<HotkeyCombination>& a, const std::optional<HotkeyCombination>& b) {
  if (!a || !b) return !a && !b;
  return a->modifiers == b->modifiers && a->virtual_key == b->virtual_key;
}

WORD FieldFlags(UINT modifiers) {
  WORD flags = 0;
  if (modifiers & MOD_SHIFT) flags |= ui::kModShift;
  if (modifiers & MOD_CONTROL) flags |= ui::kModControl;
  if (modifiers & MOD_ALT) flags |= ui::kModAlt;
  if (modifiers & MOD_WIN) flags |= ui::kModWin;
  return flags;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<HotkeyCombination> combination = ParseHotkeyText(text);
  Require(Same(ParseHotkeyText(LowerCaseAscii(text)), combination));
  if (!combination) return 0;

  Require((combination->modifiers & MOD_NOREPEAT) != 0);
  Require((combination->modifiers & ~(kModifierFlags | MOD_NOREPEAT)) == 0);
  Require(combination->virtual_key != 0 && combination->virtual_key <= 0xFE);
  const std::wstring shown = ui::HotKeyText(static_cast<WORD>(combination->virtual_key),
                                            FieldFlags(combination->modifiers));
  Require(Same(ParseHotkeyText(WideToAnsi(shown)), combination));
  return 0;
}
