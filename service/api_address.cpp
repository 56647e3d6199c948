#include "service/api_address.h"

#include <cstdlib>

#ifndef QUORVEL_API_BASE_DEFAULT
#error "the build fixes the lesson service's address in QUORVEL_API_BASE_DEFAULT"
#endif

std::string ApiBase() {
  const char* override_base = std::getenv("QUORVEL_API_BASE");
  std::string base =
      override_base != nullptr && *override_base != '\0' ? override_base : QUORVEL_API_BASE_DEFAULT;
  // The paths bring their own slash.
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

std::string ApiUrl(const char* path) { return ApiBase() + path; }

TransferLimits ApiTransferLimits() {
  TransferLimits limits;
  const char* stall = std::getenv("QUORVEL_API_STALL_SECONDS");
  const long seconds = stall != nullptr ? std::strtol(stall, nullptr, 10) : 0;
  if (seconds >= 1 && seconds < limits.stall_timeout.count()) {
    limits.stall_timeout = std::chrono::seconds(seconds);
  }
  return limits;
}
