// The X11 backend on a private X server: drawn pixels on the screen, clicks and hotkeys from
// the server's own input, and a second program finding this one's window.
#include <windows.h>

#include <gtest/gtest.h>
// X11 after the test framework: its macros (None, Bool) would break the framework's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "handles/x11.h"
#include "win/selection.h"
#include "tests/platform/win/window_test_support.h"
#include "tests/platform/win/xvfb_environment.h"
#include "tests/support/needs.h"

extern char** environ;

using win_test::CreateTestWindow;
using win_test::RunLoopUntil;

namespace {

constexpr UINT_PTR kTick = 1;
constexpr UINT kFromProbe = WM_USER + 77;

// Runs a program to its end; its exit code, or -1.
int RunProgram(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

class X11 : public ::testing::Test {
 protected:
  void SetUp() override {
    QUORVEL_NEEDS(win_test::XvfbRunning(), win_test::XvfbProblem());
    win_test::RegisterTestClass(L"X11Test");
    screen_.reset(XOpenDisplay(win_test::XvfbDisplay().c_str()));
    ASSERT_NE(screen_, nullptr);
  }
  void TearDown() override { win_test::DestroyTestWindows(); }

  // The screen's pixel as 0xRRGGBB, read through a connection of the test's own.
  unsigned long ScreenPixel(int x, int y) {
    XImage* image =
        XGetImage(screen_.get(), DefaultRootWindow(screen_.get()), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0;
    unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
  }

  // A visible window filled red, waited for until the screen shows it.
  // What it receives is kept in seen_, which outlives every window of the test.
  HWND ShowRedWindow(int x, int y, int width, int height,
                     const std::wstring& class_name = L"X11Test") {
    HWND window = CreateTestWindow(
        class_name,
        [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
          if (m != WM_TIMER && m != WM_PAINT && m != WM_NCHITTEST)
            seen_.push_back(MSG{w, m, wp, lp, 0, {}, 0});
          return DefWindowProcW(w, m, wp, lp);
        },
        WS_POPUP | WS_VISIBLE, x, y, width, height);
    EXPECT_NE(window, nullptr);
    SetTimer(window, kTick, 20, nullptr);  // wakes the loop to look at the screen
    EXPECT_TRUE(RunLoopUntil([&] {
      HDC dc = GetDC(window);
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      RECT all{0, 0, width, height};
      FillRect(dc, &all, red);
      ReleaseDC(window, dc);
      DeleteObject(red);
      return ScreenPixel(x + width / 2, y + height / 2) == 0xFF0000;
    }));
    return window;
  }

  // Maps the symbols to key codes the keymap leaves empty. xdotool then types them with those
  // keys; otherwise it binds a key per character and unbinds it at once, racing the backend's
  // reading of the keymap (a slow build read the unbound key and lost the character).
  std::vector<KeyCode> BindSpareKeys(const std::vector<KeySym>& symbols) {
    Display* d = screen_.get();
    int low = 0;
    int high = 0;
    int per_code = 0;
    XDisplayKeycodes(d, &low, &high);
    KeySym* map = XGetKeyboardMapping(d, static_cast<KeyCode>(low), high - low + 1, &per_code);
    std::vector<KeyCode> codes;
    for (int code = high; code >= low && codes.size() < symbols.size(); --code) {
      const KeySym* row = map + (code - low) * per_code;
      if (std::all_of(row, row + per_code, [](KeySym s) { return s == NoSymbol; })) {
        codes.push_back(static_cast<KeyCode>(code));
      }
    }
    XFree(map);
    for (size_t i = 0; i < codes.size(); ++i) {
      KeySym both_levels[2] = {symbols[i], symbols[i]};
      XChangeKeyboardMapping(d, codes[i], 2, both_levels, 1);
    }
    XSync(d, False);
    return codes;
  }

  void UnbindKeys(const std::vector<KeyCode>& codes) {
    KeySym none[2] = {NoSymbol, NoSymbol};
    for (KeyCode code : codes) XChangeKeyboardMapping(screen_.get(), code, 2, none, 1);
    XSync(screen_.get(), False);
  }

  // This program's X window of the given class, found as another client would.
  ::Window NativeWindowOfClass(const char* class_name) {
    Display* d = screen_.get();
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    ::Window found = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
      XClassHint hint{};
      if (!XGetClassHint(d, children[i], &hint)) continue;
      if (hint.res_name != nullptr && std::string(hint.res_name) == class_name) found = children[i];
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
    XFree(children);
    return found;
  }

  // Whether the server shows the window now. The cursor query first is a round trip on the
  // backend's own connection, so every map and unmap it asked for is done by then.
  bool MappedOnScreen(::Window native) {
    POINT cursor{};
    GetCursorPos(&cursor);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(screen_.get(), native, &attributes)) return false;
    return attributes.map_state == IsViewable;
  }

  // Runs the loop until the backend has handled every event the server made for it so far:
  // a message sent through the server after them is read after them.
  bool WaitForEventsRead(::Window native) {
    POINT cursor{};
    GetCursorPos(&cursor);
    const long mark = ++marks_sent_;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = native;
    event.xclient.message_type = XInternAtom(screen_.get(), "_QUORVEL_MESSAGE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(WM_NULL);
    event.xclient.data.l[1] = mark;
    XSendEvent(screen_.get(), native, False, NoEventMask, &event);
    XFlush(screen_.get());
    return RunLoopUntil([&] {
      for (const MSG& m : seen_) {
        if (m.message == WM_NULL && static_cast<long>(m.wParam) == mark) return true;
      }
      return false;
    });
  }

  bool Seen(UINT message) const {
    for (const MSG& m : seen_) {
      if (m.message == message) return true;
    }
    return false;
  }

  handles::DisplayPtr screen_;
  std::vector<MSG> seen_;
  long marks_sent_ = 0;
};

TEST_F(X11, DrawnPixelsShowOnTheScreen) {
  HWND window = ShowRedWindow(100, 120, 200, 150);
  EXPECT_EQ(ScreenPixel(150, 200), 0xFF0000u);
  EXPECT_NE(ScreenPixel(320, 200), 0xFF0000u);  // outside the window
  ShowWindow(window, SW_HIDE);
  EXPECT_TRUE(RunLoopUntil([&] { return ScreenPixel(150, 200) != 0xFF0000; }));
}

// The map a show asks for is echoed by the server after a hide may already have undone it;
// the late echo must not make the backend believe the window is still on the screen.
TEST_F(X11, QuickShowsAndHidesEndWithTheWindowOnTheScreenExactlyWhenVisible) {
  win_test::RegisterTestClass(L"X11Mapped");
  HWND window = ShowRedWindow(100, 100, 120, 80, L"X11Mapped");
  ::Window native = NativeWindowOfClass("X11Mapped");
  ASSERT_NE(native, 0u);
  auto agree = [&](bool visible) {
    EXPECT_EQ(IsWindowVisible(window) != FALSE, visible);
    EXPECT_EQ(MappedOnScreen(native), visible);
  };
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ShowWindow(window, SW_HIDE);
    ASSERT_TRUE(WaitForEventsRead(native));
    agree(false);
    ShowWindow(window, SW_SHOW);
    ShowWindow(window, SW_HIDE);
    ASSERT_TRUE(WaitForEventsRead(native));
    agree(false);
    ShowWindow(window, SW_SHOW);
    agree(true);
    ASSERT_TRUE(WaitForEventsRead(native));
    agree(true);
  }
  // Several changes before any of their events is read.
  ShowWindow(window, SW_HIDE);
  ShowWindow(window, SW_SHOW);
  ShowWindow(window, SW_HIDE);
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(WaitForEventsRead(native));
  agree(true);
  ShowWindow(window, SW_HIDE);
  ShowWindow(window, SW_SHOW);
  ShowWindow(window, SW_HIDE);
  ASSERT_TRUE(WaitForEventsRead(native));
  agree(false);
}

// A minimise right after a show: the show's late echo is no restore by the user.
TEST_F(X11, AMinimiseRightAfterAShowStaysMinimised) {
  win_test::RegisterTestClass(L"X11Minimised");
  HWND window = ShowRedWindow(100, 100, 120, 80, L"X11Minimised");
  ::Window native = NativeWindowOfClass("X11Minimised");
  ASSERT_NE(native, 0u);
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ShowWindow(window, SW_HIDE);
    ASSERT_TRUE(WaitForEventsRead(native));
    ShowWindow(window, SW_SHOW);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(WaitForEventsRead(native));
    EXPECT_TRUE(IsIconic(window));
    EXPECT_FALSE(MappedOnScreen(native));
    ShowWindow(window, SW_RESTORE);
    ASSERT_TRUE(WaitForEventsRead(native));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(MappedOnScreen(native));
  }
}

TEST_F(X11, AWindowRegionShapesTheWindowOnTheScreen) {
  HWND window = ShowRedWindow(400, 100, 200, 100);
  SetWindowRgn(window, CreateRectRgn(0, 0, 100, 100), TRUE);
  // The right half is cut away: the black root window shows there.
  EXPECT_TRUE(RunLoopUntil([&] { return ScreenPixel(550, 150) != 0xFF0000; }));
  EXPECT_EQ(ScreenPixel(450, 150), 0xFF0000u);
}

// An owned window painted only on its left half, over a red owner.
class SeeThrough : public X11 {
 protected:
  void SetUp() override {
    X11::SetUp();
    win_test::RegisterTestClass(L"X11SeeThrough");
  }
  // Paints until done() holds.
  bool ShowHalfPaintedOver(HWND owner, const std::function<bool()>& done) {
    HWND owned = CreateTestWindow(L"X11SeeThrough", nullptr, WS_POPUP | WS_VISIBLE, 400, 300, 200,
                                  100, owner);
    if (owned == nullptr) return false;
    SetTimer(owned, kTick, 20, nullptr);
    return RunLoopUntil([&] {
      HDC dc = GetDC(owned);
      HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
      RECT left{0, 0, 100, 100};
      FillRect(dc, &left, blue);
      ReleaseDC(owned, dc);
      DeleteObject(blue);
      return done();
    });
  }
};

TEST_F(SeeThrough, WithoutACompositorAnOwnedWindowIsCutToWhatItShows) {
  HWND owner = ShowRedWindow(350, 250, 300, 200);
  ASSERT_TRUE(ShowHalfPaintedOver(owner, [&] { return ScreenPixel(450, 350) == 0x0000FF; }));
  EXPECT_TRUE(RunLoopUntil([&] { return ScreenPixel(550, 350) == 0xFF0000; }));
  EXPECT_EQ(ScreenPixel(450, 350), 0x0000FFu);
}

TEST_F(SeeThrough, WithACompositorAnOwnedWindowHasAnAlphaChannel) {
  Display* d = screen_.get();
  const ::Window manager = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(d, XInternAtom(d, "_NET_WM_CM_S0", False), manager, CurrentTime);
  XSync(d, False);
  HWND owner = ShowRedWindow(350, 250, 300, 200);
  // The window's own pixels: opaque blue, and fully transparent where nothing was drawn.
  auto pixel_at = [&](int x, int y) {
    const ::Window native = NativeWindowOfClass("X11SeeThrough");
    XImage* image = native == 0 ? nullptr : XGetImage(d, native, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0ul;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel;
  };
  ASSERT_TRUE(ShowHalfPaintedOver(owner, [&] { return pixel_at(50, 50) == 0xFF0000FFul; }));
  EXPECT_EQ(pixel_at(150, 50), 0ul);
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(d, NativeWindowOfClass("X11SeeThrough"), &attributes));
  EXPECT_EQ(attributes.depth, 32);
  XDestroyWindow(d, manager);
  XSync(d, False);
}

TEST_F(X11, AClickArrivesAsButtonMessagesAtTheClientPoint) {
  QUORVEL_NEEDS(RunProgram({"sh", "-c", "command -v xdotool >/dev/null"}) == 0,
                "xdotool is not installed");
  ShowRedWindow(200, 150, 300, 200);
  ASSERT_EQ(RunProgram({"xdotool", "mousemove", "--sync", "250", "180", "click", "1"}), 0);
  ASSERT_TRUE(RunLoopUntil([&] { return Seen(WM_LBUTTONUP); }));
  for (const MSG& m : seen_) {
    if (m.message != WM_LBUTTONUP) continue;
    EXPECT_EQ(GET_X_LPARAM(m.lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(m.lParam), 30);
  }
}

TEST_F(X11, TypedTextArrivesAsTheCharactersTypedAndPunctuationKeysHaveTheirCodes) {
  QUORVEL_NEEDS(RunProgram({"sh", "-c", "command -v xdotool >/dev/null"}) == 0,
                "xdotool is not installed");
  win_test::RegisterTestClass(L"X11Typed");
  HWND window = ShowRedWindow(200, 150, 300, 200, L"X11Typed");
  XSetInputFocus(screen_.get(), NativeWindowOfClass("X11Typed"), RevertToParent, CurrentTime);
  XSync(screen_.get(), False);
  std::string ascii;
  for (char c = ' '; c <= '~'; ++c) ascii += c;
  const std::wstring expected = std::wstring(ascii.begin(), ascii.end()) + L"\u00e9\u4e2d";
  const std::vector<KeyCode> spare = BindSpareKeys({XK_eacute, 0x1000000 + 0x4e2d});
  ASSERT_EQ(spare.size(), 2u) << "the keymap has no two empty key codes";
  ASSERT_EQ(RunProgram({"xdotool", "type", "--delay", "1", ascii + "\u00e9\u4e2d"}), 0);
  std::wstring typed;
  EXPECT_TRUE(RunLoopUntil([&] {
    typed.clear();
    for (const MSG& m : seen_) {
      if (m.message == WM_CHAR) typed += static_cast<wchar_t>(m.wParam);
    }
    return typed.size() >= expected.size();
  }));
  UnbindKeys(spare);
  EXPECT_EQ(typed, expected);
  bool equals_key = false;
  for (const MSG& m : seen_)
    equals_key = equals_key || (m.message == WM_KEYDOWN && m.wParam == VK_OEM_PLUS);
  EXPECT_TRUE(equals_key);
  DestroyWindow(window);
}

// Another program's side of the clipboard, through xclip; its output, or "" when it failed.
std::string ClipboardOfOthers(const std::string& command) {
  const std::string line = "DISPLAY=" + win_test::XvfbDisplay() + " " + command;
  std::string output;
  if (FILE* pipe = popen(line.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    if (pclose(pipe) != 0) output.clear();
  }
  return output;
}

// The clipboard through the window system's calls; the primary selection through its own.
void SetClipboardText(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::wmemcpy(static_cast<wchar_t*>(GlobalLock(block)), text.c_str(), text.size() + 1);
  GlobalUnlock(block);
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, block), nullptr);
  ASSERT_TRUE(CloseClipboard());
}

std::wstring ClipboardText() {
  if (!OpenClipboard(nullptr)) return L"";
  HANDLE text = GetClipboardData(CF_UNICODETEXT);
  const auto* characters = static_cast<const wchar_t*>(GlobalLock(text));
  std::wstring copy = characters != nullptr ? characters : L"";
  CloseClipboard();
  return copy;
}

TEST_F(X11, TextGoesBothWaysThroughTheDesktopsClipboardAndPrimarySelection) {
  QUORVEL_NEEDS(RunProgram({"sh", "-c", "command -v xclip >/dev/null"}) == 0,
                "xclip is not installed");
  struct Selection {
    const char* name;
    void (*set)(const std::wstring&);
    std::wstring (*get)();
  };
  const Selection selections[] = {
      {"clipboard", SetClipboardText, ClipboardText},
      {"primary", win::OfferPrimarySelection, win::PrimarySelectionText}};
  for (const Selection& selection : selections) {
    const std::wstring ours = L"QV-2024 \u4e0a\u8bfe";
    selection.set(ours);
    EXPECT_EQ(ClipboardOfOthers(std::string("xclip -selection ") + selection.name + " -o"),
              "QV-2024 \u4e0a\u8bfe")
        << selection.name;

    // Another program's text, served for one paste; at most 10 s, whatever the test does.
    ASSERT_EQ(ClipboardOfOthers(std::string("printf '87654321' | timeout 10 xclip -selection ") +
                                selection.name + " -i -loops 1 -quiet >/dev/null 2>&1 & echo set"),
              "set\n");
    // Until xclip holds the selection.
    std::wstring pasted = ours;
    for (int tries = 0; tries < 150 && (pasted == ours || pasted.empty()); ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      pasted = selection.get();
    }
    EXPECT_EQ(pasted, L"87654321") << selection.name;
  }
}

TEST_F(X11, AGlobalHotkeyArrivesAsWmHotkey) {
  QUORVEL_NEEDS(RunProgram({"sh", "-c", "command -v xdotool >/dev/null"}) == 0,
                "xdotool is not installed");
  HWND window = ShowRedWindow(10, 10, 100, 100);
  ASSERT_TRUE(RegisterHotKey(window, 4024, MOD_ALT | MOD_NOREPEAT, 'S'));
  ASSERT_EQ(RunProgram({"xdotool", "key", "alt+s"}), 0);
  ASSERT_TRUE(RunLoopUntil([&] { return Seen(WM_HOTKEY); }));
  for (const MSG& m : seen_) {
    if (m.message != WM_HOTKEY) continue;
    EXPECT_EQ(m.wParam, 4024u);
  }
  EXPECT_TRUE(UnregisterHotKey(window, 4024));
}

TEST_F(X11, AMoveByAnotherClientArrivesAsWmMoveAndStaysPut) {
  win_test::RegisterTestClass(L"X11Moved");
  HWND window = ShowRedWindow(100, 100, 200, 100, L"X11Moved");
  ::Window native = NativeWindowOfClass("X11Moved");
  ASSERT_NE(native, 0u);
  seen_.clear();
  XMoveResizeWindow(screen_.get(), native, 400, 300, 240, 180);
  XFlush(screen_.get());
  ASSERT_TRUE(RunLoopUntil([&] { return Seen(WM_SIZE) && Seen(WM_MOVE); }));
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 400);
  EXPECT_EQ(rect.top, 300);
  EXPECT_EQ(rect.right - rect.left, 240);
  EXPECT_EQ(rect.bottom - rect.top, 180);
}

TEST_F(X11, TheWindowManagersCloseRequestArrivesAsWmClose) {
  win_test::RegisterTestClass(L"X11Closed");
  HWND window = ShowRedWindow(100, 100, 200, 100, L"X11Closed");
  ::Window native = NativeWindowOfClass("X11Closed");
  ASSERT_NE(native, 0u);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = native;
  event.xclient.message_type = XInternAtom(screen_.get(), "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] =
      static_cast<long>(XInternAtom(screen_.get(), "WM_DELETE_WINDOW", False));
  XSendEvent(screen_.get(), native, False, NoEventMask, &event);
  XFlush(screen_.get());
  // The default procedure destroys the window on WM_CLOSE.
  ASSERT_TRUE(RunLoopUntil([&] { return Seen(WM_CLOSE) && !IsWindow(window); }));
}

TEST_F(X11, ACombinationGrabbedByAnotherClientCannotBeRegistered) {
  Display* other = screen_.get();
  XGrabKey(other, XKeysymToKeycode(other, XK_f), ControlMask, DefaultRootWindow(other), True,
           GrabModeAsync, GrabModeAsync);
  XSync(other, False);
  HWND window = CreateTestWindow(L"X11Test", nullptr, WS_POPUP, 0, 0, 10, 10);
  EXPECT_FALSE(RegisterHotKey(window, 1, MOD_CONTROL, 'F'));
  EXPECT_TRUE(RegisterHotKey(window, 2, MOD_CONTROL, 'G'));
}

TEST_F(X11, ASecondProgramFindsTheWindowAndRestoresItButPostsNothingElse) {
  win_test::RegisterTestClass(L"QUORVEL_MAIN");
  HWND window = ShowRedWindow(300, 300, 200, 100, L"QUORVEL_MAIN");
  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window));
  ASSERT_EQ(RunProgram({QV_FIND_WINDOW_PROBE}), 0);
  ASSERT_TRUE(RunLoopUntil([&] { return Seen(WM_SYSCOMMAND) && !IsIconic(window); }));
  ASSERT_TRUE(WaitForEventsRead(NativeWindowOfClass("QUORVEL_MAIN")));
  EXPECT_FALSE(Seen(kFromProbe));
  EXPECT_TRUE(IsWindowVisible(window));
  DestroyWindow(window);
  EXPECT_NE(RunProgram({QV_FIND_WINDOW_PROBE}), 0);
}

}  // namespace
