// The clipboard: the text this program put on it, offered to the screen's other programs,
// and while another program's text is on it, that text as the screen gives it.
#include <windows.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/backend.h"

namespace {

struct Clipboard {
  std::mutex mutex;
  std::optional<std::thread::id> opened_by;
  bool emptied = false;  // this opening made the program the owner
  std::wstring own_text;
  HGLOBAL given = nullptr;  // the block GetClipboardData handed out, freed at close
};

Clipboard& TheClipboard() {
  static Clipboard clipboard;
  return clipboard;
}

bool OpenedHere(const Clipboard& clipboard) {
  return clipboard.opened_by == std::this_thread::get_id();
}

void ReleaseGiven(Clipboard& clipboard) {
  if (clipboard.given != nullptr) GlobalFree(clipboard.given);
  clipboard.given = nullptr;
}

HGLOBAL BlockOf(const std::wstring& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(block), text.c_str(), bytes);
  GlobalUnlock(block);
  return block;
}

}  // namespace

BOOL OpenClipboard(HWND) {
  Clipboard& clipboard = TheClipboard();
  std::lock_guard<std::mutex> lock(clipboard.mutex);
  if (clipboard.opened_by && !OpenedHere(clipboard)) return FALSE;
  clipboard.opened_by = std::this_thread::get_id();
  clipboard.emptied = false;
  return TRUE;
}

BOOL CloseClipboard() {
  Clipboard& clipboard = TheClipboard();
  std::lock_guard<std::mutex> lock(clipboard.mutex);
  if (!OpenedHere(clipboard)) return FALSE;
  ReleaseGiven(clipboard);
  clipboard.opened_by.reset();
  return TRUE;
}

BOOL EmptyClipboard() {
  Clipboard& clipboard = TheClipboard();
  std::lock_guard<std::mutex> lock(clipboard.mutex);
  if (!OpenedHere(clipboard)) return FALSE;
  clipboard.own_text.clear();
  clipboard.emptied = true;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE memory) {
  Clipboard& clipboard = TheClipboard();
  std::wstring text;
  {
    std::lock_guard<std::mutex> lock(clipboard.mutex);
    if (format != CF_UNICODETEXT || !OpenedHere(clipboard) || !clipboard.emptied) return nullptr;
    const auto* characters = static_cast<const wchar_t*>(GlobalLock(memory));
    if (characters == nullptr) return nullptr;
    const std::size_t room = GlobalSize(memory) / sizeof(wchar_t);
    text.assign(characters, wcsnlen(characters, room));
    GlobalUnlock(memory);
    GlobalFree(memory);
    clipboard.own_text = text;
  }
  win::core::TheBackend().OfferSelectionText(win::core::DesktopSelection::Clipboard, text);
  return memory;
}

HANDLE GetClipboardData(UINT format) {
  Clipboard& clipboard = TheClipboard();
  {
    std::lock_guard<std::mutex> lock(clipboard.mutex);
    if (format != CF_UNICODETEXT || !OpenedHere(clipboard)) return nullptr;
  }
  // Asked without the lock: another program's answer may take a moment.
  std::optional<std::wstring> others =
      win::core::TheBackend().OthersSelectionText(win::core::DesktopSelection::Clipboard);
  std::lock_guard<std::mutex> lock(clipboard.mutex);
  const std::wstring& text = others ? *others : clipboard.own_text;
  if (text.empty()) return nullptr;
  ReleaseGiven(clipboard);
  clipboard.given = BlockOf(text);
  return clipboard.given;
}
