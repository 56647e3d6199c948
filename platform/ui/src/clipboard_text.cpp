#include "clipboard_text.h"

#include <cstring>

namespace ui {

namespace {

// Open for the life of the object.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

}  // namespace

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
  OpenedClipboard clipboard(owner);
  if (!clipboard.open() || !EmptyClipboard()) return false;
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(block), text.c_str(), bytes);
  GlobalUnlock(block);
  if (SetClipboardData(CF_UNICODETEXT, block) != nullptr) return true;
  GlobalFree(block);
  return false;
}

std::wstring TextFromClipboard(HWND owner) {
  OpenedClipboard clipboard(owner);
  if (!clipboard.open()) return L"";
  HANDLE block = GetClipboardData(CF_UNICODETEXT);
  const auto* characters = static_cast<const wchar_t*>(GlobalLock(block));
  if (characters == nullptr) return L"";
  std::wstring text(characters, wcsnlen(characters, GlobalSize(block) / sizeof(wchar_t)));
  GlobalUnlock(block);
  return text;
}

}  // namespace ui
