// These test programs run headless, whatever the machine's DISPLAY says: set before the
// first window call picks the backend.
#include <cstdlib>

namespace {

const bool kHeadless = [] {
  ::unsetenv("QUORVEL_HEADLESS_CLOCK");
  return ::setenv("QUORVEL_HEADLESS", "1", 1) == 0;
}();

}  // namespace
