#include "service/version_order.h"

#include <gtest/gtest.h>

TEST(VersionOrder, PartsCompareAsNumbersAndOtherwiseAsText) {
  struct Case {
    const char* offered;
    const char* current;
    bool newer;
  } cases[] = {{"1.1.10", "1.1.7", true},
               {"1.1.7", "1.1.10", false},
               {"1.10.0", "1.9.0", true},
               {"2.0", "1.99.99", true},
               {"1.1.7", "1.1.7", false},
               {"1.2", "1.2.0", false},
               {"1.2.0.1", "1.2", true},
               {"1.01.0", "1.1.0", false},
               {"1.1.7b", "1.1.7a", true},
               {"", "1.1.7", false},
               {"1.1.99999999999999999999999", "1.1.7", true}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewerVersion(c.offered, c.current), c.newer) << c.offered << " / " << c.current;
  }
}
