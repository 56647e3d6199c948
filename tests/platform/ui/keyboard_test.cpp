// The keyboard in a window of the library (the gallery layout of the real archive): Tab order,
// the focus mark, Enter and Esc for the window's buttons, Space on a button, the hotkey field.
#include <gtest/gtest.h>

#include "ui_test_support.h"

using ui::CUiDriver;

namespace {

class KeyboardTest : public ui_test::GalleryTest<> {
 protected:
  void SetUp() override {
    OpenGallery(L"orbs.en");
    CUiDriver::Layout(hwnd_);
  }
  void Key(UINT key, WORD modifiers = 0) {
    if (modifiers & ui::kModShift) SendMessageW(hwnd_, WM_KEYDOWN, VK_SHIFT, 0);
    SendMessageW(hwnd_, WM_KEYDOWN, key, 0);
    SendMessageW(hwnd_, WM_KEYUP, key, 0);
    if (modifiers & ui::kModShift) SendMessageW(hwnd_, WM_KEYUP, VK_SHIFT, 0);
  }
  std::wstring Focused() {
    const ui::CControlUI* focus = window_.manager().GetFocus();
    return focus != nullptr ? focus->GetName().str() : L"";
  }
};

TEST_F(KeyboardTest, TabVisitsTheControlsThatTakeTheKeyboardInLayoutOrderBothWays) {
  // The disabled button and the labels are passed over; the end wraps round to the start.
  const std::vector<std::wstring> order = {
      L"closebtn",      L"push_button",           L"color_button",  L"class_code",
      L"camera_device", L"switch_camera_hotykey", L"volume_slider", L"closebtn"};
  for (const std::wstring& name : order) {
    Key(VK_TAB);
    EXPECT_EQ(Focused(), name);
  }
  for (auto name = order.rbegin() + 1; name != order.rend(); ++name) {
    Key(VK_TAB, ui::kModShift);
    EXPECT_EQ(Focused(), *name);
  }
  window_.Find(L"push_button")->SetVisible(false);
  Key(VK_TAB);
  EXPECT_EQ(Focused(), L"color_button");
}

TEST_F(KeyboardTest, TheFocusMarkShowsOnceTheKeyboardMovesTheFocus) {
  const RECT pos = window_.Find(L"color_button")->GetPos();
  const POINT mark{(pos.left + pos.right) / 2, pos.top - 2};
  window_.Find(L"color_button")->SetFocus();
  CUiDriver::Pump();
  const std::uint32_t before = win::headless::WindowPixel(hwnd_, mark.x, mark.y);
  EXPECT_FALSE(window_.manager().ShowsFocusMark());
  Key(VK_TAB, ui::kModShift);
  Key(VK_TAB);
  CUiDriver::Pump();
  EXPECT_TRUE(window_.manager().ShowsFocusMark());
  EXPECT_NE(win::headless::WindowPixel(hwnd_, mark.x, mark.y), before);
  Key(VK_TAB);
  CUiDriver::Pump();
  EXPECT_EQ(win::headless::WindowPixel(hwnd_, mark.x, mark.y), before);
}

struct WindowKeyCase {
  const wchar_t* focus;  // null: nothing has the keyboard
  UINT key;
  const wchar_t* clicked;  // null: no click at all
};

TEST_F(KeyboardTest, EnterEscAndSpaceClickTheButtonTheyBelongTo) {
  window_.manager().SetDefaultButton(L"push_button");
  window_.manager().SetCancelButton(L"closebtn");
  const WindowKeyCase cases[] = {
      {nullptr, VK_RETURN, L"push_button"},
      {nullptr, VK_ESCAPE, L"closebtn"},
      {L"class_code", VK_RETURN, L"push_button"},
      {L"class_code", VK_ESCAPE, L"closebtn"},
      {L"color_button", VK_RETURN, L"color_button"},
      {L"color_button", VK_SPACE, L"color_button"},
      {L"class_code", VK_SPACE, nullptr},
  };
  for (const WindowKeyCase& c : cases) {
    window_.notes.clear();
    window_.manager().SetFocus(c.focus != nullptr ? window_.Find(c.focus) : nullptr);
    Key(c.key);
    EXPECT_EQ(window_.CountNotes(L"click"), c.clicked != nullptr ? 1 : 0) << c.key;
    if (c.clicked != nullptr) {
      EXPECT_TRUE(window_.HasNote(L"click", c.clicked)) << c.key;
    }
  }
  // A default button that cannot be clicked takes no Enter.
  window_.Find(L"push_button")->SetEnabled(false);
  window_.notes.clear();
  Key(VK_RETURN);
  EXPECT_EQ(window_.CountNotes(L"click"), 0);
}

TEST_F(KeyboardTest, TheHotKeyFieldLeavesTabEnterAndEscAloneButRecordsThemWithCtrl) {
  window_.manager().SetCancelButton(L"closebtn");
  auto* field = dynamic_cast<ui::CHotKeyUI*>(window_.Find(L"switch_camera_hotykey"));
  field->SetFocus();
  Key(VK_ESCAPE);
  EXPECT_TRUE(window_.HasNote(L"click", L"closebtn"));
  EXPECT_EQ(field->GetText().str(), L"Alt + S");
  ASSERT_TRUE(CUiDriver::PressHotKey(hwnd_, L"switch_camera_hotykey", VK_TAB, ui::kModControl));
  EXPECT_EQ(field->GetText().str(), L"Ctrl + Tab");
  EXPECT_EQ(Focused(), L"switch_camera_hotykey");
  Key(VK_TAB);
  EXPECT_EQ(Focused(), L"volume_slider");
}

}  // namespace
