// The peer's command line.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

struct PeerOptions {
  std::string code;
  std::optional<std::string> api_base;  // replaces QUORVEL_API_BASE when given
  std::optional<int> seconds;           // none: until SIGINT or SIGTERM
  bool muted = false;
  bool video = true;
};

extern const char* const kPeerUsage;

// The arguments after the program's name; the options, or what is wrong with them.
std::variant<PeerOptions, std::string> ParsePeerOptions(const std::vector<std::string>& arguments);
