#include "tools/peer/peer_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <set>

const char* const kPeerUsage =
    "usage: quorvel-peer --code CODE [--api URL] [--seconds N] [--muted] [--no-video]\n"
    "  --code CODE   the lesson code to log in with\n"
    "  --api URL     the lesson service (default: QUORVEL_API_BASE, else the built-in address)\n"
    "  --seconds N   leave the lesson after N seconds (default: on SIGINT or SIGTERM)\n"
    "  --muted       send no audio\n"
    "  --no-video    send no video\n";

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::optional<int> ParseSeconds(const std::string& text) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value <= 0 || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

std::variant<PeerOptions, std::string> ParsePeerOptions(const std::vector<std::string>& arguments) {
  PeerOptions options;
  std::optional<std::string> code;
  std::set<std::string> seen;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    const bool takes_value = name == "--code" || name == "--api" || name == "--seconds";
    if (!takes_value && name != "--muted" && name != "--no-video") {
      return "unknown option \"" + name + "\"";
    }
    if (!seen.insert(name).second) return name + " given twice";
    if (name == "--muted") {
      options.muted = true;
      continue;
    }
    if (name == "--no-video") {
      options.video = false;
      continue;
    }
    if (i + 1 == arguments.size()) return name + " needs a value";
    const std::string& value = arguments[++i];
    if (name == "--code") {
      if (value.empty()) return "--code needs a lesson code";
      code = value;
    } else if (name == "--api") {
      if (!StartsWith(value, "http://") && !StartsWith(value, "https://")) {
        return "--api needs an http:// or https:// address, not \"" + value + "\"";
      }
      options.api_base = value;
    } else {
      options.seconds = ParseSeconds(value);
      if (!options.seconds) return "--seconds needs a whole number above 0, not \"" + value + "\"";
    }
  }
  if (!code) return "--code CODE is required";
  options.code = *code;
  return options;
}
