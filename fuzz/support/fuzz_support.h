// Pieces shared by the fuzz targets: the check that turns a broken promise into a crash the
// fuzzer keeps, and a scratch folder for targets whose entry point reads a file.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace fuzz_support {

inline void Require(bool condition) {
  if (!condition) std::abort();
}

// A fresh folder for the whole run (in memory where the system has /dev/shm); the fuzzer
// process never ends normally, so it is left for the system's cleaning.
inline std::string ScratchFolder() {
  std::string pattern =
      access("/dev/shm", W_OK) == 0 ? "/dev/shm/quorvel-fuzz-XXXXXX" : "/tmp/quorvel-fuzz-XXXXXX";
  Require(mkdtemp(pattern.data()) != nullptr);
  return pattern;
}

inline void WriteFileBytes(const std::string& path, const char* data, size_t size) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(data, static_cast<std::streamsize>(size));
  Require(file.good());
}

}  // namespace fuzz_support
