#include "tools/lesson-service/fault_plan.h"

#include <cerrno>
#include <cstdlib>

namespace {

bool ParseNumber(const std::string& text, long long& number) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  number = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}

}  // namespace

std::optional<std::string> AddFault(FaultPlan& plan, const std::string& given) {
  size_t equals = given.find('=');
  if (equals == std::string::npos || equals == 0 || given[0] != '/') {
    return "expected PATH=KIND with PATH starting with '/': " + given;
  }
  std::string path = given.substr(0, equals);
  std::string kind = given.substr(equals + 1);
  size_t colon = kind.find(':');
  std::string name = kind.substr(0, colon);
  std::string argument = colon == std::string::npos ? "" : kind.substr(colon + 1);
  bool has_argument = colon != std::string::npos;

  Fault fault;
  static const std::map<std::string, FaultKind> kPlain = {
      {"stall", FaultKind::kStall},       {"garbage", FaultKind::kGarbage},
      {"mistyped", FaultKind::kMistyped}, {"huge", FaultKind::kHuge},
      {"redirect", FaultKind::kRedirect}, {"redirect-loop", FaultKind::kRedirectLoop},
      {"cut", FaultKind::kCut},           {"trickle", FaultKind::kTrickle}};
  static const std::map<std::string, FaultKind> kNumbered = {
      {"delay", FaultKind::kDelay}, {"status", FaultKind::kStatus}, {"code", FaultKind::kCode}};
  if (auto plain = kPlain.find(name); plain != kPlain.end()) {
    if (has_argument) return "fault '" + name + "' takes no argument";
    fault.kind = plain->second;
  } else if (auto numbered = kNumbered.find(name); numbered != kNumbered.end()) {
    if (!has_argument || !ParseNumber(argument, fault.number)) {
      return "fault '" + name + "' needs a number, as in " + name + ":500";
    }
    if (numbered->second == FaultKind::kDelay && fault.number < 0) {
      return "a delay cannot be negative";
    }
    if (numbered->second == FaultKind::kStatus && (fault.number < 100 || fault.number > 599)) {
      return "an HTTP status lies between 100 and 599";
    }
    fault.kind = numbered->second;
  } else if ((name == "body" || name == "redirect-to") && has_argument) {
    fault.kind = name == "body" ? FaultKind::kBody : FaultKind::kRedirectTo;
    fault.text = argument;
  } else {
    return "unknown fault '" + kind + "'";
  }
  plan[path] = fault;
  return std::nullopt;
}
