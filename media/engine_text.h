// Texts at the engine boundary: byte texts bounded like the engine's fixed buffers, cut on a
// character boundary rather than in the middle of one.
#pragma once

#include <cstddef>
#include <string>

// Wide text to the system ANSI code page, at most max_bytes bytes.
std::string WideToAnsiBounded(const std::wstring& text, std::size_t max_bytes);
// Wide text to UTF-8, at most max_bytes bytes.
std::string WideToUtf8Bounded(const std::wstring& text, std::size_t max_bytes);
// UTF-8 from a NUL-terminated engine buffer to wide text.
std::wstring EngineTextToWide(const char* text);
