// Shared pieces of the window library's tests: a window built from a layout of the real skin
// archive that records its notifications, and a watchdog for loops that must end.
#pragma once

#include <gtest/gtest.h>
#include <ui/ui.h>
#include <ui/ui_test_driver.h>
#include <win/headless.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ui_test {

// Points the library at the built skin folder and archive ("orbs.cn" or "orbs.en").
inline void UseSkin(const wchar_t* archive) {
  ui::CPaintManagerUI::SetResourcePath(QUORVEL_SKIN_DIR);
  ui::CPaintManagerUI::SetResourceZip(archive, false, nullptr);
}

struct Note {
  std::wstring type;
  std::wstring sender;
};

class LayoutWindow : public ui::WindowImplBase {
 public:
  explicit LayoutWindow(std::wstring layout, std::wstring class_name = L"QvLayoutWindow")
      : layout_(std::move(layout)), class_name_(std::move(class_name)) {}

  HWND Open(HWND parent = nullptr, DWORD style = WS_POPUP | WS_VISIBLE) {
    return Create(parent, L"test", style, 0, 0, 0, 0, 0);
  }
  ui::CPaintManagerUI& manager() { return m_PaintManager; }
  ui::CControlUI* Find(const wchar_t* name) { return m_PaintManager.FindControl(name); }
  bool HasNote(const std::wstring& type, const std::wstring& sender) const {
    for (const Note& note : notes) {
      if (note.type == type && note.sender == sender) return true;
    }
    return false;
  }
  int CountNotes(const std::wstring& type) const {
    int count = 0;
    for (const Note& note : notes) count += note.type == type ? 1 : 0;
    return count;
  }

  std::vector<Note> notes;
  std::vector<UINT> messages_seen;
  int init_count = 0;
  bool final_message = false;
  std::function<void()> on_init;
  std::function<void(ui::TNotifyUI&)> on_notify;
  std::function<LRESULT(UINT, WPARAM, LPARAM, BOOL&)> on_message;

 protected:
  ui::LPCTSTR GetWindowClassName() const override { return class_name_.c_str(); }
  ui::CUiString GetSkinFile() override { return layout_.c_str(); }
  void InitWindow() override {
    ++init_count;
    if (on_init) on_init();
  }
  void Notify(ui::TNotifyUI& msg) override {
    notes.push_back({msg.sType.str(), msg.pSender != nullptr ? msg.pSender->GetName().str() : L""});
    if (on_notify) on_notify(msg);
  }
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override {
    messages_seen.push_back(message);
    if (on_message) return on_message(message, wParam, lParam, handled);
    handled = FALSE;
    return 0;
  }
  void OnFinalMessage(HWND window) override {
    final_message = true;
    WindowImplBase::OnFinalMessage(window);
  }

 private:
  std::wstring layout_;
  std::wstring class_name_;
};

// A test on the gallery layout of the real archive: open from OpenGallery, gone after the test.
template <typename Base = ::testing::Test>
class GalleryTest : public Base {
 protected:
  void OpenGallery(const wchar_t* archive) {
    UseSkin(archive);
    ASSERT_NE(window_.Open(), nullptr);
    hwnd_ = window_.GetHWND();
  }
  void TearDown() override {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }

  LayoutWindow window_{L"gallery.xml"};
  HWND hwnd_ = nullptr;
};

// Posts WM_CLOSE with kWatchdogCode to a window if the test has not finished in time, so
// that a loop that would hang ends and the test fails instead.
constexpr UINT kWatchdogCode = 0xDEAD;
class Watchdog {
 public:
  explicit Watchdog(HWND window, int seconds = 10)
      : thread_([this, window, seconds] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_cv_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
            PostMessageW(window, WM_CLOSE, kWatchdogCode, 0);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

// Collects the library's diagnostic lines while it lives.
class ProblemLog {
 public:
  ProblemLog() {
    ui::CUiDriver::WatchProblems([this](const std::wstring& line) { lines.push_back(line); });
  }
  ~ProblemLog() { ui::CUiDriver::WatchProblems(nullptr); }
  bool Has(const std::wstring& part) const {
    for (const auto& line : lines) {
      if (line.find(part) != std::wstring::npos) return true;
    }
    return false;
  }
  std::vector<std::wstring> lines;
};

}  // namespace ui_test
