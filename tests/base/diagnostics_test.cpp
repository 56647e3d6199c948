#include "base/diagnostics.h"

#include <gtest/gtest.h>

#include "base/text_conversion.h"
#include "tests/support/scoped_env.h"

using testing_support::ScopedEnv;

namespace {

template <typename... Args>
std::string DebugOutput(const char* debug, const wchar_t* format, Args... args) {
  ScopedEnv env("QUORVEL_DEBUG", debug ? std::optional<std::string>(debug) : std::nullopt);
  testing::internal::CaptureStderr();
  DebugPrint(format, args...);
  return testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(DebugPrint, WritesTheProgramsFormatsExactly) {
  EXPECT_EQ(DebugOutput("1", L"--> %d", 3), "--> 3");
  EXPECT_EQ(DebugOutput("1", L"\r\nEID_NETWORK_QUALITY:uid:%d rx:%d tx:%d", -7, 1, 6),
            "\r\nEID_NETWORK_QUALITY:uid:-7 rx:1 tx:6");
  EXPECT_EQ(DebugOutput("1", L"Rect of Monitor-%d is x=%d y=%d w=%d h=%d", 1, 1920, 0, 1280, 1024),
            "Rect of Monitor-1 is x=1920 y=0 w=1280 h=1024");
}

TEST(DebugPrint, PercentSTakesWideTextAsOnWindows) {
  EXPECT_EQ(DebugOutput("1", L"--> %s %d %d", L"cam-\u4e2d", 1, 2), "--> cam-\xe4\xb8\xad 1 2");
  EXPECT_EQ(DebugOutput("1", L"%hs|%ls|%-4s|%c|%%s", "narrow", L"wide", L"ab", L'z'),
            "narrow|wide|ab  |z|%s");
}

TEST(DebugPrint, LongTextIsWrittenWhole) {
  const std::wstring long_text(5000, L'x');
  EXPECT_EQ(DebugOutput("1", L"[%s]", long_text.c_str()), "[" + std::string(5000, 'x') + "]");
}

TEST(DebugPrint, DiscardedWithoutTheDebugVariable) {
  EXPECT_EQ(DebugOutput(nullptr, L"--> %d", 3), "");
  EXPECT_EQ(DebugOutput("0", L"--> %d", 3), "");
}

TEST(FileVersion, ReadsTheStampOfAnyProgramFile) {
  int major = -1, minor = -1, build = -1, revision = -1;
  ASSERT_TRUE(ReadFileVersion(Utf8ToWide(VERSION_PROBE_PATH), major, minor, build, revision));
  EXPECT_EQ(major, 2);
  EXPECT_EQ(minor, 0);
  EXPECT_EQ(build, 15);
  EXPECT_EQ(revision, 3);

  ASSERT_TRUE(ReadFileVersion(Utf8ToWide(QUORVEL_PROGRAM_PATH), major, minor, build, revision));
  EXPECT_EQ(std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build) +
                "." + std::to_string(revision),
            "1.1.7.0");
}

TEST(FileVersion, FailureLeavesTheOutputsUntouched) {
  int major = 11, minor = 12, build = 13, revision = 14;
  EXPECT_FALSE(ReadFileVersion(L"/no/such/program", major, minor, build, revision));
  EXPECT_FALSE(ReadFileVersion(L"/etc/hostname", major, minor, build, revision));
  EXPECT_EQ(major, 11);
  EXPECT_EQ(minor, 12);
  EXPECT_EQ(build, 13);
  EXPECT_EQ(revision, 14);
}

TEST(FileVersion, ProgramWithoutAStampHasNoVersionText) {
  // This test program carries no version.
  EXPECT_EQ(ProgramVersionText(), L"");
}
