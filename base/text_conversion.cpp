#include "base/text_conversion.h"

#include <windows.h>

#include <climits>

namespace {

std::wstring ToWide(UINT code_page, const std::string& text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int bytes = static_cast<int>(text.size());
  int length = MultiByteToWideChar(code_page, 0, text.data(), bytes, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), bytes, wide.data(), length);
  return wide;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& text) { return ToWide(CP_UTF8, text); }

std::wstring AnsiToWide(const std::string& text) { return ToWide(CP_ACP, text); }

std::string WideToAnsi(const std::wstring& text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int chars = static_cast<int>(text.size());
  int length = WideCharToMultiByte(CP_ACP, 0, text.data(), chars, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), chars, narrow.data(), length, nullptr, nullptr);
  return narrow;
}
