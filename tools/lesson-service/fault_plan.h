// Ways the lesson service can be told to misbehave on one path, so that tests can see how a
// client copes with a slow, broken or hostile service.
#pragma once

#include <map>
#include <optional>
#include <string>

enum class FaultKind {
  kDelay,         // answer normally after `number` milliseconds
  kStall,         // accept the request, then send nothing until the service stops
  kStatus,        // HTTP status `number` with an HTML body
  kGarbage,       // a body that is not JSON
  kMistyped,      // the right keys with values of the wrong JSON types
  kHuge,          // a body over 8 MiB
  kRedirect,      // 307 to the same path under /redirected, which answers normally
  kRedirectLoop,  // 307 to the same path again, for ever
  kRedirectTo,    // 307 to `text`, an address anywhere
  kTrickle,       // the right reply, one byte a second
  kCut,           // the right reply announced whole, then the connection closed halfway
  kCode,          // a refusal: "code" `number` with a "msg"
  kBody,          // exactly `text` as the body, status 200
};

struct Fault {
  FaultKind kind = FaultKind::kGarbage;
  long long number = 0;
  std::string text;
};

// Faults by request path ("/User/loginCode"...).
using FaultPlan = std::map<std::string, Fault>;

// Parses "PATH=KIND" as given to --fault: KIND is delay:MS, stall, status:N, garbage,
// mistyped, huge, redirect, redirect-loop, redirect-to:ADDRESS, trickle, cut, code:N or
// body:TEXT. Adds it to the plan, or
// returns the reason it cannot.
std::optional<std::string> AddFault(FaultPlan& plan, const std::string& given);

// Where a redirected request is sent.
constexpr const char* kRedirectPrefix = "/redirected";
