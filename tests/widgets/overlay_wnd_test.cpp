// The notice window on both real skins: label = text + 10 and window = text + 30 in each
// direction, wrapping at 400 pixels, at the screen's corner until its owner centres it, and
// never hit by the mouse.
#include "widgets/overlay_wnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "widgets/notice_text_size.h"
#include "tests/widgets/shell_window_support.h"

using ui::CUiDriver;

namespace {

class TestOverlay : public OverlayWnd {
 public:
  explicit TestOverlay(HWND owner) {
    Create(owner, L"QV-OverlayWnd", WS_VISIBLE | WS_DISABLED, 0, CW_USEDEFAULT, CW_USEDEFAULT,
           CW_USEDEFAULT, CW_USEDEFAULT);
  }
  ~TestOverlay() override { DestroyWindow(GetHWND()); }
  TestOverlay(const TestOverlay&) = delete;
  TestOverlay& operator=(const TestOverlay&) = delete;

  RECT Rect() const {
    RECT rect{};
    GetWindowRect(GetHWND(), &rect);
    return rect;
  }
  int LabelAttribute(const wchar_t* name) const {
    return std::stoi(CUiDriver::GetAttribute(GetHWND(), L"overlay_info", name).GetData());
  }
  // What the owner does to show a notice.
  void Show(const std::wstring& text) {
    FitToText(text);
    CenterWindow();
    ShowWindow(true, true);
    CUiDriver::FindControl(GetHWND(), L"overlay_info")->SetText(text.c_str());
  }
};

const wchar_t kServiceFailure[] = L"Lesson code not found";

class OverlayTest : public shell_test::OwnedWindowTest<TestOverlay> {
 protected:
  std::wstring UnstableText() const {
    return Chinese() ? L"网络不稳定，不符合上课条件"
                     : L"Network unstable, unable to proceed to lesson";
  }
  std::wstring LongText() const {
    return Chinese()
               ? L"登录失败：上课码不存在或课程已经结束，请向老师确认上课码后重新输入，谢谢配合。"
               : L"Login failed: the lesson code does not exist or the lesson is over. "
                 L"Please ask your teacher for the code and try again.";
  }
};

}  // namespace

TEST_P(OverlayTest, AShortTextGivesAOneLineBoxAtTheScreensCorner) {
  const SIZE text = MeasureNoticeText(window_->GetHWND(), kServiceFailure);
  window_->FitToText(kServiceFailure);
  EXPECT_EQ(window_->LabelAttribute(L"width"), text.cx + 10);
  EXPECT_EQ(window_->LabelAttribute(L"height"), text.cy + 10);
  const RECT rect = window_->Rect();
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, text.cx + 30);
  EXPECT_EQ(rect.bottom, text.cy + 30);
}

TEST_P(OverlayTest, ATextWiderThanFourHundredWrapsAtFourHundred) {
  const std::wstring text = LongText();
  const SIZE wrapped = MeasureNoticeText(window_->GetHWND(), text);
  const SIZE line = MeasureNoticeText(window_->GetHWND(), L"n");
  window_->FitToText(text);
  EXPECT_LE(window_->LabelAttribute(L"width"), 410);
  EXPECT_GT(window_->LabelAttribute(L"width"), 300);
  EXPECT_EQ(window_->LabelAttribute(L"height"), wrapped.cy + 10);
  EXPECT_GE(wrapped.cy, 2 * line.cy);
  const RECT rect = window_->Rect();
  EXPECT_EQ(rect.right - rect.left, window_->LabelAttribute(L"width") + 20);
  EXPECT_EQ(rect.bottom - rect.top, window_->LabelAttribute(L"height") + 20);
}

TEST_P(OverlayTest, ANewTextResizesTheSameWindow) {
  const HWND hwnd = window_->GetHWND();
  window_->Show(LongText());
  const RECT long_rect = window_->Rect();
  window_->Show(kServiceFailure);
  const RECT short_rect = window_->Rect();
  EXPECT_EQ(window_->GetHWND(), hwnd);
  EXPECT_LT(short_rect.bottom - short_rect.top, long_rect.bottom - long_rect.top);
  EXPECT_EQ(std::wstring(CUiDriver::GetText(hwnd, L"overlay_info").GetData()), kServiceFailure);
}

TEST_P(OverlayTest, CentredOverItsOwnerAfterFitting) {
  window_->Show(UnstableText());
  RECT owner{};
  GetWindowRect(owner_->hwnd(), &owner);
  const RECT rect = window_->Rect();
  EXPECT_NEAR((rect.left + rect.right) / 2, (owner.left + owner.right) / 2, 1);
  EXPECT_NEAR((rect.top + rect.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("overlay_unstable")));
  window_->Show(LongText());
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("overlay_wrapped")));
}

TEST_P(OverlayTest, TheMouseNeverHitsTheNotice) {
  window_->Show(UnstableText());
  const RECT rect = window_->Rect();
  for (const POINT point : {POINT{rect.left + 1, rect.top + 1},
                            POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2},
                            POINT{rect.right - 2, rect.bottom - 2}}) {
    EXPECT_EQ(SendMessageW(window_->GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y)),
              HTNOWHERE);
  }
  EXPECT_FALSE(IsWindowEnabled(window_->GetHWND()));
}

INSTANTIATE_TEST_SUITE_P(BothSkins, OverlayTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
