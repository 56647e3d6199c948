#include "service/settings_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "service/data_holder.h"
#include "tests/support/scoped_env.h"

using testing_support::ScopedUserProfile;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteAll(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

const std::string kDefaultsFile =
    "{\n"
    "\t\"app_id\" : \"\",\n"
    "\t\"hotkey\" : \"Alt + S\",\n"
    "\t\"mirror_mode\" : false,\n"
    "\t\"profile\" : 0,\n"
    "\t\"volume\" : 80\n"
    "}\n"
    "\n";

struct Loaded {
  std::string app_id;
  int profile;
  int volume;
  bool mirror_mode;
  std::string hotkey;
};

Loaded LoadFrom(const ScopedUserProfile& profile, const std::string& text) {
  WriteAll(profile.settings_file(), text);
  DataHolder holder;
  return {holder.settings().app_id, holder.lesson().video_profile, holder.settings().volume,
          holder.settings().mirror_mode, holder.settings().hotkey};
}

}  // namespace

TEST(SettingsFile, FirstRunCreatesTheFolderAndWritesDefaultsAtExit) {
  ScopedUserProfile profile;
  ASSERT_FALSE(fs::exists(profile.config_folder() / "Quorvel"));
  {
    DataHolder holder;
    EXPECT_TRUE(fs::is_directory(profile.config_folder() / "Quorvel"));
    EXPECT_FALSE(fs::exists(profile.settings_file()));
    EXPECT_EQ(holder.settings().volume, 80);
    EXPECT_EQ(holder.settings().hotkey, "Alt + S");
    EXPECT_FALSE(holder.settings().mirror_mode);
  }
  EXPECT_EQ(ReadAll(profile.settings_file()), kDefaultsFile);
}

TEST(SettingsFile, FiveValuesRoundTrip) {
  ScopedUserProfile profile;
  {
    DataHolder holder;
    holder.settings().app_id = "a0f3\"quoted\"\\id";
    holder.lesson().video_profile = 55;
    holder.settings().volume = 35;
    holder.settings().mirror_mode = true;
    holder.settings().hotkey = "Ctrl + Shift + F9";
  }
  DataHolder holder;
  EXPECT_EQ(holder.settings().app_id, "a0f3\"quoted\"\\id");
  EXPECT_EQ(holder.lesson().video_profile, 55);
  EXPECT_EQ(holder.settings().volume, 35);
  EXPECT_TRUE(holder.settings().mirror_mode);
  EXPECT_EQ(holder.settings().hotkey, "Ctrl + Shift + F9");
}

TEST(SettingsFile, ZeroVolumeAndEmptyHotkeyComeBackAsDefaults) {
  ScopedUserProfile profile;
  {
    DataHolder holder;
    holder.settings().volume = 0;
    holder.settings().hotkey.clear();
    SaveSettings(holder);
    EXPECT_NE(ReadAll(profile.settings_file()).find("\"volume\" : 0"), std::string::npos);
    holder.settings().volume = 0;
    holder.settings().hotkey.clear();
  }
  DataHolder holder;
  EXPECT_EQ(holder.settings().volume, 80);
  EXPECT_EQ(holder.settings().hotkey, "Alt + S");
}

TEST(SettingsFile, WrittenFormIsExactWhateverOrderWasRead) {
  ScopedUserProfile profile;
  WriteAll(
      profile.settings_file(),
      "{\"volume\": 61, \"extra\": [1, 2], \"profile\": 55, \"hotkey\": \"Alt + \xe4\xb8\xad\",\r\n"
      " \"mirror_mode\": true, \"app_id\": \"abc\"}\r\n");
  { DataHolder holder; }
  EXPECT_EQ(ReadAll(profile.settings_file()),
            "{\n"
            "\t\"app_id\" : \"abc\",\n"
            "\t\"hotkey\" : \"Alt + \\u4e2d\",\n"  // jsoncpp escapes non-ASCII
            "\t\"mirror_mode\" : true,\n"
            "\t\"profile\" : 55,\n"
            "\t\"volume\" : 61\n"
            "}\n"
            "\n");
}

TEST(SettingsFile, BrokenFilesLeaveTheDefaults) {
  ScopedUserProfile profile;
  const std::string broken[] = {
      "",          "not json at all", "{\"volume\": 30, \"hotkey\": \"Alt",
      "[1, 2, 3]", "\"a string\"",    "42",
      "null",      "\xff\xfe{}",      std::string(2000, '[')};
  for (const std::string& text : broken) {
    Loaded loaded = LoadFrom(profile, text);
    EXPECT_EQ(loaded.volume, 80) << text;
    EXPECT_EQ(loaded.hotkey, "Alt + S") << text;
    EXPECT_EQ(loaded.app_id, "") << text;
    EXPECT_EQ(loaded.profile, 0) << text;
    EXPECT_FALSE(loaded.mirror_mode) << text;
  }
}

TEST(SettingsFile, MistypedMembersReadAsAbsentAndTheRestStays) {
  ScopedUserProfile profile;
  Loaded loaded = LoadFrom(profile,
                           "{\"app_id\": {\"x\": 1}, \"profile\": \"55\", \"volume\": 4294967296,"
                           " \"mirror_mode\": \"yes\", \"hotkey\": \"Ctrl + K\"}");
  EXPECT_EQ(loaded.app_id, "");
  EXPECT_EQ(loaded.profile, 0);
  EXPECT_EQ(loaded.volume, 80) << "beyond 32 bits is absent, then the default";
  EXPECT_FALSE(loaded.mirror_mode);
  EXPECT_EQ(loaded.hotkey, "Ctrl + K");

  loaded =
      LoadFrom(profile, "{\"app_id\": \"id\", \"profile\": 55, \"volume\": [50], \"hotkey\": 7}");
  EXPECT_EQ(loaded.app_id, "id");
  EXPECT_EQ(loaded.profile, 55);
  EXPECT_EQ(loaded.volume, 80);
  EXPECT_EQ(loaded.hotkey, "7") << "numbers convert to text, as jsoncpp does";
}

TEST(SettingsFile, TextsThatAreNotUtf8ReadAsAbsentAndWhatWasReadIsWhatIsWritten) {
  ScopedUserProfile profile;
  // Raw bytes that are no UTF-8 and an escaped lone surrogate: the writer's escaping would
  // change both, so a saved file would no longer hold what was read.
  Loaded loaded = LoadFrom(
      profile, "{\"app_id\": \"\\udc00id\", \"hotkey\": \"\xe9\xae + S\", \"volume\": 30}");
  EXPECT_EQ(loaded.app_id, "");
  EXPECT_EQ(loaded.hotkey, "Alt + S");
  EXPECT_EQ(loaded.volume, 30) << "the other members stay";
  DataHolder reread;
  EXPECT_EQ(reread.settings().app_id, loaded.app_id);
  EXPECT_EQ(reread.settings().hotkey, loaded.hotkey);

  loaded = LoadFrom(profile, "{\"app_id\": \"\\u4e2d\", \"hotkey\": \"Ctrl + \xe4\xb8\xad\"}");
  EXPECT_EQ(loaded.app_id, "\xe4\xb8\xad");
  EXPECT_EQ(loaded.hotkey, "Ctrl + \xe4\xb8\xad") << "valid UTF-8 is kept";
}

TEST(SettingsFile, MissingParentFoldersAreCreatedForTheUserAlone) {
  ScopedUserProfile profile;
  const fs::path home = profile.config_folder() / "a" / "b";
  testing_support::ScopedEnv config("XDG_CONFIG_HOME", home.string());
  { DataHolder holder; }
  EXPECT_EQ(ReadAll(home / "Quorvel" / "app.conf"), kDefaultsFile);
  for (const fs::path& folder : {home.parent_path(), home, home / "Quorvel"}) {
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all) << folder;
  }
}

TEST(SettingsFile, WithoutAUsableFolderNothingIsSavedAndStandardErrorSaysSo) {
  ScopedUserProfile profile;
  // A plain file where the folder should be, and a configuration folder too long to look up.
  std::ofstream(profile.config_folder() / "Quorvel") << "in the way";
  const std::string too_long = "/" + std::string(300, 'x');
  for (const std::string& home : {profile.config_folder().string(), too_long}) {
    testing_support::ScopedEnv config("XDG_CONFIG_HOME", home);
    DataHolder holder;
    EXPECT_EQ(holder.settings().volume, 80);
    testing::internal::CaptureStderr();
    SaveSettings(holder);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("settings not saved"), std::string::npos)
        << home;
  }
  EXPECT_EQ(ReadAll(profile.config_folder() / "Quorvel"), "in the way");
}

TEST(SettingsFile, KilledWhileSavingNeverLeavesAnUnreadableFile) {
  ScopedUserProfile profile;
  { DataHolder first; }  // an initial good file
  // The child counts its saves in shared memory, odd while one is under way, so every round
  // can tell whether its kill really landed inside a save.
  auto* saves = static_cast<std::atomic<unsigned>*>(::mmap(nullptr, sizeof(std::atomic<unsigned>),
                                                           PROT_READ | PROT_WRITE,
                                                           MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(saves, MAP_FAILED);
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> delay_us(0, 3000);
  int killed_mid_save = 0;
  const int rounds = 60;
  for (int round = 0; round < rounds; ++round) {
    saves->store(0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      DataHolder holder;
      for (int i = 0;; ++i) {
        holder.settings().app_id = std::string(static_cast<size_t>(2000 + i % 3000), 'a' + i % 26);
        holder.settings().volume = 1 + i % 100;
        saves->fetch_add(1);
        SaveSettings(holder);
        saves->fetch_add(1);
      }
    }
    // The delay counts from the child's first save: a slow start (a sanitizer build's fork)
    // would otherwise take every kill before any save began.
    const auto started_by = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (saves->load() == 0 && std::chrono::steady_clock::now() < started_by) {
      std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (saves->load() % 2 == 1) ++killed_mid_save;

    const std::string text = ReadAll(profile.settings_file());
    ASSERT_FALSE(text.empty()) << "round " << round;
    ASSERT_EQ(text.substr(text.size() - 3), "}\n\n")
        << "round " << round << ": a half-written file";
    DataHolder reader;
    EXPECT_GE(reader.settings().volume, 1);
    EXPECT_LE(reader.settings().volume, 100);
  }
  ::munmap(saves, sizeof(std::atomic<unsigned>));
  // A save is nearly all of the child's loop, so most kills land inside one; too few would
  // mean the rounds tested a file nobody was writing.
  EXPECT_GE(killed_mid_save, rounds / 2) << "kills that landed inside a save";
}
