// Parsing of attribute texts: numbers, rectangles, sizes, booleans, colours, image descriptions.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ui {

// Nothing for a number beyond int.
std::optional<int> ParseInt(const std::wstring& text);
std::optional<bool> ParseBool(const std::wstring& text);

// The geometry of a layout (sizes, paddings, insets, positions) is brought into this range
// when it is read, so that the layout's sums stay far from the integer limit.
constexpr long kLayoutLimit = 16384;
template <typename T>
struct LayoutValue {
  T value;        // clamped
  bool in_range;  // false when a number had to be clamped: the loader reports it
};
// One length or offset.
std::optional<LayoutValue<int>> ParseLength(const std::wstring& text);
// "l,t,r,b".
std::optional<LayoutValue<RECT>> ParseRect(const std::wstring& text);
// "cx,cy".
std::optional<LayoutValue<SIZE>> ParseSize(const std::wstring& text);
// "#AARRGGBB" or "AARRGGBB"; six digits mean an opaque colour.
std::optional<DWORD> ParseColor(const std::wstring& text);

// An image attribute: a bare file name, or "file='name' corner='l,t,r,b'".
struct ImageDescription {
  std::wstring file;
  RECT corner{};
};
std::optional<ImageDescription> ParseImage(const std::wstring& text);

}  // namespace ui
