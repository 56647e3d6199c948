// The tip's and the notice's text measure: the 16-pixel face on one line, wrapped at 400
// pixels when one line would be wider, nothing without a window to measure on.
#include "widgets/notice_text_size.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/win/window_test_support.h"

namespace {

// The text's size in a font built here from nothing but the face and the height, so that a
// measure that kept the default GUI font's own face or height would differ.
SIZE MeasureInFace(HWND window, const std::wstring& text, UINT format, LONG wrap_width = 0) {
  LOGFONTW description{};
  description.lfHeight = -16;
  description.lfWeight = FW_NORMAL;
  description.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(description.lfFaceName, L"微软雅黑", LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectW(&description);
  HDC dc = GetDC(window);
  HGDIOBJ previous = SelectObject(dc, font);
  RECT rect{0, 0, wrap_width, 0};
  DrawTextW(dc, text.c_str(), -1, &rect, format);
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
  DeleteObject(font);
  return SIZE{rect.right, rect.bottom};
}

class NoticeTextSize : public ::testing::Test {
 protected:
  void SetUp() override {
    win_test::RegisterTestClass(L"NoticeTextSize");
    window_ = win_test::CreateTestWindow(L"NoticeTextSize", nullptr, WS_POPUP | WS_VISIBLE);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { win_test::DestroyTestWindows(); }

  HWND window_ = nullptr;
};

const std::wstring kLongText =
    L"Network unstable, unable to proceed to lesson. Please check your connection and try "
    L"again in a few minutes.";

}  // namespace

TEST_F(NoticeTextSize, AShortTextIsMeasuredOnOneLineInTheSixteenPixelFace) {
  const std::wstring text = L"正在测试网络，请稍后...";
  const SIZE measured = MeasureNoticeText(window_, text);
  const SIZE expected = MeasureInFace(window_, text, DT_CALCRECT);
  EXPECT_EQ(measured.cx, expected.cx);
  EXPECT_EQ(measured.cy, expected.cy);
  EXPECT_GT(measured.cx, 0);
  EXPECT_LE(measured.cx, kNoticeWrapWidth);
}

TEST_F(NoticeTextSize, ALongerTextThanFourHundredPixelsWrapsAtFourHundred) {
  const SIZE one_line = MeasureInFace(window_, kLongText, DT_CALCRECT);
  ASSERT_GT(one_line.cx, kNoticeWrapWidth);
  const SIZE measured = MeasureNoticeText(window_, kLongText);
  const SIZE wrapped = MeasureInFace(window_, kLongText, DT_CALCRECT | DT_WORDBREAK, 400);
  EXPECT_EQ(measured.cx, wrapped.cx);
  EXPECT_EQ(measured.cy, wrapped.cy);
  EXPECT_LE(measured.cx, kNoticeWrapWidth);
  EXPECT_GE(measured.cy, 2 * one_line.cy);
}

TEST_F(NoticeTextSize, AnEmptyTextHasNoWidth) { EXPECT_EQ(MeasureNoticeText(window_, L"").cx, 0); }

TEST_F(NoticeTextSize, AWindowThatIsGoneMeasuresNothing) {
  const HWND gone = window_;
  DestroyWindow(gone);
  const SIZE measured = MeasureNoticeText(gone, L"Network testing, please wait…");
  EXPECT_EQ(measured.cx, 0);
  EXPECT_EQ(measured.cy, 0);
}
