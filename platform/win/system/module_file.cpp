#include <windows.h>

#include <unistd.h>

#include <climits>
#include <string>

DWORD GetModuleFileNameW(HMODULE module, LPWSTR filename, DWORD size) {
  if (module != nullptr || filename == nullptr || size == 0) return 0;
  char path[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return 0;
  path[length] = '\0';
  int wide_length = MultiByteToWideChar(CP_ACP, 0, path, static_cast<int>(length), nullptr, 0);
  if (wide_length <= 0) return 0;
  // Too small a buffer gets the truncated path and the full size, as on Windows.
  DWORD copied =
      static_cast<DWORD>(wide_length) < size ? static_cast<DWORD>(wide_length) : size - 1;
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path, static_cast<int>(length), wide.data(), wide_length);
  wide.copy(filename, copied);
  filename[copied] = L'\0';
  return copied == static_cast<DWORD>(wide_length) ? copied : size;
}
