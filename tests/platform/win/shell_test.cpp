// The drag-full-windows option kept per user, and web addresses opened through xdg-open.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "tests/support/scoped_env.h"

using testing_support::ScopedEnv;
using testing_support::TempDir;

namespace {

BOOL DragOption() {
  BOOL value = 2;
  EXPECT_TRUE(SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &value, 0));
  return value;
}

TEST(DragFullWindows, IsOnUntilSetAndPersistsForTheUser) {
  TempDir home;
  ScopedEnv config("XDG_CONFIG_HOME", home.path().string());
  EXPECT_EQ(DragOption(), TRUE);
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 0, nullptr, SPIF_UPDATEINIFILE));
  EXPECT_EQ(DragOption(), FALSE);
  std::ifstream stored(home.path() / "quorvel-system" / "drag-full-windows");
  int value = -1;
  stored >> value;
  EXPECT_EQ(value, 0);
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, SPIF_UPDATEINIFILE));
  EXPECT_EQ(DragOption(), TRUE);
}

TEST(DragFullWindows, ASetWithoutTheProfileLastsForTheRunOnly) {
  TempDir home;
  ScopedEnv config("XDG_CONFIG_HOME", home.path().string());
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 0, nullptr, 0));
  EXPECT_EQ(DragOption(), FALSE);
  EXPECT_FALSE(std::filesystem::exists(home.path() / "quorvel-system" / "drag-full-windows"));
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, SPIF_UPDATEINIFILE);
}

TEST(DragFullWindows, OtherActionsAndMissingBuffersFail) {
  EXPECT_FALSE(SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoW(0x1234, 0, nullptr, 0));
}

class OpenAddress : public ::testing::Test {
 protected:
  void SetUp() override {
    // A stand-in xdg-open first on the PATH records what it was asked to open.
    std::filesystem::path script = bin_.path() / "xdg-open";
    {
      std::ofstream out(script);
      out << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << (bin_.path() / "opened").string() << ".tmp\"\n"
          << "mv \"" << (bin_.path() / "opened").string() << ".tmp\" \""
          << (bin_.path() / "opened").string() << "\"\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const char* old_path = std::getenv("PATH");
    path_.emplace("PATH", bin_.path().string() + ":" + (old_path ? old_path : "/usr/bin:/bin"));
  }
  std::string WaitForOpened() {
    std::filesystem::path opened = bin_.path() / "opened";
    for (int i = 0; i < 500 && !std::filesystem::exists(opened); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(opened);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static bool Succeeded(HINSTANCE result) { return reinterpret_cast<std::uintptr_t>(result) > 32; }

  TempDir bin_;
  std::optional<ScopedEnv> path_;
};

TEST_F(OpenAddress, AWebAddressIsHandedToXdgOpenAsIs) {
  const wchar_t* address = L"https://example.org/download?v=1.2.0&x=$(id)";
  EXPECT_TRUE(Succeeded(ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOW)));
  EXPECT_EQ(WaitForOpened(), "https://example.org/download?v=1.2.0&x=$(id)");
}

TEST_F(OpenAddress, AnythingButHttpOrHttpsIsRefused) {
  for (const wchar_t* address : {L"file:///etc/passwd", L"javascript:alert(1)", L"/usr/bin/xterm",
                                 L"http://", L"http://a b", L"-e http://x", L""}) {
    EXPECT_FALSE(Succeeded(ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOW)))
        << std::filesystem::path(address).string();
  }
  EXPECT_FALSE(Succeeded(
      ShellExecuteW(nullptr, L"edit", L"https://example.org", nullptr, nullptr, SW_SHOW)));
  EXPECT_FALSE(Succeeded(ShellExecuteW(nullptr, L"open", nullptr, nullptr, nullptr, SW_SHOW)));
}

}  // namespace
