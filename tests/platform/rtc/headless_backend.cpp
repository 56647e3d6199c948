// These tests read pixels of the headless backend's virtual screen, whatever DISPLAY says; the
// window system picks its backend at its first call, which comes after this.
#include <cstdlib>

namespace {

[[maybe_unused]] const bool kHeadless = ::setenv("QUORVEL_HEADLESS", "1", 1) == 0;

}  // namespace
