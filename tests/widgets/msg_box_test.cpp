// The message boxes the program opens, built from both real skin archives and answered by
// clicks: "ok_btn" confirms (1), "cancel_btn" and "closebtn" cancel (2); each box speaks its
// skin's language, is client area everywhere, and is gone once its modal run has returned.
#include "widgets/msg_box.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/widgets/shell_window_support.h"

using ui::CUiDriver;

namespace {

struct BoxUse {
  const wchar_t* layout;
  int width;
  int height;
  bool asks;  // has a cancel button as well as the confirming one
};

const BoxUse kBoxes[] = {
    {L"exit_meeting_confirm_dlg.xml", 360, 220, true},
    {L"err_camera.xml", 360, 220, false},
    {L"app_update_confirm_dlg.xml", 600, 400, true},
    {L"hotkey_register_failed_dlg.xml", 360, 220, false},
    {L"screen_share_confirm_dlg.xml", 360, 220, true},
    {L"cancel_screen_share_confirm_dlg.xml", 360, 220, true},
};

std::string Narrow(const wchar_t* text) {
  std::string narrow;
  for (; *text != L'\0'; ++text) narrow += static_cast<char>(*text);
  return narrow;
}

std::string ShortName(const BoxUse& use) {
  const std::string layout = Narrow(use.layout);
  return layout.substr(0, layout.size() - 4);  // without ".xml"
}

bool HasChinese(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c >= 0x4E00 && c <= 0x9FFF) return true;
  }
  return false;
}

bool IsPlainEnglish(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c > 0x7E) return false;
  }
  return !text.empty();
}

// Creates the box as its callers do: owned, popup, tool window, at 0, 0, centred.
MsgBox* OpenBox(const BoxUse& use, HWND owner) {
  auto* box = new MsgBox(use.layout);
  box->Create(owner, L"QV-MsgBox", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, use.width,
              use.height);
  box->CenterWindow();
  return box;
}

// Runs the box with a click on button, under a watchdog; the modal result.
UINT AnswerWith(MsgBox* box, const wchar_t* button) {
  ui_test::Watchdog watchdog(box->GetHWND());
  CUiDriver::AnswerNextModal(button);
  return box->ShowModal();
}

using MsgBoxTest = shell_test::SkinTest;

}  // namespace

TEST_P(MsgBoxTest, OkConfirmsAndCancelOrCloseCancelEveryBox) {
  for (const BoxUse& use : kBoxes) {
    SCOPED_TRACE(ShortName(use));
    std::vector<std::pair<const wchar_t*, UINT>> answers = {{L"ok_btn", 1}, {L"closebtn", 2}};
    if (use.asks) answers.emplace_back(L"cancel_btn", 2);
    for (const auto& [button, code] : answers) {
      SCOPED_TRACE(Narrow(button));
      EXPECT_EQ(AnswerWith(OpenBox(use, owner_->hwnd()), button), code);
      EXPECT_EQ(CUiDriver::FindWindowByClass(L"QV-MSGBOX"), nullptr);
      EXPECT_TRUE(IsWindowEnabled(owner_->hwnd()));
    }
  }
}

TEST_P(MsgBoxTest, EnterConfirmsAndEscCancelsEveryBox) {
  for (const BoxUse& use : kBoxes) {
    SCOPED_TRACE(ShortName(use));
    for (const auto& [key, code] : {std::pair<UINT, UINT>{VK_RETURN, 1}, {VK_ESCAPE, 2}}) {
      MsgBox* box = OpenBox(use, owner_->hwnd());
      ui_test::Watchdog watchdog(box->GetHWND());
      CUiDriver::AnswerNextModalByKey(key);
      EXPECT_EQ(box->ShowModal(), code) << key;
    }
  }
}

TEST_P(MsgBoxTest, EveryBoxHasItsControlsAndSpeaksItsSkinsLanguage) {
  const bool chinese = Chinese();
  for (const BoxUse& use : kBoxes) {
    SCOPED_TRACE(ShortName(use));
    MsgBox* box = OpenBox(use, owner_->hwnd());
    const HWND hwnd = box->GetHWND();
    ASSERT_NE(box->message(), nullptr);
    EXPECT_EQ(box->cancel() != nullptr, use.asks);
    for (const wchar_t* name : {L"mb_title", L"mb_msg", L"ok_btn", L"closebtn"}) {
      ASSERT_NE(CUiDriver::FindControl(hwnd, name), nullptr) << Narrow(name);
      EXPECT_TRUE(CUiDriver::IsVisible(hwnd, name)) << Narrow(name);
    }
    for (const wchar_t* name : {L"mb_title", L"mb_msg", L"ok_btn"}) {
      const std::wstring text = CUiDriver::GetText(hwnd, name).GetData();
      EXPECT_TRUE(chinese ? HasChinese(text) : IsPlainEnglish(text)) << Narrow(name);
    }
    EXPECT_EQ(shell_test::WindowSize(hwnd).cx, use.width);
    EXPECT_EQ(shell_test::WindowSize(hwnd).cy, use.height);
    EXPECT_TRUE(CUiDriver::SaveScreenshot(
        hwnd, shell_test::ScreenshotPath(ShotName("msgbox_" + ShortName(use)))));
    EXPECT_EQ(AnswerWith(box, L"closebtn"), 2u);
  }
}

TEST_P(MsgBoxTest, TheBoxIsNotDraggedByItsCaption) {
  MsgBox* box = OpenBox(kBoxes[0], owner_->hwnd());
  RECT before{};
  GetWindowRect(box->GetHWND(), &before);
  const POINT on_title{before.left + 40, before.top + 20};
  EXPECT_EQ(SendMessageW(box->GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(on_title.x, on_title.y)),
            HTCLIENT);
  EXPECT_EQ(AnswerWith(box, L"closebtn"), 2u);
}

TEST_P(MsgBoxTest, TheUpdateBoxShowsTheGivenMessageAndCanBeForced) {
  MsgBox* box = OpenBox(kBoxes[2], owner_->hwnd());
  const HWND hwnd = box->GetHWND();
  const std::wstring notice = L"Quorvel 2.1: clearer video tiles and a steadier lesson clock.";
  box->message()->SetText(notice.c_str());
  box->cancel()->SetVisible(false);
  EXPECT_EQ(std::wstring(CUiDriver::GetText(hwnd, L"mb_msg").GetData()), notice);
  EXPECT_FALSE(CUiDriver::IsVisible(hwnd, L"cancel_btn"));
  EXPECT_FALSE(CUiDriver::Click(hwnd, L"cancel_btn"));
  EXPECT_TRUE(CUiDriver::SaveScreenshot(
      hwnd, shell_test::ScreenshotPath(ShotName("msgbox_app_update_forced"))));
  EXPECT_EQ(AnswerWith(box, L"ok_btn"), 1u);
}

TEST_P(MsgBoxTest, ScreenshotOfABoxOverTheMainWindow) {
  MsgBox* box = OpenBox(kBoxes[0], owner_->hwnd());
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("msgbox_over_main_window")));
  EXPECT_EQ(AnswerWith(box, L"ok_btn"), 1u);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, MsgBoxTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
