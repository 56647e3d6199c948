// What the kernel counts for this process: the CPU time of all its threads (/proc/self/stat)
// and its resident memory (/proc/self/status).
#pragma once

#include <optional>

namespace bench {

// User plus system time of every thread so far, in seconds; nullopt when unreadable.
std::optional<double> ProcessCpuSeconds();
// VmRSS in megabytes (1 MB = 1,000,000 bytes); nullopt when unreadable.
std::optional<double> ResidentMegabytes();

}  // namespace bench
