#include "tools/lesson-service/system_random.h"

#include <sys/random.h>

#include <cerrno>
#include <system_error>

SystemRandom::result_type SystemRandom::operator()() {
  result_type value = 0;
  auto* bytes = reinterpret_cast<unsigned char*>(&value);
  for (size_t filled = 0; filled < sizeof value;) {
    const ssize_t got = getrandom(bytes + filled, sizeof value - filled, 0);
    if (got < 0 && errno != EINTR) {
      throw std::system_error(errno, std::generic_category(), "getrandom");
    }
    if (got > 0) filled += static_cast<size_t>(got);
  }
  return value;
}
