#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool DebuggerAttached() {
  const char* value = std::getenv("QUORVEL_DEBUG");
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

}  // namespace

void OutputDebugStringW(LPCWSTR text) {
  if (text == nullptr || *text == L'\0' || !DebuggerAttached()) return;
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return;
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), bytes, nullptr, nullptr);
  narrow.pop_back();  // the terminating NUL
  // One write per line keeps lines from different threads whole.
  std::fwrite(narrow.data(), 1, narrow.size(), stderr);
  std::fflush(stderr);
}
