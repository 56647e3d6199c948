// Video drawn into real canvas windows of the headless window system, checked on their pixels,
// and the screen capture of the virtual screen.
#include <gtest/gtest.h>
#include <windows.h>

#include "engine_harness.h"
#include "screen_source.h"
#include "test_pattern.h"
#include "win/headless.h"
#include "window_presenter.h"

namespace {

using rtc_test::EngineHarness;
using rtc_test::WaitUntil;

constexpr uint32_t kBlack = 0xFF000000u;

class TestWindow {
 public:
  TestWindow(int x, int y, int width, int height, HWND parent = nullptr) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.lpszClassName = L"QuorvelCanvasTest";
    RegisterClassExW(&window_class);
    DWORD style = (parent != nullptr ? WS_CHILD : WS_POPUP) | WS_VISIBLE;
    handle = CreateWindowExW(0, L"QuorvelCanvasTest", L"", style, x, y, width, height, parent,
                             nullptr, nullptr, nullptr);
  }
  ~TestWindow() { DestroyWindow(handle); }
  void Fill(COLORREF colour) {
    RECT all;
    GetClientRect(handle, &all);
    HDC dc = GetDC(handle);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    ReleaseDC(handle, dc);
  }
  HWND handle;
};

struct CanvasWindowTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(win::headless::Active());
    ASSERT_EQ(harness.Initialize(), 0);
  }
  rtc::WindowPresenter presenter;
  EngineHarness harness{"{}", rtc::MachineDevices{}, &presenter, rtc::OpenScreenSource};
};

TEST_F(CanvasWindowTest, TheLocalPatternIsFittedIntoTheWindowOnBlack) {
  TestWindow canvas(100, 100, 320, 180);
  canvas.Fill(RGB(255, 255, 255));  // the bars must be the engine's black, not what was there
  rtc::VideoCanvas local;
  local.view = canvas.handle;
  local.renderMode = rtc::RENDER_MODE_FIT;
  ASSERT_EQ(harness.engine->setupLocalVideo(local), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 2002), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480"));
  // 4:3 in 16:9: the frame spans x 40 to 280, black beside it.
  auto background = [&](int x, int y) {
    uint32_t pixel = win::headless::WindowPixel(canvas.handle, x, y);
    return pixel == rtc::PatternColour(2002) || pixel == rtc::kPatternBarColour;
  };
  EXPECT_TRUE(WaitUntil([&] { return background(45, 5) && background(275, 175); }));
  EXPECT_EQ(win::headless::WindowPixel(canvas.handle, 10, 90), kBlack);
  EXPECT_EQ(win::headless::WindowPixel(canvas.handle, 310, 90), kBlack);
}

TEST_F(CanvasWindowTest, AFrameForAWindowThatIsGoneIsNotDrawnAndNothingBreaks) {
  rtc::VideoCanvas local;
  {
    TestWindow canvas(0, 0, 100, 100);
    local.view = canvas.handle;
  }
  ASSERT_EQ(harness.engine->setupLocalVideo(local), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->startPreview(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame"));
  EXPECT_FALSE(presenter.Present(local.view, rtc::VideoFrame{}, rtc::RENDER_MODE_FIT, false));
}

TEST_F(CanvasWindowTest, ScreenCaptureSendsTheRegionOfTheVirtualScreen) {
  TestWindow content(0, 0, 200, 100);
  content.Fill(RGB(200, 30, 40));
  TestWindow canvas(600, 400, 200, 100);
  rtc::VideoCanvas local;
  local.view = canvas.handle;
  ASSERT_EQ(harness.engine->setupLocalVideo(local), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->startPreview(), 0);
  rtc::Rect region = rtc_test::ScreenRect(0, 0, 200, 100);
  ASSERT_EQ(harness.engine->startScreenCapture(nullptr, 15, &region, 0), 0);
  // Fitted into the profile's size where it is captured.
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480"));
  EXPECT_TRUE(
      WaitUntil([&] { return win::headless::WindowPixel(canvas.handle, 100, 50) == 0xFFC81E28u; }));
}

TEST(ScreenSource, ComposesWindowsBackToFrontWithTheirChildren) {
  TestWindow below(0, 0, 200, 100);
  below.Fill(RGB(255, 0, 0));
  TestWindow child(10, 10, 20, 20, below.handle);
  child.Fill(RGB(0, 255, 0));
  TestWindow above(100, 0, 200, 100);
  above.Fill(RGB(0, 0, 255));
  rtc::Rect region = rtc_test::ScreenRect(0, 0, 400, 200);
  rtc::ScreenRegion shared(&region);
  std::string note;
  auto screen = rtc::OpenScreenSource(shared, 15, 400, 200, note);
  EXPECT_EQ(note, "");
  rtc::VideoFrame frame;
  ASSERT_TRUE(screen->Capture(0, frame));
  ASSERT_EQ(frame.width, 400);
  ASSERT_EQ(frame.height, 200);
  auto at = [&](int x, int y) { return frame.pixels[static_cast<std::size_t>(y) * 400 + x]; };
  EXPECT_EQ(at(50, 50), 0xFFFF0000u);
  EXPECT_EQ(at(15, 15), 0xFF00FF00u);
  EXPECT_EQ(at(150, 50), 0xFF0000FFu);
  EXPECT_EQ(at(350, 150), kBlack);
  EXPECT_FALSE(screen->IsCamera());
  // The region moved while it runs: the next frame shows it.
  rtc::Rect moved = rtc_test::ScreenRect(100, 0, 500, 200);
  shared.Set(&moved);
  ASSERT_TRUE(screen->Capture(0, frame));
  EXPECT_EQ(at(0, 50), 0xFF0000FFu);
  EXPECT_EQ(at(250, 50), kBlack);
}

TEST(ScreenSource, ALowerRateSkipsFrames) {
  rtc::ScreenRegion whole;
  std::string note;
  auto screen = rtc::OpenScreenSource(whole, 5, 640, 480, note);
  rtc::VideoFrame frame;
  EXPECT_TRUE(screen->Capture(0, frame));
  EXPECT_FALSE(screen->Capture(1, frame));
  EXPECT_FALSE(screen->Capture(2, frame));
  EXPECT_TRUE(screen->Capture(3, frame));
  EXPECT_EQ(frame.width, 640);
}

}  // namespace
