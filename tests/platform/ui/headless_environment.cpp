// Before any window exists: these tests run on the headless backend, whatever DISPLAY says.
#include <cstdlib>

namespace {

const bool kHeadless = [] { return setenv("QUORVEL_HEADLESS", "1", 1) == 0; }();

}  // namespace
