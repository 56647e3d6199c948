// Any bytes as the stored camera-switch hotkey text. Beyond the sanitizers, it checks what
// the reading promises: a combination exactly when the key part holds more than spaces, at
// most one modifier and always no-repeat, the key part's first character as the key, and
// no difference between upper and lower case.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/camera_hotkey.h"
#include "fuzz/support/fuzz_support.h"

namespace {

using fuzz_support::Require;

constexpr UINT kModifierFlags = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

std::string KeyPart(const std::string& text) {
  const size_t plus = text.find('+');
  const std::string part = plus == std::string::npos ? text : text.substr(plus + 1);
  const size_t first = part.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : part.substr(first);
}

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<HotkeyCombination> combination = ParseHotkeyText(text);
  const std::string key_part = KeyPart(text);
  Require(combination.has_value() == !key_part.empty());
  if (!combination) return 0;

  Require((combination->modifiers & MOD_NOREPEAT) != 0);
  const UINT modifier = combination->modifiers & kModifierFlags;
  Require((modifier & (modifier - 1)) == 0);
  Require((combination->modifiers & ~(kModifierFlags | MOD_NOREPEAT)) == 0);

  const unsigned char first = static_cast<unsigned char>(key_part.front());
  if (first < 0x80) {
    const UINT upper = first >= 'a' && first <= 'z' ? first - 'a' + 'A' : first;
    Require(combination->virtual_key == upper);
  }
  Require(Same(ParseHotkeyText(LowerCaseAscii(text)), combination));
  return 0;
}
