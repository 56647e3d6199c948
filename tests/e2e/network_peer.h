// A lesson participant from a shell, as quorvel-peer is: it enters with its code and publishes
// the engine's test pattern and tone until it is told to leave, and what it last reported
// receiving (one JSON line a second) can be read at any time. The browser's participant
// (tools/browser-peer) reports the same way, sending the browser's fake camera and microphone.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/json_text.h"
#include "tests/tools/running_media_server.h"

namespace e2e {

enum class PeerProgram { kEngine, kBrowser };

class NetworkPeer {
 public:
  // Its output and its engine's configuration (or the browser's log) go into folder, named
  // after name.
  NetworkPeer(const std::string& code, const std::string& api_base,
              const std::filesystem::path& folder, const std::string& name,
              PeerProgram program = PeerProgram::kEngine)
      : output_((folder / (name + ".out")).string()) {
    if (program == PeerProgram::kBrowser) {
      process_ = std::make_unique<testing_support::ChildProcess>(
          std::vector<std::string>{QUORVEL_BROWSER_PEER, "--code", code, "--api", api_base},
          output_,
          std::vector<std::string>{"QUORVEL_BROWSER_LOG=" + (folder / (name + ".log")).string()});
      return;
    }
    // The engine's virtual camera and tone even on a machine with devices of its own.
    const std::string config = (folder / (name + "-engine.json")).string();
    std::ofstream(config) << R"({"channel": "network", "real_devices": false})";
    process_ = std::make_unique<testing_support::ChildProcess>(
        std::vector<std::string>{QUORVEL_PEER, "--code", code, "--api", api_base}, output_,
        std::vector<std::string>{"QUORVEL_RTC_CONFIG=" + config});
  }

  // What it last reported about the participant with uid; null while it reports none.
  Json::Value Seen(std::int32_t uid) const { return LastReport()["remotes"][std::to_string(uid)]; }

  pid_t pid() const { return process_->pid(); }

  // Hangs up the way a user stops it (SIGTERM); false when it had to be killed.
  bool Leave() { return process_->Stop(); }

  // Everything it printed, for failure messages.
  std::string Output() const {
    std::ifstream file(output_);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

 private:
  // The last complete line, parsed; null before the first one.
  Json::Value LastReport() const {
    std::istringstream lines(Output());
    std::string line;
    std::string last;
    // A line still being written has no end yet, and getline stops at the end of the text.
    while (std::getline(lines, line)) {
      if (!lines.eof()) last = line;
    }
    return last.empty() ? Json::Value() : testing_support::ParseJson(last);
  }

  std::string output_;
  std::unique_ptr<testing_support::ChildProcess> process_;
};

}  // namespace e2e
