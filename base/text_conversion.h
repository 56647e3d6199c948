// Conversions wherever narrow and wide text meet. An empty input gives an empty result.
#pragma once

#include <string>

// UTF-8 (texts the service sent as JSON) to wide text.
std::wstring Utf8ToWide(const std::string& text);
// The system ANSI code page to wide text.
std::wstring AnsiToWide(const std::string& text);
// Wide text to the system ANSI code page; characters it lacks become its default character.
std::string WideToAnsi(const std::wstring& text);
