// The edit field of the gallery layout in the real archive: moving by words, the caret's blink
// on the headless clock, and the text scrolled to keep the caret in view.
#include <gtest/gtest.h>

#include "ui_test_support.h"

using ui::CUiDriver;

namespace {

class EditTest : public ui_test::GalleryTest<> {
 protected:
  void SetUp() override {
    OpenGallery(L"orbs.en");
    edit_ = dynamic_cast<ui::CEditUI*>(window_.Find(L"class_code"));
    CUiDriver::Layout(hwnd_);
  }
  void Press(UINT key, WORD modifiers = 0) {
    ASSERT_TRUE(CUiDriver::PressKey(hwnd_, L"class_code", key, modifiers));
  }

  ui::CEditUI* edit_ = nullptr;
};

struct WordMove {
  int from;
  UINT key;
  WORD modifiers;
  int caret;
  int anchor;
};

TEST_F(EditTest, CtrlArrowsMoveByWordsAndShiftExtendsTheSelection) {
  // "lesson  code 42": words start at 0, 8 and 13.
  const WordMove moves[] = {
      {0, VK_RIGHT, ui::kModControl, 8, 8},
      {3, VK_RIGHT, ui::kModControl, 8, 8},
      {8, VK_RIGHT, ui::kModControl, 13, 13},
      {13, VK_RIGHT, ui::kModControl, 15, 15},
      {15, VK_LEFT, ui::kModControl, 13, 13},
      {12, VK_LEFT, ui::kModControl, 8, 8},
      {7, VK_LEFT, ui::kModControl, 0, 0},
      {0, VK_LEFT, ui::kModControl, 0, 0},
      {0, VK_RIGHT, ui::kModControl | ui::kModShift, 8, 0},
      {15, VK_LEFT, ui::kModControl | ui::kModShift, 13, 15},
  };
  edit_->SetText(L"lesson  code 42");
  for (const WordMove& move : moves) {
    edit_->SetSel(move.from, move.from);
    Press(move.key, move.modifiers);
    EXPECT_EQ(edit_->GetCaret(), move.caret) << move.from << " " << move.key;
    EXPECT_EQ(edit_->GetSelectionStart(), std::min(move.caret, move.anchor)) << move.from;
    EXPECT_EQ(edit_->GetSelectionEnd(), std::max(move.caret, move.anchor)) << move.from;
  }
}

TEST_F(EditTest, TheCaretBlinksWhileFocusedAndShowsSolidAfterAKey) {
  EXPECT_FALSE(edit_->IsCaretShown());
  edit_->SetFocus();
  EXPECT_TRUE(edit_->IsCaretShown());
  std::vector<bool> shown;
  for (int i = 0; i < 4; ++i) {
    win::headless::AdvanceClock(530);
    CUiDriver::Pump();
    shown.push_back(edit_->IsCaretShown());
  }
  EXPECT_EQ(shown, (std::vector<bool>{false, true, false, true}));
  win::headless::AdvanceClock(530);
  CUiDriver::Pump();
  Press(VK_LEFT);
  EXPECT_TRUE(edit_->IsCaretShown());
  window_.Find(L"push_button")->SetFocus();
  win::headless::AdvanceClock(530);
  CUiDriver::Pump();
  EXPECT_FALSE(edit_->IsCaretShown());
}

TEST_F(EditTest, LongTextScrollsSoThatTheCaretStaysInsideTheField) {
  edit_->SetText(L"");
  edit_->SetAttribute(L"maxchar", L"200");
  std::wstring code;
  while (code.size() < 120) code += L"A long code, far wider than its field. ";
  ASSERT_TRUE(CUiDriver::Type(hwnd_, L"class_code", code));
  const RECT field = edit_->GetPos();
  const auto inside = [&] {
    const RECT caret = edit_->GetCaretRect();
    return caret.left >= field.left && caret.right <= field.right;
  };
  EXPECT_TRUE(inside());
  EXPECT_GT(edit_->GetCaretRect().left, (field.left + field.right) / 2);
  Press(VK_HOME);
  EXPECT_TRUE(inside());
  EXPECT_EQ(edit_->GetCaretRect().left, field.left + edit_->GetTextPadding().left);
  Press(VK_END);
  EXPECT_TRUE(inside());
  // A click then lands on the character under it in the scrolled text.
  const RECT caret = edit_->GetCaretRect();
  ASSERT_TRUE(CUiDriver::ClickAt(hwnd_, POINT{caret.left - 1, (field.top + field.bottom) / 2}));
  EXPECT_GE(edit_->GetCaret(), static_cast<int>(code.size()) - 1);
}

}  // namespace
