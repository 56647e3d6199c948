#include "media/engine_text.h"

#include <windows.h>

#include <climits>

#include "base/text_conversion.h"

namespace {

// Drops the bytes of a UTF-8 sequence that the cut at max_bytes left incomplete.
std::string CutAtCharacter(std::string text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  std::size_t end = max_bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

}  // namespace

std::string WideToAnsiBounded(const std::wstring& text, std::size_t max_bytes) {
  return CutAtCharacter(WideToAnsi(text), max_bytes);
}

std::string WideToUtf8Bounded(const std::wstring& text, std::size_t max_bytes) {
  if (text.empty() || text.size() > INT_MAX / 4) return {};
  const int chars = static_cast<int>(text.size());
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), chars, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), chars, utf8.data(), length, nullptr, nullptr);
  return CutAtCharacter(std::move(utf8), max_bytes);
}

std::wstring EngineTextToWide(const char* text) { return Utf8ToWide(text != nullptr ? text : ""); }
