#include "service/data_holder.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/support/scoped_env.h"

using testing_support::ScopedUserProfile;

TEST(DataHolder, ChineseLocalesGiveChineseTexts) {
  for (const char* locale : {"zh_CN.UTF-8", "zh_TW.UTF-8", "zh_HK.UTF-8"}) {
    ScopedUserProfile profile(locale);
    DataHolder holder;
    EXPECT_EQ(holder.GetLanguage(), "cn") << locale;
    EXPECT_TRUE(holder.chinese_ui) << locale;
  }
  EXPECT_TRUE(IsChineseLocale(0x0804));
  EXPECT_TRUE(IsChineseLocale(0x0404));
  EXPECT_TRUE(IsChineseLocale(0x0C04));
  EXPECT_FALSE(IsChineseLocale(0x0409));
}

TEST(DataHolder, OtherOrUnsetLocalesGiveEnglish) {
  for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8", ""}) {
    ScopedUserProfile profile(locale);
    DataHolder holder;
    EXPECT_EQ(holder.GetLanguage(), "us") << locale;
    EXPECT_FALSE(holder.chinese_ui) << locale;
  }
}

TEST(DataHolder, EmptyLanguageBecomesUs) {
  ScopedUserProfile profile;
  DataHolder holder;
  holder.language.clear();
  EXPECT_EQ(holder.GetLanguage(), "us");
  EXPECT_EQ(holder.language, "us");
}

TEST(DataHolder, MessageAccessorHandsOutACopy) {
  ScopedUserProfile profile;
  DataHolder holder;
  EXPECT_EQ(holder.GetLastMessage(), "");
  holder.last_message = "lesson code not found";
  std::string copy = holder.GetLastMessage();
  holder.last_message = "changed";
  EXPECT_EQ(copy, "lesson code not found");
}

TEST(DataHolder, NewRecordsHaveTheirInitialValues) {
  ScopedUserProfile profile;
  DataHolder holder;
  const LessonRecord& lesson = holder.lesson();
  EXPECT_EQ(lesson.render_mode, 2);
  EXPECT_EQ(lesson.video_profile, 0);
  EXPECT_EQ(lesson.uid, 0);
  EXPECT_FALSE(lesson.screen_sharing);
  EXPECT_EQ(lesson.start_time, 0);
  EXPECT_EQ(holder.app_info().update, 0);
  EXPECT_EQ(holder.main_window, nullptr);
}

TEST(DataHolder, WithoutAVersionResourceTheClientVersionIs112) {
  ScopedUserProfile profile;
  DataHolder holder;
  // The test program carries no version stamp.
  EXPECT_EQ(holder.app_info().current_version, "1.1.2");
}

TEST(DataHolder, SubRecordsAreCreatedOnceWhateverThreadAsksFirst) {
  ScopedUserProfile profile;
  for (int round = 0; round < 50; ++round) {
    DataHolder holder;
    std::vector<AppInfo*> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i) {
      threads.emplace_back([&holder, &seen, i] { seen[i] = &holder.app_info(); });
    }
    for (auto& t : threads) t.join();
    for (AppInfo* info : seen) EXPECT_EQ(info, seen.front());
  }
}
