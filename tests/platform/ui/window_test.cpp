// Windows of the library: the message order of WindowImplBase, modal loops and their
// results, nested modal loops, centring and moving by the caption.
#include <gtest/gtest.h>

#include <algorithm>

#include "ui_test_support.h"

using ui::CUiDriver;
using ui_test::LayoutWindow;

namespace {

constexpr UINT kCloseWith = WM_USER + 77;  // wParam: the code to close with

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ui_test::UseSkin(L"orbs.cn"); }
};

// A modal box that closes itself with a code when it receives kCloseWith.
class CodeBox : public LayoutWindow {
 public:
  CodeBox() : LayoutWindow(L"gallery.xml", L"QvCodeBox") {
    on_message = [this](UINT message, WPARAM wParam, LPARAM, BOOL& handled) -> LRESULT {
      handled = FALSE;
      if (message == kCloseWith) {
        Close(static_cast<UINT>(wParam));
        handled = TRUE;
      }
      return 0;
    };
    on_notify = [this](ui::TNotifyUI& msg) {
      if (msg.sType == ui::CUiString(L"click") &&
          msg.pSender->GetName() == ui::CUiString(L"closebtn"))
        Close(2);
      if (msg.sType == ui::CUiString(L"click") &&
          msg.pSender->GetName() == ui::CUiString(L"push_button"))
        Close(1);
    };
  }
};

// A box that deletes itself on its final message, as the program's message boxes do.
class SelfDeletingBox : public CodeBox {
 public:
  explicit SelfDeletingBox(bool& deleted) : deleted_(deleted) {}
  ~SelfDeletingBox() override { deleted_ = true; }

 protected:
  void OnFinalMessage(HWND window) override {
    CodeBox::OnFinalMessage(window);
    delete this;
  }

 private:
  bool& deleted_;
};

}  // namespace

TEST_F(WindowTest, ABoxThatDeletesItselfReturnsItsCodeSafely) {
  bool deleted = false;
  auto* box = new SelfDeletingBox(deleted);
  box->Create(nullptr, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 360, 220);
  ui_test::Watchdog watchdog(box->GetHWND());
  ui::CUiDriver::AnswerNextModal(L"closebtn");
  EXPECT_EQ(box->ShowModal(), 2u);
  EXPECT_TRUE(deleted);
}

TEST_F(WindowTest, HandleCustomMessageSeesMessagesFirstAndCanStopThem) {
  LayoutWindow window(L"gallery.xml");
  window.Open();
  const HWND hwnd = window.GetHWND();
  EXPECT_NE(std::find(window.messages_seen.begin(), window.messages_seen.end(),
                      static_cast<UINT>(WM_CREATE)),
            window.messages_seen.end());
  // Handling the button press in HandleCustomMessage keeps it from the controls.
  window.on_message = [](UINT message, WPARAM, LPARAM, BOOL& handled) -> LRESULT {
    handled = message == WM_LBUTTONDOWN;
    return 0;
  };
  CUiDriver::Click(hwnd, L"push_button");
  EXPECT_EQ(window.CountNotes(L"click"), 0);
  window.on_message = nullptr;
  CUiDriver::Click(hwnd, L"push_button");
  EXPECT_EQ(window.CountNotes(L"click"), 1);
  DestroyWindow(hwnd);
  EXPECT_TRUE(window.final_message);
  EXPECT_EQ(CUiDriver::FindWindowByClass(L"QvLayoutWindow"), nullptr);
}

TEST_F(WindowTest, InitWindowRunsOnceTheLayoutIsBuilt) {
  LayoutWindow window(L"gallery.xml");
  bool found = false;
  window.on_init = [&] {
    found = window.Find(L"push_button") != nullptr && window.Find(L"camera_device") != nullptr;
  };
  window.Open();
  EXPECT_TRUE(found);
  EXPECT_EQ(window.init_count, 1);
  DestroyWindow(window.GetHWND());
}

TEST_F(WindowTest, CenterWindowOverItsOwner) {
  LayoutWindow owner(L"main_wnd.xml", L"QvOwner");
  owner.Create(nullptr, L"", WS_VISIBLE | WS_POPUP, 0, 100, 50, 1080, 675);
  MoveWindow(owner.GetHWND(), 100, 50, 1080, 675, TRUE);
  LayoutWindow box(L"no_layout_here.xml", L"QvBox");
  box.Create(owner.GetHWND(), L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 360, 220);
  box.CenterWindow();
  const HWND box_window = box.GetHWND();
  RECT rect{};
  GetWindowRect(box_window, &rect);
  EXPECT_EQ(rect.left, 100 + (1080 - 360) / 2);
  EXPECT_EQ(rect.top, 50 + (675 - 220) / 2);
  DestroyWindow(owner.GetHWND());
  EXPECT_FALSE(IsWindow(box_window));
}

TEST_F(WindowTest, ControlsOutliveTheirWindowSafely) {
  LayoutWindow window(L"gallery.xml");
  window.Open();
  ui::CControlUI* label = window.Find(L"plain_label");
  DestroyWindow(window.GetHWND());
  // The object (and its controls) may live on after its window, as the program's bars do.
  label->SetText(L"later");
  label->SetAttribute(L"bkcolor", L"#ff000000");
  label->SetVisible(false);
  EXPECT_EQ(label->GetText().str(), L"later");
  EXPECT_EQ(window.manager().GetPaintWindow(), nullptr);
}

TEST_F(WindowTest, InstancePathIsTheProgramFolderWithItsSeparator) {
  const std::wstring path = ui::CPaintManagerUI::GetInstancePath().str();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.back(), L'/');
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  EXPECT_EQ(std::wstring(program).rfind(path, 0), 0u);
  EXPECT_EQ(std::wstring(program).find(L'/', path.size()), std::wstring::npos);
  // The resource path gains its separator too.
  ui::CPaintManagerUI::SetResourcePath((path + L"skin").c_str());
  EXPECT_EQ(ui::CPaintManagerUI::GetResourcePath().str(), path + L"skin/");
}

TEST_F(WindowTest, MessageLoopReturnsOnTheQuitMessage) {
  LayoutWindow window(L"main_wnd.xml");
  const HWND hwnd = window.Open();
  ui_test::Watchdog watchdog(hwnd);
  window.on_message = [](UINT message, WPARAM, LPARAM, BOOL& handled) -> LRESULT {
    if (message == WM_CLOSE) PostQuitMessage(0);
    handled = FALSE;
    return 0;
  };
  window.PostMessage(WM_USER + 9);
  window.Close();
  ui::CPaintManagerUI::MessageLoop();
  EXPECT_NE(std::find(window.messages_seen.begin(), window.messages_seen.end(), WM_USER + 9),
            window.messages_seen.end());
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(window.final_message);
}

TEST_F(WindowTest, FindWindowByClassFindsLiveWindowsOnly) {
  LayoutWindow window(L"main_wnd.xml", L"QvFindMe");
  window.Open();
  EXPECT_EQ(CUiDriver::FindWindowByClass(L"QvFindMe"), window.GetHWND());
  EXPECT_EQ(CUiDriver::FindWindowByClass(L"QvNobody"), nullptr);
  DestroyWindow(window.GetHWND());
  EXPECT_EQ(CUiDriver::FindWindowByClass(L"QvFindMe"), nullptr);
}

TEST_F(WindowTest, ShowModalReturnsTheCodeGivenToCloseWithTheOwnerDisabled) {
  LayoutWindow owner(L"main_wnd.xml", L"QvOwner");
  owner.Open(nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  auto* box = new CodeBox;
  box->Create(owner.GetHWND(), L"QV-MsgBox", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 360,
              220);
  box->CenterWindow();
  const HWND box_window = box->GetHWND();
  bool owner_enabled_inside = true;
  box->on_notify = [&](ui::TNotifyUI&) {};
  box->on_message = [&, box](UINT message, WPARAM wParam, LPARAM, BOOL& handled) -> LRESULT {
    handled = FALSE;
    if (message == kCloseWith) {
      owner_enabled_inside = IsWindowEnabled(owner.GetHWND()) != FALSE;
      box->Close(static_cast<UINT>(wParam));
    }
    return 0;
  };
  PostMessageW(box_window, kCloseWith, 42, 0);
  ui_test::Watchdog watchdog(box_window);
  const UINT result = box->ShowModal();
  EXPECT_EQ(result, 42u);
  EXPECT_FALSE(owner_enabled_inside);
  EXPECT_TRUE(IsWindowEnabled(owner.GetHWND()));
  EXPECT_FALSE(IsWindow(box_window));
  delete box;
  DestroyWindow(owner.GetHWND());
}

TEST_F(WindowTest, AnsweringTheNextModalClicksItsButton) {
  LayoutWindow owner(L"main_wnd.xml", L"QvOwner");
  owner.Open();
  for (const auto& [button, code] :
       {std::pair<const wchar_t*, UINT>{L"closebtn", 2}, {L"push_button", 1}}) {
    CodeBox box;
    box.Create(owner.GetHWND(), L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 360, 220);
    ui_test::Watchdog watchdog(box.GetHWND());
    CUiDriver::AnswerNextModal(button);
    EXPECT_EQ(box.ShowModal(), code);
  }
  DestroyWindow(owner.GetHWND());
}

TEST_F(WindowTest, NestedModalLoopsEndInnerFirst) {
  LayoutWindow owner(L"main_wnd.xml", L"QvOwner");
  owner.Open();
  CodeBox outer;
  outer.Create(owner.GetHWND(), L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 360, 220);
  UINT inner_result = 0;
  bool outer_alive_after_inner = false;
  outer.on_notify = [&](ui::TNotifyUI& msg) {
    if (msg.sType != ui::CUiString(L"click")) return;
    CodeBox inner;
    inner.Create(outer.GetHWND(), L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 300, 200);
    ui_test::Watchdog inner_watchdog(inner.GetHWND());
    PostMessageW(inner.GetHWND(), kCloseWith, 7, 0);
    inner_result = inner.ShowModal();
    outer_alive_after_inner = IsWindow(outer.GetHWND()) && IsWindowEnabled(outer.GetHWND());
    outer.Close(9);
  };
  ui_test::Watchdog watchdog(outer.GetHWND());
  CUiDriver::AnswerNextModal(L"push_button");
  EXPECT_EQ(outer.ShowModal(), 9u);
  EXPECT_EQ(inner_result, 7u);
  EXPECT_TRUE(outer_alive_after_inner);
  DestroyWindow(owner.GetHWND());
}

TEST_F(WindowTest, QuitDuringAModalLoopEndsItAndReachesTheOuterLoop) {
  CodeBox box;
  box.Create(nullptr, L"", WS_POPUP | WS_VISIBLE, 0, 0, 0, 300, 200);
  const HWND hwnd = box.GetHWND();
  ui_test::Watchdog watchdog(hwnd);
  PostQuitMessage(3);
  EXPECT_EQ(box.ShowModal(), 0u);
  MSG msg{};
  int polls = 0;
  bool quit_seen = false;
  while (polls++ < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit_seen = true;
      EXPECT_EQ(msg.wParam, 3u);
      break;
    }
    DispatchMessageW(&msg);
  }
  EXPECT_TRUE(quit_seen);
  DestroyWindow(hwnd);
}

TEST_F(WindowTest, CenterWindowOnTheWorkAreaWithoutOwner) {
  LayoutWindow window(L"main_wnd.xml", L"QvCentre");
  window.Create(nullptr, L"QUORVEL", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 1080, 675);
  window.CenterWindow();
  RECT rect{};
  GetWindowRect(window.GetHWND(), &rect);
  EXPECT_EQ(rect.left, 420);
  EXPECT_EQ(rect.top, 182);
  DestroyWindow(window.GetHWND());
}

TEST_F(WindowTest, ShowWindowShowsAndHides) {
  LayoutWindow window(L"main_wnd.xml");
  window.Create(nullptr, L"", WS_POPUP, 0, 0, 0, 100, 100);
  EXPECT_FALSE(IsWindowVisible(window.GetHWND()));
  window.ShowWindow(true, true);
  EXPECT_TRUE(IsWindowVisible(window.GetHWND()));
  window.ShowWindow(false, true);
  EXPECT_FALSE(IsWindowVisible(window.GetHWND()));
  EXPECT_TRUE(window.PostMessage(WM_USER + 5));
  CUiDriver::Pump();
  EXPECT_NE(std::find(window.messages_seen.begin(), window.messages_seen.end(), WM_USER + 5),
            window.messages_seen.end());
  DestroyWindow(window.GetHWND());
  EXPECT_FALSE(window.PostMessage(WM_USER + 5));
}

TEST_F(WindowTest, DraggingTheCaptionMovesATopLevelWindow) {
  LayoutWindow window(L"gallery.xml", L"QvDrag");
  window.Create(nullptr, L"", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 100, 100, 640, 480);
  const HWND hwnd = window.GetHWND();
  CUiDriver::Layout(hwnd);
  RECT before{};
  GetWindowRect(hwnd, &before);
  // Press on the caption's title (not a control that takes input), move the cursor, release.
  win::headless::MoveCursor(before.left + 100, before.top + 10);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 10));
  win::headless::MoveCursor(before.left + 160, before.top + 50);
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 10));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(100, 10));
  RECT after{};
  GetWindowRect(hwnd, &after);
  EXPECT_EQ(after.left, before.left + 60);
  EXPECT_EQ(after.top, before.top + 40);
  EXPECT_EQ(after.right - after.left, 640);
  // The close button in the caption stays a button.
  POINT screen{after.right - 20, after.top + 10};
  EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)), HTCLIENT);
  DestroyWindow(hwnd);
}

TEST_F(WindowTest, TheSizeBoxResizes) {
  LayoutWindow window(L"gallery.xml", L"QvResize");
  window.Create(nullptr, L"", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 100, 100, 640, 480);
  const HWND hwnd = window.GetHWND();
  RECT before{};
  GetWindowRect(hwnd, &before);
  EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(before.right - 2, before.bottom - 2)),
            HTBOTTOMRIGHT);
  win::headless::MoveCursor(before.right - 2, before.bottom - 2);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(638, 478));
  win::headless::MoveCursor(before.right + 48, before.bottom + 18);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(638, 478));
  RECT after{};
  GetWindowRect(hwnd, &after);
  EXPECT_EQ(after.right - after.left, 690);
  EXPECT_EQ(after.bottom - after.top, 500);
  EXPECT_EQ(after.left, before.left);
  DestroyWindow(hwnd);
}
