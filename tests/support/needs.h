// What a test needs of the machine (a program installed, a server started). Without it the
// test is skipped on a developer's machine but fails under CI (CI=true), whose machine
// installs everything the suite uses, so that a test that cannot run never passes unnoticed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace testing_support {

inline bool UnderCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string_view(ci) == "true";
}

}  // namespace testing_support

// A statement: returns from the test (or its set-up) when the need is not met.
#define QUORVEL_NEEDS(available, why)    \
  if (available) {                       \
  } else if (testing_support::UnderCi()) \
    FAIL() << why;                       \
  else                                   \
    GTEST_SKIP() << why
