// A session on the media server over its HTTP API: requests and their answers, plugin events
// from the long poll, and the keep-alive that holds the session while it is open.
//
// Threads: the caller's (requests block until answered or timed out), a poller that hands
// events to the session's handler, and a keeper that sends keep-alives. Both end with the
// session; the handler must not destroy the session.
#pragma once

#include <json/value.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace rtc {

struct JanusReply {
  Json::Value data;  // the plugin's answer ("plugindata"."data")
  Json::Value jsep;  // null without a session description
};

class JanusSession {
 public:
  struct Handlers {
    // A plugin event that answers no request: sender is the plugin handle.
    std::function<void(uint64_t sender, const Json::Value& event)> event;
    // The server ended the session (timeout) or can no longer be reached.
    std::function<void(const std::string& why)> lost;
    // A keep-alive went unanswered (false), or was answered again after that (true): the
    // server may still hold the session, and the media may flow again by itself.
    std::function<void(bool reachable)> reachable;
  };
  static constexpr int kRequestTimeoutMs = 8000;
  // Often and short, so that an outage shows within a few seconds.
  static constexpr int kKeepAliveMs = 1000;
  static constexpr int kKeepAliveTimeoutMs = 1500;

  // base_url is the HTTP API's root, e.g. "http://10.77.0.1:8088/janus". Null on failure.
  static std::unique_ptr<JanusSession> Open(const std::string& base_url, Handlers handlers,
                                            std::string& error);
  ~JanusSession();
  JanusSession(const JanusSession&) = delete;
  JanusSession& operator=(const JanusSession&) = delete;

  std::optional<uint64_t> Attach(const std::string& plugin, std::string& error);
  // A request to the plugin behind handle; the answer comes at once or as the event carrying
  // its transaction. A plugin's own refusal ("error_code") is an error too.
  std::optional<JanusReply> Message(uint64_t handle, const Json::Value& body,
                                    const Json::Value& jsep, std::string& error);
  void Detach(uint64_t handle);
  // True once the server ended the session or stopped answering.
  bool lost();

 private:
  struct Endpoint;
  struct Waiter {
    bool done = false;
    Json::Value answer;
  };
  JanusSession(std::string base_url, uint64_t id, Handlers handlers);
  // POSTs to path below the session; the parsed reply or an error.
  std::optional<Json::Value> Post(const std::string& path, Json::Value request, std::string& error);
  void Poll();
  void KeepAlive();
  void Deliver(const Json::Value& event);
  void Lose(const std::string& why);

  const std::string base_url_;
  const uint64_t id_;
  Handlers handlers_;
  std::unique_ptr<Endpoint> requests_;    // for the caller's requests
  std::unique_ptr<Endpoint> poll_;        // held by the poller
  std::unique_ptr<Endpoint> keep_alive_;  // held by the keeper

  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::string, Waiter> waiters_;
  uint64_t next_transaction_ = 1;
  bool closing_ = false;
  bool lost_ = false;
  std::thread poller_;
  std::thread keeper_;
};

// The answer's own error, if any: the server's ("janus":"error") or the plugin's.
std::optional<std::string> JanusError(const Json::Value& answer);

}  // namespace rtc
