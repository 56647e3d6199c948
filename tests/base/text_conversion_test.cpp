#include "base/text_conversion.h"

#include <gtest/gtest.h>

TEST(TextConversion, EmptyInEmptyOut) {
  EXPECT_EQ(Utf8ToWide(""), L"");
  EXPECT_EQ(AnsiToWide(""), L"");
  EXPECT_EQ(WideToAnsi(L""), "");
}

TEST(TextConversion, ServiceTextsSurviveTheRoundTrip) {
  const std::string update_message =
      "\xe6\x96\xb0\xe7\x89\x88\xe6\x9c\xac 1.2 is out";  // "新版本 1.2 is out"
  EXPECT_EQ(Utf8ToWide(update_message), L"\u65b0\u7248\u672c 1.2 is out");
  EXPECT_EQ(WideToAnsi(Utf8ToWide(update_message)), update_message);
  EXPECT_EQ(AnsiToWide("Alt + S"), L"Alt + S");
}

TEST(TextConversion, EmbeddedNulsAreKept) {
  const std::string with_nul("a\0b", 3);
  EXPECT_EQ(Utf8ToWide(with_nul), std::wstring(L"a\0b", 3));
  EXPECT_EQ(WideToAnsi(std::wstring(L"a\0b", 3)), with_nul);
}

TEST(TextConversion, CharactersTheCodePageLacksBecomeItsDefault) {
  std::wstring text = L"code ";
  text += static_cast<wchar_t>(0xDC00);
  EXPECT_EQ(WideToAnsi(text), "code ?");
  EXPECT_EQ(Utf8ToWide("\xff"), L"\uFFFD");
}
