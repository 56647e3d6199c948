// Drawing on windows: fills, regions in the composed picture, and text measured as rendered.
#include <windows.h>
#include <win/headless.h>
#include <win/surface.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <string>

#include "tests/platform/win/window_test_support.h"
#include "tests/support/scoped_env.h"

using win::headless::WindowPixel;
using win_test::CreateTestWindow;

namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000;
constexpr std::uint32_t kOpaqueRed = 0xFFFF0000;

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override { win_test::RegisterTestClass(L"DrawingTest"); }
  void TearDown() override { win_test::DestroyTestWindows(); }

  static void Fill(HWND window, const RECT& rect, COLORREF color) {
    HDC dc = GetDC(window);
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    ReleaseDC(window, dc);
    DeleteObject(brush);
  }

  // The tip's measuring font: the default GUI font with another face, 16 pixels high.
  static HFONT TipFont() {
    LOGFONTW font{};
    EXPECT_EQ(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font),
              static_cast<int>(sizeof(font)));
    std::wcsncpy(font.lfFaceName, L"\u5fae\u8f6f\u96c5\u9ed1", LF_FACESIZE - 1);
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfHeight = -16;
    return CreateFontIndirectW(&font);
  }

  static RECT Measure(HWND window, const std::wstring& text, RECT rect, UINT format) {
    HDC dc = GetDC(window);
    HFONT font = TipFont();
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextW(dc, text.c_str(), -1, &rect, format | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    DeleteObject(font);
    return rect;
  }

  // The right-most column that text drawn at the left edge inked.
  static int InkRightEdge(HWND window, const std::wstring& text, const RECT& box) {
    HDC dc = GetDC(window);
    HFONT font = TipFont();
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT rect = box;
    DrawTextW(dc, text.c_str(), -1, &rect, DT_SINGLELINE | DT_NOCLIP);
    ReleaseDC(window, dc);
    DeleteObject(font);
    int right = -1;
    RECT client{};
    GetClientRect(window, &client);
    for (int x = 0; x < client.right; ++x) {
      for (int y = 0; y < box.bottom; ++y) {
        if ((WindowPixel(window, x, y) & 0x00FFFFFF) != 0) {
          right = x;
          break;
        }
      }
    }
    return right;
  }
};

TEST_F(Drawing, ASolidFillShowsInThePicture) {
  HWND window = CreateTestWindow(L"DrawingTest", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 100, 80);
  Fill(window, RECT{0, 0, 100, 80}, RGB(0, 0, 0));
  Fill(window, RECT{10, 10, 20, 20}, RGB(255, 0, 0));
  EXPECT_EQ(WindowPixel(window, 5, 5), kOpaqueBlack);
  EXPECT_EQ(WindowPixel(window, 15, 15), kOpaqueRed);
  EXPECT_EQ(WindowPixel(window, 20, 20), kOpaqueBlack);  // right and bottom are exclusive
}

TEST_F(Drawing, ChildrenShowOverTheirParentCutToTheirRegion) {
  HWND parent = CreateTestWindow(L"DrawingTest", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  Fill(parent, RECT{0, 0, 100, 100}, RGB(0, 0, 0));
  HWND child =
      CreateTestWindow(L"DrawingTest", nullptr, WS_CHILD | WS_VISIBLE, 20, 15, 18, 18, parent);
  Fill(child, RECT{0, 0, 18, 18}, RGB(255, 0, 0));
  HRGN bars = CreateRectRgn(0, 12, 3, 18);
  HRGN tall = CreateRectRgn(15, 0, 18, 18);
  CombineRgn(bars, bars, tall, RGN_OR);
  DeleteObject(tall);
  SetWindowRgn(child, bars, TRUE);
  EXPECT_EQ(WindowPixel(parent, 21, 28), kOpaqueRed);    // in the short bar
  EXPECT_EQ(WindowPixel(parent, 21, 16), kOpaqueBlack);  // above it
  EXPECT_EQ(WindowPixel(parent, 36, 16), kOpaqueRed);    // in the tall bar
  ShowWindow(child, SW_HIDE);
  EXPECT_EQ(WindowPixel(parent, 36, 16), kOpaqueBlack);
}

TEST_F(Drawing, TheSurfaceFollowsTheWindowSizeAndKeepsWhatFits) {
  HWND window = CreateTestWindow(L"DrawingTest", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  Fill(window, RECT{0, 0, 50, 50}, RGB(255, 0, 0));
  MoveWindow(window, 0, 0, 240, 180, TRUE);
  win::SurfaceAccess access(window);
  EXPECT_EQ(access.width(), 240);
  EXPECT_EQ(access.height(), 180);
  ASSERT_NE(access.surface(), nullptr);
  EXPECT_EQ(cairo_image_surface_get_width(access.surface()), 240);
}

TEST_F(Drawing, AWindowLargerThanAnyScreenKeepsABoundedPicture) {
  // 30000 x 30000 pixels would be 3.6 GB of picture.
  HWND window =
      CreateTestWindow(L"DrawingTest", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 30000, 30000);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.right - rect.left, 30000) << "the window keeps the size it was given";
  {
    win::SurfaceAccess access(window);
    EXPECT_EQ(access.width(), 8192);
    EXPECT_EQ(access.height(), 8192);
  }
  Fill(window, RECT{0, 0, 30000, 30000}, RGB(255, 0, 0));
  EXPECT_EQ(WindowPixel(window, 8191, 8191), kOpaqueRed);
  EXPECT_EQ(WindowPixel(window, 20000, 20000), 0u) << "nothing is drawn beyond the picture";
  MoveWindow(window, 0, 0, 40000, 100, TRUE);
  win::SurfaceAccess access(window);
  EXPECT_EQ(access.width(), 8192);
  EXPECT_EQ(access.height(), 100);
}

TEST_F(Drawing, AMeasuredLineIsAsWideAsItsInk) {
  HWND window = CreateTestWindow(L"DrawingTest", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 600, 60);
  Fill(window, RECT{0, 0, 600, 60}, RGB(0, 0, 0));
  const std::wstring text = L"Network testing, please wait\u2026";
  RECT measured = Measure(window, text, RECT{0, 0, 0, 0}, 0);
  EXPECT_GT(measured.right, 150);
  EXPECT_LT(measured.right, 400);
  EXPECT_GE(measured.bottom, 16);
  EXPECT_LE(measured.bottom, 30);
  int ink = InkRightEdge(window, text, RECT{0, 0, 600, measured.bottom});
  // The glyphs end within a few pixels of the measured width (side bearings), never beyond it.
  EXPECT_LE(ink, measured.right);
  EXPECT_GE(ink, measured.right - 6);
}

TEST_F(Drawing, AboutTwoHundredAndFiftyPixelsOfTextStayOnOneLine) {
  HWND window = CreateTestWindow(L"DrawingTest", nullptr, WS_POPUP, 0, 0, 10, 10);
  std::wstring text;
  RECT line{};
  while (line.right < 250) {
    text += L"Quorvel ";
    line = Measure(window, text, RECT{0, 0, 0, 0}, 0);
  }
  EXPECT_LT(line.right, 400);
  RECT wrapped = Measure(window, text, RECT{0, 0, 400, 0}, DT_WORDBREAK);
  EXPECT_EQ(wrapped.bottom, line.bottom);
}

TEST_F(Drawing, TextWiderThan400PixelsWrapsAt400) {
  HWND window = CreateTestWindow(L"DrawingTest", nullptr, WS_POPUP, 0, 0, 10, 10);
  const std::wstring text =
      L"Network unstable, unable to proceed to lesson. Please check the connection and try "
      L"joining again in a little while.";
  RECT line = Measure(window, text, RECT{0, 0, 0, 0}, 0);
  ASSERT_GT(line.right, 400);
  RECT wrapped = Measure(window, text, RECT{0, 0, 400, 0}, DT_WORDBREAK);
  EXPECT_LE(wrapped.right, 400);
  EXPECT_GT(wrapped.right, 200);
  EXPECT_GE(wrapped.bottom, 2 * line.bottom - 2);
  // Chinese text has no spaces and still wraps.
  std::wstring chinese;
  for (int i = 0; i < 40; ++i) chinese += L"\u7f51\u7edc";
  RECT wrapped_chinese = Measure(window, chinese, RECT{0, 0, 400, 0}, DT_WORDBREAK);
  EXPECT_LE(wrapped_chinese.right, 400);
  EXPECT_GT(wrapped_chinese.bottom, line.bottom);
}

TEST_F(Drawing, AScreenshotIsAPngOfTheWindow) {
  testing_support::TempDir folder;
  HWND window = CreateTestWindow(L"DrawingTest", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 64, 32);
  Fill(window, RECT{0, 0, 64, 32}, RGB(255, 0, 0));
  const std::string path = (folder.path() / "window.png").string();
  ASSERT_TRUE(win::headless::SaveWindowPng(window, path));
  cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
  ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(image), 64);
  EXPECT_EQ(cairo_image_surface_get_height(image), 32);
  cairo_surface_destroy(image);
  EXPECT_TRUE(win::headless::SaveScreenPng((folder.path() / "screen.png").string()));
}

TEST_F(Drawing, DeletedObjectsAreGoneAndStockOnesStay) {
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(GetStockObject(DEFAULT_GUI_FONT)));
  LOGFONTW font{};
  EXPECT_EQ(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font),
            static_cast<int>(sizeof(font)));
}

}  // namespace
