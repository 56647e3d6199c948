// Each control kind driven in the gallery layout of the real archive: notifications with
// their types and senders, focus, and the setters the program uses.
#include <gtest/gtest.h>

#include "clipboard_text.h"
#include "combo_window.h"
#include "ui_test_support.h"
#include "win/selection.h"

using ui::CUiDriver;

namespace {

class ControlsTest : public ui_test::GalleryTest<> {
 protected:
  void SetUp() override { OpenGallery(L"orbs.en"); }
  template <typename Kind>
  Kind* Get(const wchar_t* name) {
    return dynamic_cast<Kind*>(window_.Find(name));
  }
};

}  // namespace

TEST_F(ControlsTest, ButtonClickRaisesClickFromItsName) {
  ASSERT_TRUE(CUiDriver::Click(hwnd_, L"push_button"));
  EXPECT_TRUE(window_.HasNote(L"click", L"push_button"));
  EXPECT_EQ(window_.CountNotes(L"click"), 1);
}

TEST_F(ControlsTest, PressThenReleaseOutsideIsNoClick) {
  CUiDriver::Layout(hwnd_);
  const RECT pos = window_.Find(L"push_button")->GetPos();
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pos.left + 5, pos.top + 5));
  SendMessageW(hwnd_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pos.right + 50, pos.top + 5));
  SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(pos.right + 50, pos.top + 5));
  EXPECT_EQ(window_.CountNotes(L"click"), 0);
}

TEST_F(ControlsTest, DisabledButtonRaisesNothingUntilEnabled) {
  EXPECT_FALSE(CUiDriver::Click(hwnd_, L"disabled_button"));
  CUiDriver::Layout(hwnd_);
  CUiDriver::ClickAt(hwnd_, POINT{(window_.Find(L"disabled_button")->GetPos().left + 10),
                                  (window_.Find(L"disabled_button")->GetPos().top + 10)});
  EXPECT_EQ(window_.CountNotes(L"click"), 0);
  window_.Find(L"disabled_button")->SetEnabled(true);
  EXPECT_TRUE(CUiDriver::Click(hwnd_, L"disabled_button"));
  EXPECT_TRUE(window_.HasNote(L"click", L"disabled_button"));
}

TEST_F(ControlsTest, ButtonImageSettersAndAttributes) {
  auto* button = Get<ui::CButtonUI>(L"push_button");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetNormalImage().str(), L"button_normal.png");
  button->SetNormalImage(L"unmute_button.png");
  button->SetPushedImage(L"unmute_button_pressed.png");
  EXPECT_EQ(CUiDriver::GetAttribute(hwnd_, L"push_button", L"normalimage").str(),
            L"unmute_button.png");
  EXPECT_EQ(CUiDriver::GetAttribute(hwnd_, L"push_button", L"pushedimage").str(),
            L"unmute_button_pressed.png");
  button->SetAttribute(L"hotimage", L"button_pushed.png");
  EXPECT_EQ(button->GetHotImage().str(), L"button_pushed.png");
}

TEST_F(ControlsTest, SetAttributeForTheNamesTheProgramUses) {
  ui::CControlUI* label = window_.Find(L"plain_label");
  label->SetAttribute(L"text", L"changed");
  EXPECT_EQ(label->GetText().str(), L"changed");
  label->SetAttribute(L"bkcolor", L"#ff333333");
  EXPECT_EQ(label->GetBkColor(), 0xFF333333u);
  label->SetAttribute(L"textcolor", L"ffd81e06");
  EXPECT_EQ(label->GetTextColor(), 0xFFD81E06u);
  label->SetAttribute(L"bkimage", L"file='wnd_bg_quorvel.jpg' corner='10,100,10,10'");
  EXPECT_EQ(label->GetBkImage().str(), L"file='wnd_bg_quorvel.jpg' corner='10,100,10,10'");
  label->SetAttribute(L"visible", L"false");
  EXPECT_FALSE(label->IsVisible());
  EXPECT_EQ(CUiDriver::GetAttribute(hwnd_, L"plain_label", L"visible").str(), L"false");
  label->SetAttribute(L"visible", L"true");
  EXPECT_TRUE(CUiDriver::IsVisible(hwnd_, L"plain_label"));
  label->SetAttribute(L"width", L"310");
  label->SetAttribute(L"height", L"41");
  EXPECT_EQ(label->GetFixedWidth(), 310);
  EXPECT_EQ(label->GetFixedHeight(), 41);
  CUiDriver::Layout(hwnd_);
  EXPECT_EQ(label->GetPos().right - label->GetPos().left, 310);
}

TEST_F(ControlsTest, BadAttributeValuesChangeNothingAndAreReported) {
  ui_test::ProblemLog log;
  ui::CControlUI* label = window_.Find(L"plain_label");
  const DWORD colour = label->GetBkColor();
  label->SetAttribute(L"bkcolor", L"purple");
  label->SetAttribute(L"glitter", L"1");
  EXPECT_EQ(label->GetBkColor(), colour);
  EXPECT_TRUE(log.Has(L"bad value for 'bkcolor'"));
  EXPECT_TRUE(log.Has(L"unknown attribute 'glitter'"));
  EXPECT_TRUE(log.Has(L"plain_label"));
}

TEST_F(ControlsTest, EditTypingBackspaceDeleteAndSelection) {
  auto* edit = Get<ui::CEditUI>(L"class_code");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetText().str(), L"Please input lesson code");
  edit->SetText(L"");
  ASSERT_TRUE(CUiDriver::Type(hwnd_, L"class_code", L"12345"));
  EXPECT_TRUE(edit->IsFocused());
  EXPECT_EQ(edit->GetText().str(), L"12345");
  EXPECT_EQ(window_.CountNotes(L"textchanged"), 5);
  EXPECT_TRUE(window_.HasNote(L"textchanged", L"class_code"));
  CUiDriver::Type(hwnd_, L"class_code", L"\b");
  EXPECT_EQ(edit->GetText().str(), L"1234");
  CUiDriver::PressKey(hwnd_, L"class_code", VK_HOME);
  CUiDriver::PressKey(hwnd_, L"class_code", VK_DELETE);
  EXPECT_EQ(edit->GetText().str(), L"234");
  // Shift+Right twice selects "23"; typing replaces the selection.
  CUiDriver::PressKey(hwnd_, L"class_code", VK_RIGHT, ui::kModShift);
  CUiDriver::PressKey(hwnd_, L"class_code", VK_RIGHT, ui::kModShift);
  EXPECT_EQ(edit->GetSelectionStart(), 0);
  EXPECT_EQ(edit->GetSelectionEnd(), 2);
  CUiDriver::Type(hwnd_, L"class_code", L"x");
  EXPECT_EQ(edit->GetText().str(), L"x4");
  // Ctrl+A and Backspace empty it.
  CUiDriver::PressKey(hwnd_, L"class_code", 'A', ui::kModControl);
  CUiDriver::Type(hwnd_, L"class_code", L"\b");
  EXPECT_TRUE(edit->GetText().IsEmpty());
  // Backspace on an empty field changes nothing and raises nothing.
  const int changes = window_.CountNotes(L"textchanged");
  CUiDriver::Type(hwnd_, L"class_code", L"\b");
  EXPECT_EQ(window_.CountNotes(L"textchanged"), changes);
}

TEST_F(ControlsTest, EditKeepsToMaxCharAndTakesChineseText) {
  auto* edit = Get<ui::CEditUI>(L"class_code");
  edit->SetText(L"");
  CUiDriver::Type(hwnd_, L"class_code", std::wstring(40, L'7'));
  EXPECT_EQ(edit->GetText().GetLength(), 32);
  edit->SetText(L"");
  CUiDriver::Type(hwnd_, L"class_code", L"上课码");
  EXPECT_EQ(edit->GetText().str(), L"上课码");
}

TEST_F(ControlsTest, EditCopiesCutsAndPastesOneLineWithinItsLimit) {
  auto* edit = Get<ui::CEditUI>(L"class_code");
  edit->SetText(L"");
  CUiDriver::Type(hwnd_, L"class_code", L"2468");
  CUiDriver::PressKey(hwnd_, L"class_code", 'A', ui::kModControl);
  CUiDriver::PressKey(hwnd_, L"class_code", 'C', ui::kModControl);
  CUiDriver::PressKey(hwnd_, L"class_code", VK_END);
  CUiDriver::PressKey(hwnd_, L"class_code", 'V', ui::kModControl);
  EXPECT_EQ(edit->GetText().str(), L"24682468");
  CUiDriver::PressKey(hwnd_, L"class_code", 'A', ui::kModControl);
  CUiDriver::PressKey(hwnd_, L"class_code", 'X', ui::kModControl);
  EXPECT_TRUE(edit->GetText().IsEmpty());
  CUiDriver::PressKey(hwnd_, L"class_code", 'V', ui::kModControl);
  EXPECT_EQ(edit->GetText().str(), L"24682468");
  // A code copied from a mail comes with its line break, and more than the field holds.
  ASSERT_TRUE(ui::CopyTextToClipboard(hwnd_, L"1234\r\n" + std::wstring(40, L'9')));
  edit->SetText(L"");
  CUiDriver::PressKey(hwnd_, L"class_code", 'V', ui::kModControl);
  EXPECT_EQ(edit->GetText().str(), L"1234" + std::wstring(28, L'9'));
}

TEST_F(ControlsTest, WhatTheUserSelectsIsThePrimarySelectionAndAMiddleClickPastesIt) {
  auto* edit = Get<ui::CEditUI>(L"class_code");
  win::OfferPrimarySelection(L"from elsewhere");
  edit->SetText(L"QV-2024 abc");
  edit->SetSel(0, 11);  // as taking the keyboard selects a placeholder: not the user's choice
  EXPECT_EQ(win::PrimarySelectionText(), L"from elsewhere");
  edit->SetSel(11, 11);
  CUiDriver::PressKey(hwnd_, L"class_code", VK_LEFT, ui::kModShift | ui::kModControl);
  EXPECT_EQ(win::PrimarySelectionText(), L"abc");
  CUiDriver::PressKey(hwnd_, L"class_code", 'A', ui::kModControl);
  EXPECT_EQ(win::PrimarySelectionText(), L"QV-2024 abc");

  // Pasted where the middle button goes down, on one line and within the field's limit.
  win::OfferPrimarySelection(L"12\r\n" + std::wstring(40, L'9'));
  edit->SetText(L"ab");
  CUiDriver::Layout(hwnd_);
  const RECT pos = edit->GetPos();
  SendMessageW(hwnd_, WM_MBUTTONDOWN, MK_MBUTTON,
               MAKELPARAM(pos.left + 2, (pos.top + pos.bottom) / 2));
  EXPECT_EQ(edit->GetText().str(), L"12" + std::wstring(28, L'9') + L"ab");
}

TEST_F(ControlsTest, ClickingPlacesTheCaretAndMovesFocus) {
  auto* edit = Get<ui::CEditUI>(L"class_code");
  edit->SetText(L"abcdef");
  CUiDriver::Layout(hwnd_);
  const RECT pos = edit->GetPos();
  CUiDriver::ClickAt(hwnd_, POINT{pos.left + 2, (pos.top + pos.bottom) / 2});
  EXPECT_TRUE(edit->IsFocused());
  EXPECT_EQ(edit->GetCaret(), 0);
  CUiDriver::ClickAt(hwnd_, POINT{pos.right - 2, (pos.top + pos.bottom) / 2});
  EXPECT_EQ(edit->GetCaret(), 6);
  CUiDriver::Click(hwnd_, L"push_button");
  EXPECT_FALSE(edit->IsFocused());
  EXPECT_TRUE(window_.HasNote(L"killfocus", L"class_code"));
  window_.Find(L"class_code")->SetFocus();
  EXPECT_EQ(window_.manager().GetFocus(), edit);
}

TEST_F(ControlsTest, DropDownRaisesPredropdownThenItemselect) {
  auto* combo = Get<ui::CComboUI>(L"camera_device");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->GetCount(), 3);
  EXPECT_EQ(combo->GetCurSel(), -1);
  ASSERT_TRUE(CUiDriver::PickItem(hwnd_, L"camera_device", 1));
  ASSERT_GE(window_.notes.size(), 2u);
  EXPECT_TRUE(window_.HasNote(L"predropdown", L"camera_device"));
  EXPECT_TRUE(window_.HasNote(L"itemselect", L"camera_device"));
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_EQ(combo->GetText().str(), L"Camera two");
  EXPECT_FALSE(combo->IsDropped());
}

TEST_F(ControlsTest, PredropdownComesBeforeThePopUpOpens) {
  auto* combo = Get<ui::CComboUI>(L"camera_device");
  bool dropped_at_notice = true;
  window_.on_notify = [&](ui::TNotifyUI& msg) {
    if (msg.sType == ui::CUiString(L"predropdown")) dropped_at_notice = combo->IsDropped();
  };
  CUiDriver::Click(hwnd_, L"camera_device");
  EXPECT_FALSE(dropped_at_notice);
  EXPECT_TRUE(combo->IsDropped());
  combo->CloseDropDown();
  EXPECT_FALSE(combo->IsDropped());
}

TEST_F(ControlsTest, ListRefilledFromCodeOwnsItsItems) {
  auto* combo = Get<ui::CComboUI>(L"camera_device");
  combo->RemoveAll();
  EXPECT_EQ(combo->GetCount(), 0);
  EXPECT_EQ(combo->GetCurSel(), -1);
  for (const wchar_t* name : {L"USB camera", L"Test pattern"}) {
    auto* item = new ui::CListLabelElementUI;
    item->SetText(name);
    item->SetFixedHeight(30);
    EXPECT_TRUE(combo->Add(item));
  }
  // SelectItem raises "itemselect" at once, before it returns.
  EXPECT_TRUE(combo->SelectItem(1, false));
  EXPECT_TRUE(window_.HasNote(L"itemselect", L"camera_device"));
  EXPECT_EQ(combo->GetText().str(), L"Test pattern");
  EXPECT_FALSE(combo->SelectItem(5, false));
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_TRUE(CUiDriver::PickItem(hwnd_, L"camera_device", 0));
  EXPECT_EQ(combo->GetText().str(), L"USB camera");
}

TEST_F(ControlsTest, SliderReportsTheUsersChangesOnly) {
  auto* slider = Get<ui::CSliderUI>(L"volume_slider");
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->GetValue(), 80);
  slider->SetValue(30);
  EXPECT_EQ(window_.CountNotes(L"valuechanged"), 0);
  ASSERT_TRUE(CUiDriver::MoveSlider(hwnd_, L"volume_slider", 65));
  EXPECT_EQ(slider->GetValue(), 65);
  EXPECT_TRUE(window_.HasNote(L"valuechanged", L"volume_slider"));
  CUiDriver::PressKey(hwnd_, L"volume_slider", VK_RIGHT);
  EXPECT_EQ(slider->GetValue(), 66);
  CUiDriver::PressKey(hwnd_, L"volume_slider", VK_END);
  EXPECT_EQ(slider->GetValue(), 100);
  EXPECT_EQ(window_.CountNotes(L"valuechanged"), 3);
  // At the end already: nothing changes, nothing is raised.
  CUiDriver::PressKey(hwnd_, L"volume_slider", VK_RIGHT);
  EXPECT_EQ(window_.CountNotes(L"valuechanged"), 3);
  slider->SetValue(-1);
  EXPECT_EQ(slider->GetValue(), 0);
}

TEST_F(ControlsTest, ProgressValueIsKeptInItsRange) {
  auto* progress = Get<ui::CProgressUI>(L"progress_bar");
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->GetValue(), 4);
  progress->SetValue(11);
  EXPECT_EQ(progress->GetValue(), 10);
  progress->SetAttribute(L"value", L"7");
  EXPECT_EQ(progress->GetValue(), 7);
}

TEST_F(ControlsTest, HotKeyFieldCapturesACombination) {
  auto* hotkey = Get<ui::CHotKeyUI>(L"switch_camera_hotykey");
  ASSERT_NE(hotkey, nullptr);
  WORD key = 0;
  WORD modifiers = 0;
  hotkey->GetHotKey(key, modifiers);
  EXPECT_EQ(key, 'S');
  EXPECT_EQ(modifiers, 4);
  ASSERT_TRUE(CUiDriver::PressHotKey(hwnd_, L"switch_camera_hotykey", 'K',
                                     ui::kModControl | ui::kModShift));
  hotkey->GetHotKey(key, modifiers);
  EXPECT_EQ(key, 'K');
  EXPECT_EQ(modifiers, 3);
  EXPECT_EQ(hotkey->GetText().str(), L"Ctrl + Shift + K");
  EXPECT_TRUE(window_.HasNote(L"textchanged", L"switch_camera_hotykey"));
  CUiDriver::PressHotKey(hwnd_, L"switch_camera_hotykey", 'S', ui::kModAlt);
  EXPECT_EQ(hotkey->GetText().str(), L"Alt + S");
  hotkey->GetHotKey(key, modifiers);
  EXPECT_EQ(key, 'S');
  EXPECT_EQ(modifiers, 4);
}

TEST_F(ControlsTest, HotKeyWithOnlyModifiersHasNoKey) {
  auto* hotkey = Get<ui::CHotKeyUI>(L"switch_camera_hotykey");
  CUiDriver::PressHotKey(hwnd_, L"switch_camera_hotykey", VK_CONTROL, ui::kModControl);
  WORD key = 1;
  WORD modifiers = 0;
  hotkey->GetHotKey(key, modifiers);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(modifiers, 2);
  CUiDriver::PressHotKey(hwnd_, L"switch_camera_hotykey", VK_F1 + 4, 0);
  EXPECT_EQ(hotkey->GetText().str(), L"F5");
}

TEST_F(ControlsTest, DraggingAcrossTheEditSelects) {
  auto* edit = Get<ui::CEditUI>(L"class_code");
  edit->SetText(L"abcdef");
  CUiDriver::Layout(hwnd_);
  const RECT pos = edit->GetPos();
  const LONG y = (pos.top + pos.bottom) / 2;
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pos.left + 2, y));
  SendMessageW(hwnd_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pos.right - 2, y));
  SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(pos.right - 2, y));
  EXPECT_EQ(edit->GetSelectionStart(), 0);
  EXPECT_EQ(edit->GetSelectionEnd(), 6);
  CUiDriver::PressKey(hwnd_, L"class_code", VK_DELETE);
  EXPECT_TRUE(edit->GetText().IsEmpty());
}

TEST_F(ControlsTest, DisabledEditTakesNoTyping) {
  auto* edit = Get<ui::CEditUI>(L"class_code");
  edit->SetText(L"1");
  edit->SetEnabled(false);
  EXPECT_FALSE(CUiDriver::Type(hwnd_, L"class_code", L"2"));
  SendMessageW(hwnd_, WM_CHAR, L'2', 0);
  EXPECT_EQ(edit->GetText().str(), L"1");
  EXPECT_EQ(window_.CountNotes(L"textchanged"), 0);
}

TEST_F(ControlsTest, PopUpListFollowsTheKeyboard) {
  auto* combo = Get<ui::CComboUI>(L"camera_device");
  CUiDriver::Click(hwnd_, L"camera_device");
  ASSERT_TRUE(combo->IsDropped());
  const HWND pop_up = combo->GetDropDown()->GetHWND();
  SendMessageW(pop_up, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(pop_up, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(pop_up, WM_KEYDOWN, VK_RETURN, 0);
  CUiDriver::Pump();
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_FALSE(IsWindow(pop_up));
  EXPECT_FALSE(combo->IsDropped());
  // Escape closes without choosing.
  CUiDriver::Click(hwnd_, L"camera_device");
  SendMessageW(combo->GetDropDown()->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
  CUiDriver::Pump();
  EXPECT_FALSE(combo->IsDropped());
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_EQ(window_.CountNotes(L"itemselect"), 1);
}

TEST_F(ControlsTest, ClickingElsewhereClosesAnOpenList) {
  auto* combo = Get<ui::CComboUI>(L"camera_device");
  CUiDriver::Click(hwnd_, L"camera_device");
  ASSERT_TRUE(combo->IsDropped());
  CUiDriver::Click(hwnd_, L"plain_label");
  EXPECT_FALSE(combo->IsDropped());
  EXPECT_EQ(window_.manager().GetFocus(), nullptr);
  EXPECT_EQ(combo->GetCurSel(), -1);
}

TEST_F(ControlsTest, DestroyingTheWindowClosesAnOpenList) {
  auto* combo = Get<ui::CComboUI>(L"camera_device");
  CUiDriver::Click(hwnd_, L"camera_device");
  const HWND pop_up = combo->GetDropDown()->GetHWND();
  DestroyWindow(hwnd_);
  EXPECT_FALSE(IsWindow(pop_up));
  EXPECT_FALSE(combo->IsDropped());
}

TEST_F(ControlsTest, HotKeyBackspaceClearsTheField) {
  auto* hotkey = Get<ui::CHotKeyUI>(L"switch_camera_hotykey");
  CUiDriver::PressHotKey(hwnd_, L"switch_camera_hotykey", VK_BACK, 0);
  EXPECT_TRUE(hotkey->GetText().IsEmpty());
  WORD key = 1;
  WORD modifiers = 1;
  hotkey->GetHotKey(key, modifiers);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(modifiers, 0);
  EXPECT_TRUE(window_.HasNote(L"textchanged", L"switch_camera_hotykey"));
}

TEST_F(ControlsTest, InputFromTheWindowSystemReachesTheControls) {
  // The user's way in: a click at a screen point and keys to the focus window, through the
  // window system's hit testing and queue rather than sent straight to the window.
  CUiDriver::Layout(hwnd_);
  const RECT button = window_.Find(L"push_button")->GetPos();
  POINT screen{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
  ClientToScreen(hwnd_, &screen);
  win::headless::Click(win::headless::Button::Left, screen.x, screen.y);
  CUiDriver::Pump();
  EXPECT_TRUE(window_.HasNote(L"click", L"push_button"));

  window_.Find(L"switch_camera_hotykey")->SetFocus();
  win::headless::PressKey('Q', MOD_CONTROL | MOD_ALT);
  CUiDriver::Pump();
  win::headless::ReleaseKey('Q', MOD_CONTROL | MOD_ALT);
  CUiDriver::Pump();
  WORD key = 0;
  WORD modifiers = 0;
  Get<ui::CHotKeyUI>(L"switch_camera_hotykey")->GetHotKey(key, modifiers);
  EXPECT_EQ(key, 'Q');
  EXPECT_EQ(modifiers, ui::kModControl | ui::kModAlt);
  EXPECT_EQ(CUiDriver::GetText(hwnd_, L"switch_camera_hotykey").str(), L"Ctrl + Alt + Q");

  auto* edit = Get<ui::CEditUI>(L"class_code");
  edit->SetText(L"");
  edit->SetFocus();
  for (UINT key : {UINT{'4'}, UINT{'2'}, VK_BACK, UINT{'7'}}) {
    win::headless::PressKey(key, 0);
    CUiDriver::Pump();
    win::headless::ReleaseKey(key, 0);
    CUiDriver::Pump();
  }
  EXPECT_EQ(edit->GetText().str(), L"47");
}

TEST_F(ControlsTest, HiddenControlsTakeNoInput) {
  window_.Find(L"push_button")->SetVisible(false);
  EXPECT_FALSE(CUiDriver::Click(hwnd_, L"push_button"));
  EXPECT_EQ(window_.CountNotes(L"click"), 0);
}
