// Parsing of attribute texts: numbers, rectangles, sizes, booleans, colours, image descriptions.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ui {

std::optional<int> ParseInt(const std::wstring& text);
std::optional<bool> ParseBool(const std::wstring& text);
// "l,t,r,b".
std::optional<RECT> ParseRect(const std::wstring& text);
// "cx,cy".
std::optional<SIZE> ParseSize(const std::wstring& text);
// "#AARRGGBB" or "AARRGGBB"; six digits mean an opaque colour.
std::optional<DWORD> ParseColor(const std::wstring& text);

// An image attribute: a bare file name, or "file='name' corner='l,t,r,b'".
struct ImageDescription {
  std::wstring file;
  RECT corner{};
};
std::optional<ImageDescription> ParseImage(const std::wstring& text);

}  // namespace ui
