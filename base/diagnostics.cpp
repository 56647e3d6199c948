#include "base/diagnostics.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <vector>

namespace {

// The C library reads %s and %c in a wide format as narrow text; the program's formats mean
// wide text, as they do on Windows. Rewrite the bare conversions to %ls and %lc.
std::wstring WindowsWideFormat(const wchar_t* format) {
  std::wstring out;
  for (const wchar_t* p = format; *p != L'\0'; ++p) {
    out += *p;
    if (*p != L'%') continue;
    ++p;
    if (*p == L'%') {
      out += *p;
      continue;
    }
    // Flags, width, precision and length stay; only the conversion letter decides.
    const wchar_t* conversion_start = p;
    while (*p != L'\0' && std::wcschr(L"-+ #0123456789.*hlLjztqI", *p) != nullptr) ++p;
    std::wstring conversion(conversion_start, p);
    if (*p == L'\0') {
      out += conversion;
      break;
    }
    const bool has_length = conversion.find_first_of(L"hlLjztqI") != std::wstring::npos;
    if ((*p == L's' || *p == L'c') && !has_length) conversion += L'l';
    out += conversion;
    out += *p;
  }
  return out;
}

}  // namespace

void DebugPrint(const wchar_t* format, ...) {
  if (format == nullptr) return;
  const std::wstring wide_format = WindowsWideFormat(format);
  // vswprintf has no counting mode: grow the buffer until the text fits.
  std::vector<wchar_t> buffer(256);
  for (;;) {
    std::va_list args;
    va_start(args, format);
    int length = std::vswprintf(buffer.data(), buffer.size(), wide_format.c_str(), args);
    va_end(args);
    if (length >= 0 && static_cast<size_t>(length) < buffer.size()) break;
    if (buffer.size() >= (1u << 20)) return;  // a format that cannot be rendered
    buffer.assign(buffer.size() * 4, L'\0');
  }
  OutputDebugStringW(buffer.data());
}

bool ReadFileVersion(const std::wstring& path, int& major, int& minor, int& build, int& revision) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), handle, size, block.data())) return false;
  LPVOID fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  major = HIWORD(info->dwFileVersionMS);
  minor = LOWORD(info->dwFileVersionMS);
  build = HIWORD(info->dwFileVersionLS);
  revision = LOWORD(info->dwFileVersionLS);
  return true;
}

std::wstring ProgramVersionText() {
  wchar_t path[512] = {};
  if (GetModuleFileNameW(nullptr, path, 512) == 0) return {};
  int major = 0, minor = 0, build = 0, revision = 0;
  if (!ReadFileVersion(path, major, minor, build, revision)) return {};
  wchar_t text[256] = {};
  std::swprintf(text, 256, L"%d.%d.%d", major, minor, build);
  return text;
}
