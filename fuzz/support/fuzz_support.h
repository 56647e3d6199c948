// Pieces shared by the fuzz targets: the check that turns a broken promise into a crash the
// fuzzer keeps, and a scratch folder for targets whose entry point reads a file.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace fuzz_support {

inline void Require(bool condition) {
  if (!condition) std::abort();
}

// A fresh folder for the whole run (in memory where the system has /dev/shm), removed when
// the process exits normally (a replay); a crash leaves it for the system's cleaning.
inline std::string ScratchFolder() {
  struct Scratch {
    std::string path =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm/quorvel-fuzz-XXXXXX" : "/tmp/quorvel-fuzz-XXXXXX";
    Scratch() { Require(mkdtemp(path.data()) != nullptr); }
    ~Scratch() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Scratch scratch;
  return scratch.path;
}

inline void WriteFileBytes(const std::string& path, const char* data, size_t size) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(data, static_cast<std::streamsize>(size));
  Require(file.good());
}

}  // namespace fuzz_support
