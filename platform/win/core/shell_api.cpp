// The drag-full-windows option, opening web addresses, and the clock the program reads.
#include <windows.h>

#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "core/backend.h"
#include "core/opened_addresses.h"
#include "core/text_utf8.h"

extern char** environ;

namespace {

std::filesystem::path DragOptionFile() {
  char folder[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, FALSE);
  return std::filesystem::path(folder) / "quorvel-system" / "drag-full-windows";
}

// -1: not set during this run; otherwise the value set without SPIF_UPDATEINIFILE.
std::atomic<int> g_session_drag{-1};

bool ReadDragOption() {
  int session = g_session_drag.load();
  if (session >= 0) return session != 0;
  std::ifstream in(DragOptionFile());
  int value = 1;  // the desktop's default: contents shown while dragging
  if (in >> value) return value != 0;
  return true;
}

bool WriteDragOption(bool on) {
  std::filesystem::path file = DragOptionFile();
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  std::filesystem::path temporary = file;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    if (!(out << (on ? 1 : 0) << '\n')) return false;
  }
  std::filesystem::rename(temporary, file, error);
  return !error;
}

bool IsWebAddress(const std::wstring& address) {
  std::wstring lower;
  for (wchar_t c : address.substr(0, 8))
    lower += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  bool scheme = lower.rfind(L"http://", 0) == 0 || lower.rfind(L"https://", 0) == 0;
  if (!scheme) return false;
  // Control characters and spaces never belong in an address handed to another program.
  for (wchar_t c : address) {
    if (c <= L' ' || c == 0x7F) return false;
  }
  return address.size() > (lower.rfind(L"https://", 0) == 0 ? 8u : 7u);
}

// xdg-open can wait for the browser; a short-lived shell puts it in the background so that
// this call returns at once. The address is an argument, never part of the command text.
bool LaunchOpener(const std::string& address) {
  const char* argv[] = {"/bin/sh",       "-c",   "xdg-open \"$1\" >/dev/null 2>&1 &", "sh",
                        address.c_str(), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    return false;
  }
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::mutex g_opened_mutex;
std::vector<std::wstring> g_opened;

void RecordOpened(const std::wstring& address) {
  std::lock_guard<std::mutex> lock(g_opened_mutex);
  g_opened.push_back(address);
}

}  // namespace

std::vector<std::wstring> win::core::OpenedAddresses() {
  std::lock_guard<std::mutex> lock(g_opened_mutex);
  return g_opened;
}

BOOL SystemParametersInfoW(UINT action, UINT ui_param, LPVOID pv_param, UINT win_ini) {
  switch (action) {
    case SPI_GETDRAGFULLWINDOWS:
      if (pv_param == nullptr) return FALSE;
      *static_cast<BOOL*>(pv_param) = ReadDragOption() ? TRUE : FALSE;
      return TRUE;
    case SPI_SETDRAGFULLWINDOWS:
      if ((win_ini & SPIF_UPDATEINIFILE) != 0) {
        g_session_drag = -1;
        return WriteDragOption(ui_param != 0) ? TRUE : FALSE;
      }
      g_session_drag = ui_param != 0 ? 1 : 0;
      return TRUE;
    default:
      return FALSE;
  }
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, int) {
  auto refuse = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(SE_ERR_NOASSOC));
  if (verb != nullptr && std::wstring(verb) != L"open") return refuse;
  if (file == nullptr || !IsWebAddress(file)) return refuse;
  RecordOpened(file);
  if (!LaunchOpener(win::core::ToUtf8(file))) {
    return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(SE_ERR_FNF));
  }
  return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(42));
}

void GetSystemTimeAsFileTime(FILETIME* time) {
  if (time == nullptr) return;
  // 1601-01-01 to 1970-01-01 in 100-nanosecond intervals.
  constexpr std::uint64_t kEpochOffset = 116444736000000000ULL;
  std::uint64_t value =
      kEpochOffset +
      static_cast<std::uint64_t>(win::core::TheBackend().clock().UnixMs()) * 10000ULL;
  time->dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
  time->dwHighDateTime = static_cast<DWORD>(value >> 32);
}

DWORD GetTickCount() { return static_cast<DWORD>(win::core::TheBackend().clock().NowMs()); }
