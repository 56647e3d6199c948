#include <windows.h>

#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <utility>

#include "tests/support/scoped_env.h"

using testing_support::ScopedEnv;
using testing_support::TempDir;

namespace {

LCID LcidFor(std::optional<std::string> lc_all, std::optional<std::string> lc_messages,
             std::optional<std::string> lang) {
  ScopedEnv a("LC_ALL", std::move(lc_all));
  ScopedEnv m("LC_MESSAGES", std::move(lc_messages));
  ScopedEnv l("LANG", std::move(lang));
  return GetUserDefaultLCID();
}

}  // namespace

TEST(UserLocale, ChineseRegionsMapToTheirIdentifiers) {
  EXPECT_EQ(LcidFor(std::nullopt, std::nullopt, "zh_CN.UTF-8"), 0x0804u);
  EXPECT_EQ(LcidFor(std::nullopt, std::nullopt, "zh_TW.UTF-8"), 0x0404u);
  EXPECT_EQ(LcidFor(std::nullopt, std::nullopt, "zh_HK"), 0x0C04u);
  EXPECT_EQ(LcidFor(std::nullopt, std::nullopt, "zh_SG.UTF-8@stroke"), 0x1004u);
}

TEST(UserLocale, AnythingElseIsUsEnglish) {
  EXPECT_EQ(LcidFor(std::nullopt, std::nullopt, "en_GB.UTF-8"), 0x0409u);
  EXPECT_EQ(LcidFor(std::nullopt, std::nullopt, "C"), 0x0409u);
  EXPECT_EQ(LcidFor(std::nullopt, std::nullopt, std::nullopt), 0x0409u);
  EXPECT_EQ(LcidFor(std::nullopt, std::nullopt, "zhx_CN"), 0x0409u);
}

TEST(UserLocale, FirstSetVariableWins) {
  EXPECT_EQ(LcidFor("zh_CN.UTF-8", "en_US.UTF-8", "en_US.UTF-8"), 0x0804u);
  EXPECT_EQ(LcidFor("", "zh_TW.UTF-8", "en_US.UTF-8"), 0x0404u);
  EXPECT_EQ(LcidFor(std::nullopt, "en_US.UTF-8", "zh_CN.UTF-8"), 0x0409u);
}

TEST(ApplicationDataFolder, FollowsXdgConfigHomeThenHome) {
  char path[MAX_PATH] = {};
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/tmp/some-config");
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE));
    EXPECT_STREQ(path, "/tmp/some-config");
  }
  {
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv home("HOME", "/home/teacher");
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE));
    EXPECT_STREQ(path, "/home/teacher/.config");
  }
  {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
    ScopedEnv config("XDG_CONFIG_HOME", "relative/dir");
    ScopedEnv home("HOME", "/home/student");
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE));
    EXPECT_STREQ(path, "/home/student/.config");
  }
}

TEST(ApplicationDataFolder, TooLongForTheBufferFails) {
  ScopedEnv config("XDG_CONFIG_HOME", "/" + std::string(MAX_PATH, 'x'));
  char path[MAX_PATH] = {};
  EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE));
}

TEST(FileSystem, CreateDirectoryAndPathFileExists) {
  TempDir dir;
  const std::string folder = (dir.path() / "Quorvel").string();
  EXPECT_FALSE(PathFileExistsA(folder.c_str()));
  EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_TRUE(PathFileExistsA(folder.c_str()));
  EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr)) << "an existing folder is an error";
  EXPECT_FALSE(CreateDirectoryA((dir.path() / "a" / "b").string().c_str(), nullptr));
}

TEST(FileSystem, MoveFileExReplacesOnlyWhenAsked) {
  TempDir dir;
  const std::string from = (dir.path() / "new").string();
  const std::string to = (dir.path() / "old").string();
  std::ofstream(from) << "new";
  std::ofstream(to) << "old";
  EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH));
  ASSERT_TRUE(
      MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  std::string text;
  std::ifstream(to) >> text;
  EXPECT_EQ(text, "new");
  EXPECT_FALSE(PathFileExistsA(from.c_str()));
  EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
}

TEST(ModuleFile, NamesTheRunningProgram) {
  wchar_t path[512] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, 512);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::wstring(path).size(), length);
  EXPECT_NE(std::wstring(path).find(L"platform_win_system_tests"), std::wstring::npos);

  wchar_t small[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 4), 4u) << "truncation reports the buffer size";
  EXPECT_EQ(small[3], L'\0');
}

TEST(VersionInfo, FilesWithoutAStampHaveNoVersion) {
  TempDir dir;
  const auto text_file = dir.path() / "notes.txt";
  std::ofstream(text_file) << "not a program";
  DWORD handle = 7;
  EXPECT_EQ(GetFileVersionInfoSizeW(text_file.wstring().c_str(), &handle), 0u);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(GetFileVersionInfoSizeW(L"/no/such/file", nullptr), 0u);
  // This test program is an ELF file that the build did not stamp.
  wchar_t self[512] = {};
  GetModuleFileNameW(nullptr, self, 512);
  EXPECT_EQ(GetFileVersionInfoSizeW(self, nullptr), 0u);
}

TEST(VersionInfo, QueryNeedsTheRootBlock) {
  VS_FIXEDFILEINFO info{};
  info.dwSignature = VS_FFI_SIGNATURE;
  LPVOID out = nullptr;
  UINT length = 0;
  EXPECT_TRUE(VerQueryValueW(&info, L"\\", &out, &length));
  EXPECT_EQ(out, &info);
  EXPECT_EQ(length, sizeof info);
  EXPECT_FALSE(VerQueryValueW(&info, L"\\StringFileInfo\\080404b0\\FileVersion", &out, &length));
  info.dwSignature = 0;
  EXPECT_FALSE(VerQueryValueW(&info, L"\\", &out, &length));
}

namespace {

std::atomic<int> g_control_type{-1};
BOOL TakeControlEvent(DWORD type) {
  g_control_type = static_cast<int>(type);
  return TRUE;
}
BOOL DeclineControlEvent(DWORD) { return FALSE; }

bool ControlEventArrives(int expected) {
  for (int waited = 0; waited < 5000; waited += 5) {
    if (g_control_type.load() == expected) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace

TEST(ConsoleControl, TerminationSignalsReachTheHandlerAsTheirEvents) {
  ASSERT_TRUE(SetConsoleCtrlHandler(TakeControlEvent, TRUE));
  // One that declines, added later, is asked first and passes the event on.
  ASSERT_TRUE(SetConsoleCtrlHandler(DeclineControlEvent, TRUE));
  const std::pair<int, DWORD> signals_to_events[] = {
      {SIGINT, CTRL_C_EVENT}, {SIGHUP, CTRL_CLOSE_EVENT}, {SIGTERM, CTRL_SHUTDOWN_EVENT}};
  for (const auto& [signal_number, type] : signals_to_events) {
    g_control_type = -1;
    raise(signal_number);
    EXPECT_TRUE(ControlEventArrives(static_cast<int>(type))) << signal_number;
  }
  EXPECT_TRUE(SetConsoleCtrlHandler(DeclineControlEvent, FALSE));
  EXPECT_TRUE(SetConsoleCtrlHandler(TakeControlEvent, FALSE));
  EXPECT_FALSE(SetConsoleCtrlHandler(TakeControlEvent, FALSE));
}

TEST(ConsoleControlDeathTest, ASignalNoHandlerTakesEndsTheProgramAsWithout) {
  EXPECT_EXIT(
      {
        SetConsoleCtrlHandler(DeclineControlEvent, TRUE);
        raise(SIGTERM);
        std::this_thread::sleep_for(std::chrono::seconds(5));
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

TEST(Libraries, LoadFindAndFailWithTheKindOfFailure) {
  EXPECT_EQ(LoadLibraryA("libquorvel-none.so.0"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  HMODULE c = LoadLibraryA("libc.so.6");
  ASSERT_NE(c, nullptr);
  using Length = std::size_t (*)(const char*);
  auto length = reinterpret_cast<Length>(GetProcAddress(c, "strlen"));
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length("lesson"), 6u);
  EXPECT_EQ(GetProcAddress(c, "no_such_function_here"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(FreeLibrary(c));
}
