#include "bench/support/process_usage.h"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace bench {

std::optional<double> ProcessCpuSeconds() {
  std::ifstream file("/proc/self/stat");
  std::string line;
  if (!std::getline(file, line)) return std::nullopt;
  // The command name may hold spaces and parentheses: the fields start after the last ')'.
  const std::size_t end_of_name = line.rfind(')');
  if (end_of_name == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(end_of_name + 2));
  std::string field;
  // State is field 3; utime and stime are fields 14 and 15.
  for (int number = 3; number < 14 && fields >> field; ++number) {
  }
  long long user = 0;
  long long system = 0;
  if (!(fields >> user >> system)) return std::nullopt;
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::optional<double> ResidentMegabytes() {
  std::ifstream file("/proc/self/status");
  std::string key;
  while (file >> key) {
    if (key == "VmRSS:") {
      long long kibibytes = 0;
      if (!(file >> kibibytes)) return std::nullopt;
      return static_cast<double>(kibibytes) * 1024.0 / 1e6;
    }
    file.ignore(1 << 16, '\n');
  }
  return std::nullopt;
}

}  // namespace bench
