// Lesson codes, tokens and room keys are secrets: each draw comes straight from the system's
// random source, so that no state kept in the process (a seed, a generator copied by a fork)
// can predict or repeat one.
#pragma once

#include <cstdint>

// A uniform random bit generator for the standard distributions.
class SystemRandom {
 public:
  using result_type = uint64_t;
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return UINT64_MAX; }
  // Throws std::system_error when the system cannot give random bytes.
  result_type operator()();
};
