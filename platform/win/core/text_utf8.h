// Wide text (UTF-32 here) to and from UTF-8, for the libraries underneath.
#pragma once

#include <string>

namespace win::core {

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace win::core
