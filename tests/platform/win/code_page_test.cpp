#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Decode(const std::string& bytes) {
  int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  EXPECT_EQ(
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n),
      n);
  return out;
}

std::string Encode(const std::wstring& wide, BOOL* used_default = nullptr,
                   const char* fallback = nullptr) {
  int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              fallback, used_default);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      fallback, used_default);
  return out;
}

}  // namespace

TEST(CodePage, RoundTripsEveryPlane) {
  const std::wstring text = L"A\u00e9\u4e2d\u6587\U0001F600";
  EXPECT_EQ(Decode(Encode(text)), text);
  EXPECT_EQ(Encode(L"\u4e2d"), "\xe4\xb8\xad");
}

TEST(CodePage, MalformedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(Decode("a\xff"
                   "b"),
            L"a\uFFFDb");
  EXPECT_EQ(Decode("\xe4\xb8"), L"\uFFFD\uFFFD") << "a truncated sequence";
  EXPECT_EQ(Decode("\xc0\xaf"), L"\uFFFD\uFFFD") << "an overlong encoding";
  EXPECT_EQ(Decode("\xed\xa0\x80"), L"\uFFFD\uFFFD\uFFFD") << "an encoded surrogate";
}

TEST(CodePage, InvalidCharactersFlagRefusesMalformedInputOnly) {
  const auto count = [](const std::string& bytes) {
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                               static_cast<int>(bytes.size()), nullptr, 0);
  };
  for (const char* bad : {"a\xff", "\xe4\xb8", "\xc0\xaf", "\xed\xa0\x80", "\xe9\xae b"}) {
    EXPECT_EQ(count(bad), 0) << bad;
  }
  EXPECT_EQ(count("A\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80"), 4);
  EXPECT_EQ(count("\xef\xbf\xbd"), 1) << "a replacement character that was really written";
  wchar_t wide[4] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "ok\xff", 3, wide, 4), 0);
}

TEST(CodePage, UnencodableCharactersTakeTheDefault) {
  BOOL used = FALSE;
  std::wstring lone_surrogate = L"x";
  lone_surrogate += static_cast<wchar_t>(0xD800);
  EXPECT_EQ(Encode(lone_surrogate, &used), "x?");
  EXPECT_TRUE(used);
  EXPECT_EQ(Encode(lone_surrogate, &used, "#"), "x#");
  EXPECT_EQ(Encode(L"plain", &used), "plain");
  EXPECT_FALSE(used);
}

TEST(CodePage, WindowsCountingRules) {
  // -1 converts up to and including the terminator.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, nullptr, 0), 3);
  wchar_t small[2];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, small, 2), 0) << "too small a buffer";
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 0, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 0), 0) << "unknown code page";
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u4e2d", -1, nullptr, 0, nullptr, nullptr), 4);
}
