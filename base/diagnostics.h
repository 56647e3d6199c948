// Diagnostic lines for the debugger output, and the program file's version.
#pragma once

#include <string>

// printf-style, with the Windows meaning of the wide conversions: %s and %c take wide text
// and a wide character (use %hs for narrow text). Nothing of it ever reaches the user.
void DebugPrint(const wchar_t* format, ...);

// The fixed version of the named file. False, with the outputs untouched, on any failure.
bool ReadFileVersion(const std::wstring& path, int& major, int& minor, int& build, int& revision);

// The running program's version as "major.minor.build", or empty when it cannot be read.
std::wstring ProgramVersionText();
