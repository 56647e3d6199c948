#include "attribute_values.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cwchar>
#include <vector>

namespace ui {

namespace {

std::wstring Trim(const std::wstring& text) {
  const auto first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) return {};
  const auto last = text.find_last_not_of(L" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::optional<long long> ParseNumber(const std::wstring& text) {
  const std::wstring trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  wchar_t* end = nullptr;
  errno = 0;
  const long long value = std::wcstoll(trimmed.c_str(), &end, 10);
  if (end == nullptr || *end != L'\0' || errno == ERANGE) return std::nullopt;
  return value;
}

// Each number clamped to the layout's range; in_range tells whether all already were.
std::optional<LayoutValue<std::vector<LONG>>> ParseLengths(const std::wstring& text, size_t count) {
  LayoutValue<std::vector<LONG>> values{{}, true};
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(L',', start);
    const auto value = ParseNumber(
        text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
    if (!value) return std::nullopt;
    const long long clamped = std::clamp<long long>(*value, -kLayoutLimit, kLayoutLimit);
    values.in_range = values.in_range && clamped == *value;
    values.value.push_back(static_cast<LONG>(clamped));
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  if (values.value.size() != count) return std::nullopt;
  return values;
}

}  // namespace

std::optional<int> ParseInt(const std::wstring& text) {
  const auto value = ParseNumber(text);
  if (!value || *value < INT_MIN || *value > INT_MAX) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<LayoutValue<int>> ParseLength(const std::wstring& text) {
  const auto values = ParseLengths(text, 1);
  if (!values) return std::nullopt;
  return LayoutValue<int>{values->value[0], values->in_range};
}

std::optional<bool> ParseBool(const std::wstring& text) {
  const std::wstring trimmed = Trim(text);
  if (trimmed == L"true") return true;
  if (trimmed == L"false") return false;
  return std::nullopt;
}

std::optional<LayoutValue<RECT>> ParseRect(const std::wstring& text) {
  const auto values = ParseLengths(text, 4);
  if (!values) return std::nullopt;
  const std::vector<LONG>& v = values->value;
  return LayoutValue<RECT>{RECT{v[0], v[1], v[2], v[3]}, values->in_range};
}

std::optional<LayoutValue<SIZE>> ParseSize(const std::wstring& text) {
  const auto values = ParseLengths(text, 2);
  if (!values) return std::nullopt;
  return LayoutValue<SIZE>{SIZE{values->value[0], values->value[1]}, values->in_range};
}

std::optional<DWORD> ParseColor(const std::wstring& text) {
  std::wstring digits = Trim(text);
  if (!digits.empty() && digits[0] == L'#') digits.erase(0, 1);
  if (digits.size() != 8 && digits.size() != 6) return std::nullopt;
  DWORD value = 0;
  for (wchar_t ch : digits) {
    int digit = 0;
    if (ch >= L'0' && ch <= L'9')
      digit = ch - L'0';
    else if (ch >= L'a' && ch <= L'f')
      digit = ch - L'a' + 10;
    else if (ch >= L'A' && ch <= L'F')
      digit = ch - L'A' + 10;
    else
      return std::nullopt;
    value = (value << 4) | static_cast<DWORD>(digit);
  }
  if (digits.size() == 6) value |= 0xFF000000;
  return value;
}

std::optional<ImageDescription> ParseImage(const std::wstring& text) {
  const std::wstring trimmed = Trim(text);
  ImageDescription image;
  if (trimmed.find(L'=') == std::wstring::npos) {
    image.file = trimmed;
    return image;
  }
  // Pairs of key='value', separated by blanks.
  size_t at = 0;
  while (at < trimmed.size()) {
    const size_t equals = trimmed.find(L'=', at);
    if (equals == std::wstring::npos || equals + 1 >= trimmed.size() ||
        trimmed[equals + 1] != L'\'') {
      return std::nullopt;
    }
    const std::wstring key = Trim(trimmed.substr(at, equals - at));
    const size_t close = trimmed.find(L'\'', equals + 2);
    if (close == std::wstring::npos) return std::nullopt;
    const std::wstring value = trimmed.substr(equals + 2, close - equals - 2);
    if (key == L"file") {
      image.file = value;
    } else if (key == L"corner") {
      const auto corner = ParseRect(value);
      if (!corner || !corner->in_range) return std::nullopt;
      image.corner = corner->value;
    } else {
      return std::nullopt;
    }
    at = close + 1;
    while (at < trimmed.size() && trimmed[at] == L' ') ++at;
  }
  if (image.file.empty()) return std::nullopt;
  return image;
}

}  // namespace ui
