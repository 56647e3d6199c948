#include "service/api_address.h"

#include <cstdlib>

#ifndef QUORVEL_API_BASE_DEFAULT
#error "the build fixes the lesson service's address in QUORVEL_API_BASE_DEFAULT"
#endif

std::string ApiBase() {
  const char* override_base = std::getenv("QUORVEL_API_BASE");
  if (override_base != nullptr && *override_base != '\0') return override_base;
  return QUORVEL_API_BASE_DEFAULT;
}

std::string ApiUrl(const char* path) { return ApiBase() + path; }
