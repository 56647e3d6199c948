// CUiString comparisons and the parsing of attribute texts.
#include <ui/ui.h>
#include <gtest/gtest.h>

#include "attribute_values.h"

using ui::CUiString;

TEST(DuiString, EmptyAndCompare) {
  EXPECT_TRUE(CUiString().IsEmpty());
  EXPECT_TRUE(CUiString(static_cast<const wchar_t*>(nullptr)).IsEmpty());
  EXPECT_FALSE(CUiString(L"a").IsEmpty());
  EXPECT_EQ(CUiString(L"abc").Compare(L"abc"), 0);
  EXPECT_LT(CUiString(L"abc").Compare(L"abd"), 0);
  EXPECT_GT(CUiString(L"abd").Compare(L"abc"), 0);
  EXPECT_NE(CUiString(L"Please input lesson code").Compare(L"please input lesson code"), 0);
}

TEST(DuiString, CompareNoCaseIgnoresLetterCaseOnly) {
  EXPECT_EQ(CUiString(L"Please Input").CompareNoCase(L"pLEASE iNPUT"), 0);
  EXPECT_EQ(CUiString(L"请输入上课码").CompareNoCase(L"请输入上课码"), 0);
  EXPECT_NE(CUiString(L"请输入上课码").CompareNoCase(L"请输入上课"), 0);
  EXPECT_LT(CUiString(L"ab").CompareNoCase(L"ABC"), 0);
  EXPECT_GT(CUiString(L"abc").CompareNoCase(L"AB"), 0);
}

TEST(AttributeValues, ColoursWithAndWithoutHash) {
  EXPECT_EQ(ui::ParseColor(L"#ffe5393b"), 0xFFE5393Bu);
  EXPECT_EQ(ui::ParseColor(L"ffd81e06"), 0xFFD81E06u);
  EXPECT_EQ(ui::ParseColor(L"#80000000"), 0x80000000u);
  EXPECT_EQ(ui::ParseColor(L"#123456"), 0xFF123456u);
  EXPECT_FALSE(ui::ParseColor(L"#ff12345g"));
  EXPECT_FALSE(ui::ParseColor(L"#fff"));
  EXPECT_FALSE(ui::ParseColor(L""));
}

TEST(AttributeValues, NumbersRectanglesAndSizes) {
  EXPECT_EQ(ui::ParseInt(L" 42 "), 42);
  EXPECT_FALSE(ui::ParseInt(L"4x"));
  const auto rect = ui::ParseRect(L"10,100,10,-5");
  ASSERT_TRUE(rect);
  EXPECT_EQ(rect->value.left, 10);
  EXPECT_EQ(rect->value.top, 100);
  EXPECT_EQ(rect->value.bottom, -5);
  EXPECT_FALSE(ui::ParseRect(L"1,2,3"));
  EXPECT_FALSE(ui::ParseRect(L"1,2,3,4,5"));
  const auto size = ui::ParseSize(L"1080,675");
  ASSERT_TRUE(size);
  EXPECT_EQ(size->value.cx, 1080);
  EXPECT_EQ(size->value.cy, 675);
  EXPECT_EQ(ui::ParseBool(L"true"), true);
  EXPECT_FALSE(ui::ParseBool(L"yes"));
}

TEST(AttributeValues, ImageDescriptions) {
  const auto bare = ui::ParseImage(L"logo_quorvel.png");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->file, L"logo_quorvel.png");
  const auto cornered = ui::ParseImage(L"file='wnd_bg_quorvel.jpg' corner='10,100,10,10'");
  ASSERT_TRUE(cornered);
  EXPECT_EQ(cornered->file, L"wnd_bg_quorvel.jpg");
  EXPECT_EQ(cornered->corner.top, 100);
  EXPECT_EQ(cornered->corner.right, 10);
  EXPECT_FALSE(ui::ParseImage(L"file='x.png"));
  EXPECT_FALSE(ui::ParseImage(L"corner='1,2,3,4'"));
  EXPECT_FALSE(ui::ParseImage(L"file='x.png' corner='1,2'"));
  EXPECT_FALSE(ui::ParseImage(L"file='x.png' fade='3'"));
}
