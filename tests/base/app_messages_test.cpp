#include "base/app_messages.h"

#include <gtest/gtest.h>

#include <set>

TEST(AppMessages, NumbersAreDistinctAndInTheirBands) {
  const UINT between_windows[] = {UM_LESSON_START_REACHED,  UM_TILE_CLICKED,
                                  UM_NOTICE_CLOSED,         UM_ENGINE_READY,
                                  UM_NETWORK_TEST_STARTED,  UM_NETWORK_TEST_RESULT,
                                  UM_NETWORK_TEST_COMPLETE, UM_CAMERA_RESTARTED,
                                  UM_HOTKEY_CHANGED,        UM_HOTKEY_FAILED};
  std::set<UINT> seen;
  for (UINT number : between_windows) {
    EXPECT_GE(number, 3026u);
    EXPECT_LE(number, 3037u);
    EXPECT_NE(number, 3030u) << "unassigned";
    EXPECT_NE(number, 3031u) << "unassigned";
    EXPECT_TRUE(seen.insert(number).second) << number << " is used twice";
  }
  for (UINT number : {UM_CONFIG_DONE, UM_LOGIN_RESULT}) {
    EXPECT_TRUE(seen.insert(number).second) << number;
  }
  // Engine events never reach the other bands.
  EXPECT_EQ(EngineEventMessage(1), 1537u);
  EXPECT_EQ(EngineEventMessage(35), 1571u);
  EXPECT_LT(EngineEventMessage(35), *seen.begin());
}
