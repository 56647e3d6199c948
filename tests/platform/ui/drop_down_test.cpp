// A long drop-down list in the gallery layout of the real archive: the pop-up's size and
// scrolling, its keyboard, and the one selection a pick makes.
#include <gtest/gtest.h>

#include "combo_window.h"
#include "ui_test_support.h"

using ui::CUiDriver;

namespace {

constexpr int kItems = 12;

class DropDownTest : public ui_test::GalleryTest<::testing::TestWithParam<const wchar_t*>> {
 protected:
  void SetUp() override {
    OpenGallery(GetParam());
    combo_ = dynamic_cast<ui::CComboUI*>(window_.Find(L"camera_device"));
    combo_->RemoveAll();
    for (int i = 0; i < kItems; ++i) {
      auto* item = new ui::CListLabelElementUI;
      const std::wstring name = i == kItems - 1 ? L"Zoom camera, its name far longer than the list"
                                                : L"Camera " + std::to_wstring(i + 1);
      item->SetText(name.c_str());
      item->SetFixedHeight(30);
      combo_->Add(item);
    }
    combo_->SelectItem(1);
    window_.notes.clear();
  }
  void Key(UINT key) { ASSERT_TRUE(CUiDriver::PressKey(hwnd_, L"camera_device", key)); }
  bool Shows(int index) { return CUiDriver::DropDownShows(hwnd_, L"camera_device", index); }
  int Highlight() { return CUiDriver::DropDownHighlight(hwnd_, L"camera_device"); }

  ui::CComboUI* combo_ = nullptr;
};

TEST_P(DropDownTest, ThePopUpShowsEightItemsAndIsWideEnoughForTheLongest) {
  CUiDriver::Click(hwnd_, L"camera_device");
  ASSERT_TRUE(combo_->IsDropped());
  RECT rect{};
  GetWindowRect(combo_->GetDropDown()->GetHWND(), &rect);
  EXPECT_EQ(rect.bottom - rect.top, 8 * 30 + 2);
  EXPECT_GT(rect.right - rect.left, combo_->GetPos().right - combo_->GetPos().left);
  EXPECT_TRUE(Shows(0) && Shows(7));
  EXPECT_FALSE(Shows(8));
  EXPECT_EQ(Highlight(), 1);  // the selection, highlighted
}

TEST_P(DropDownTest, TheWheelScrollsToTheLastItemAndBackWithoutSelecting) {
  CUiDriver::Click(hwnd_, L"camera_device");
  ASSERT_TRUE(CUiDriver::ScrollDropDown(hwnd_, L"camera_device", -1));
  EXPECT_FALSE(Shows(0));
  ASSERT_TRUE(CUiDriver::ScrollDropDown(hwnd_, L"camera_device", -5));
  EXPECT_TRUE(Shows(kItems - 1));
  EXPECT_TRUE(Shows(kItems - 8));
  ASSERT_TRUE(CUiDriver::ScrollDropDown(hwnd_, L"camera_device", 5));
  EXPECT_TRUE(Shows(0));
  // A press on the scroll bar below its thumb turns a page.
  const HWND pop_up = combo_->GetDropDown()->GetHWND();
  RECT client{};
  GetClientRect(pop_up, &client);
  const LPARAM track = MAKELPARAM(client.right - 5, client.bottom - 5);
  SendMessageW(pop_up, WM_LBUTTONDOWN, MK_LBUTTON, track);
  SendMessageW(pop_up, WM_LBUTTONUP, 0, track);
  EXPECT_FALSE(Shows(0));
  EXPECT_TRUE(Shows(8));
  EXPECT_TRUE(combo_->IsDropped());
  EXPECT_EQ(combo_->GetCurSel(), 1);
  EXPECT_EQ(window_.CountNotes(L"itemselect"), 0);
}

struct KeyRoad {
  std::vector<UINT> keys;  // after the list is open
  int highlight;
};

TEST_P(DropDownTest, KeysMoveTheHighlightAndScrollItIntoViewAndEscChangesNothing) {
  window_.manager().SetCancelButton(L"closebtn");
  const KeyRoad roads[] = {
      {{VK_END}, kItems - 1},  {{VK_NEXT}, 1 + 7}, {{VK_NEXT, VK_NEXT}, kItems - 1},
      {{VK_END, VK_PRIOR}, 4}, {{VK_HOME}, 0},     {{VK_UP, VK_UP}, 0},
      {{VK_DOWN, VK_DOWN}, 3}, {{'C', 'C'}, 3},    {{'Z'}, kItems - 1},
  };
  for (const KeyRoad& road : roads) {
    Key(VK_DOWN);  // a closed list opens on an arrow, with its selection highlighted
    ASSERT_TRUE(combo_->IsDropped());
    for (UINT key : road.keys) {
      if (key >= 'A' && key <= 'Z')
        SendMessageW(hwnd_, WM_CHAR, key, 0);
      else
        Key(key);
    }
    EXPECT_EQ(Highlight(), road.highlight) << road.keys.front();
    EXPECT_TRUE(Shows(road.highlight));
    Key(VK_ESCAPE);
    CUiDriver::Pump();
    EXPECT_FALSE(combo_->IsDropped());
  }
  // Esc each time: nothing was chosen.
  EXPECT_EQ(combo_->GetCurSel(), 1);
  EXPECT_EQ(window_.CountNotes(L"itemselect"), 0);
  EXPECT_EQ(window_.CountNotes(L"click"), 0);  // Esc closed the list, not the window
}

TEST_P(DropDownTest, EnterOrAClickPicksWithOneSelection) {
  Key(VK_DOWN);
  Key(VK_END);
  Key(VK_RETURN);
  CUiDriver::Pump();
  EXPECT_FALSE(combo_->IsDropped());
  EXPECT_EQ(combo_->GetCurSel(), kItems - 1);
  EXPECT_EQ(window_.CountNotes(L"itemselect"), 1);
  EXPECT_TRUE(CUiDriver::PickItem(hwnd_, L"camera_device", 10));
  EXPECT_EQ(window_.CountNotes(L"itemselect"), 2);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, DropDownTest, ::testing::Values(L"orbs.cn", L"orbs.en"));

}  // namespace
