#include "net/janus_session.h"

#include <httplib.h>
#include <json/reader.h>
#include <json/writer.h>

#include <chrono>
#include <sstream>

namespace rtc {
namespace {

// The long poll returns after 30 s without events; the read bound lies above that.
constexpr int kPollReadMs = 40000;
constexpr int kPollEvents = 10;
// The server's code for a session it does not know (ended or timed out).
constexpr int kNoSuchSession = 458;

std::string Write(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  return Json::writeString(builder, value);
}

std::optional<Json::Value> Parse(const std::string& text) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string errors;
  if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors)) return std::nullopt;
  return value;
}

// "http://host:port/janus" into the origin ("http://host:port") and the path ("/janus").
bool SplitUrl(const std::string& url, std::string& origin, std::string& path) {
  std::size_t scheme = url.find("://");
  if (scheme == std::string::npos || url.compare(0, scheme, "http") != 0) return false;
  std::size_t slash = url.find('/', scheme + 3);
  origin = url.substr(0, slash);
  path = slash == std::string::npos ? "" : url.substr(slash);
  while (!path.empty() && path.back() == '/') path.pop_back();
  return origin.size() > scheme + 3;
}

}  // namespace

struct JanusSession::Endpoint {
  httplib::Client client;
  std::string path;
  Endpoint(const std::string& origin, std::string base_path, int read_ms)
      : client(origin), path(std::move(base_path)) {
    client.set_connection_timeout(2, 0);
    client.set_read_timeout(read_ms / 1000, (read_ms % 1000) * 1000);
    client.set_write_timeout(5, 0);
    client.set_keep_alive(true);
  }
};

std::optional<std::string> JanusError(const Json::Value& answer) {
  if (answer["janus"].asString() == "error") {
    const Json::Value& error = answer["error"];
    return "media server: " + error["reason"].asString() + " (" +
           std::to_string(error["code"].asInt()) + ")";
  }
  const Json::Value& data = answer["plugindata"]["data"];
  if (data.isMember("error_code")) {
    return "media room: " + data["error"].asString() + " (" +
           std::to_string(data["error_code"].asInt()) + ")";
  }
  return std::nullopt;
}

std::unique_ptr<JanusSession> JanusSession::Open(const std::string& base_url, Handlers handlers,
                                                 std::string& error) {
  std::string origin, path;
  if (!SplitUrl(base_url, origin, path)) {
    error = "media server address \"" + base_url + "\" is not an http address";
    return nullptr;
  }
  Endpoint endpoint(origin, path, JanusSession::kRequestTimeoutMs);
  Json::Value create;
  create["janus"] = "create";
  create["transaction"] = "create";
  httplib::Result result = endpoint.client.Post(path.c_str(), Write(create), "application/json");
  if (!result) {
    error = "media server at " + base_url + " cannot be reached (" +
            httplib::to_string(result.error()) + ")";
    return nullptr;
  }
  std::optional<Json::Value> answer = Parse(result->body);
  if (!answer || result->status != 200) {
    error = "media server at " + base_url + " answered HTTP " + std::to_string(result->status);
    return nullptr;
  }
  if (std::optional<std::string> refused = JanusError(*answer)) {
    error = *refused;
    return nullptr;
  }
  uint64_t id = (*answer)["data"]["id"].asUInt64();
  if (id == 0) {
    error = "media server at " + base_url + " gave no session";
    return nullptr;
  }
  return std::unique_ptr<JanusSession>(new JanusSession(base_url, id, std::move(handlers)));
}

JanusSession::JanusSession(std::string base_url, uint64_t id, Handlers handlers)
    : base_url_(std::move(base_url)), id_(id), handlers_(std::move(handlers)) {
  std::string origin, path;
  SplitUrl(base_url_, origin, path);
  requests_ = std::make_unique<Endpoint>(origin, path, kRequestTimeoutMs);
  poll_ = std::make_unique<Endpoint>(origin, path, kPollReadMs);
  keep_alive_ = std::make_unique<Endpoint>(origin, path, kKeepAliveTimeoutMs);
  poller_ = std::thread([this] { Poll(); });
  keeper_ = std::thread([this] { KeepAlive(); });
}

JanusSession::~JanusSession() {
  bool lost;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lost = lost_;
  }
  std::string ignored;
  if (!lost) {
    Json::Value destroy;
    destroy["janus"] = "destroy";
    Post("", destroy, ignored);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    changed_.notify_all();
  }
  poll_->client.stop();
  poller_.join();
  keeper_.join();
}

std::optional<Json::Value> JanusSession::Post(const std::string& path, Json::Value request,
                                              std::string& error) {
  std::string transaction;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    transaction = "t" + std::to_string(next_transaction_++);
    // Registered before sending: the event that answers it may arrive before the POST's reply.
    waiters_[transaction] = Waiter{};
  }
  request["transaction"] = transaction;
  std::string target = requests_->path + "/" + std::to_string(id_) + path;
  httplib::Result result =
      requests_->client.Post(target.c_str(), Write(request), "application/json");
  std::unique_lock<std::mutex> lock(mutex_);
  Waiter waiter = waiters_[transaction];
  waiters_.erase(transaction);
  if (!result) {
    error = "media server at " + base_url_ + " cannot be reached (" +
            httplib::to_string(result.error()) + ")";
    return std::nullopt;
  }
  std::optional<Json::Value> answer = Parse(result->body);
  if (!answer) {
    error = "media server answered HTTP " + std::to_string(result->status) + " without JSON";
    return std::nullopt;
  }
  if (std::optional<std::string> refused = JanusError(*answer)) {
    error = *refused;
    return std::nullopt;
  }
  if ((*answer)["janus"].asString() != "ack") return answer;
  // Acknowledged: the answer follows as an event of the same transaction.
  waiters_[transaction] = waiter;
  bool answered = changed_.wait_for(lock, std::chrono::milliseconds(kRequestTimeoutMs), [&] {
    return waiters_[transaction].done || closing_ || lost_;
  });
  waiter = waiters_[transaction];
  waiters_.erase(transaction);
  if (!answered || !waiter.done) {
    error = lost_ ? "media server session was lost" : "media server did not answer in time";
    return std::nullopt;
  }
  if (std::optional<std::string> refused = JanusError(waiter.answer)) {
    error = *refused;
    return std::nullopt;
  }
  return waiter.answer;
}

std::optional<uint64_t> JanusSession::Attach(const std::string& plugin, std::string& error) {
  Json::Value attach;
  attach["janus"] = "attach";
  attach["plugin"] = plugin;
  std::optional<Json::Value> answer = Post("", attach, error);
  if (!answer) return std::nullopt;
  uint64_t handle = (*answer)["data"]["id"].asUInt64();
  if (handle == 0) {
    error = "media server gave no handle for " + plugin;
    return std::nullopt;
  }
  return handle;
}

std::optional<JanusReply> JanusSession::Message(uint64_t handle, const Json::Value& body,
                                                const Json::Value& jsep, std::string& error) {
  Json::Value message;
  message["janus"] = "message";
  message["body"] = body;
  if (!jsep.isNull()) message["jsep"] = jsep;
  std::optional<Json::Value> answer = Post("/" + std::to_string(handle), message, error);
  if (!answer) return std::nullopt;
  return JanusReply{(*answer)["plugindata"]["data"], (*answer)["jsep"]};
}

void JanusSession::Detach(uint64_t handle) {
  Json::Value detach;
  detach["janus"] = "detach";
  std::string ignored;
  Post("/" + std::to_string(handle), detach, ignored);
}

bool JanusSession::lost() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lost_;
}

void JanusSession::Poll() {
  std::string target =
      poll_->path + "/" + std::to_string(id_) + "?maxev=" + std::to_string(kPollEvents);
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (closing_) return;
    }
    httplib::Result result = poll_->client.Get(target.c_str());
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (closing_) return;
    }
    if (!result) {
      Lose("media server at " + base_url_ + " cannot be reached (" +
           httplib::to_string(result.error()) + ")");
      return;
    }
    std::optional<Json::Value> events = Parse(result->body);
    if (!events) continue;
    if (!events->isArray()) {
      Json::Value one(Json::arrayValue);
      one.append(*events);
      *events = one;
    }
    for (const Json::Value& event : *events) {
      if (event["janus"].asString() == "timeout" ||
          event["error"]["code"].asInt() == kNoSuchSession) {
        Lose("media server ended the session");
        return;
      }
      Deliver(event);
    }
  }
}

void JanusSession::Deliver(const Json::Value& event) {
  const std::string kind = event["janus"].asString();
  if (kind == "keepalive" || kind == "ack") return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto waiter = waiters_.find(event["transaction"].asString());
    if (waiter != waiters_.end() && kind == "event") {
      waiter->second.done = true;
      waiter->second.answer = event;
      changed_.notify_all();
      return;
    }
  }
  if (handlers_.event) handlers_.event(event["sender"].asUInt64(), event);
}

void JanusSession::Lose(const std::string& why) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (lost_ || closing_) return;
    lost_ = true;
    changed_.notify_all();
  }
  if (handlers_.lost) handlers_.lost(why);
}

void JanusSession::KeepAlive() {
  std::string target = keep_alive_->path + "/" + std::to_string(id_);
  bool reachable = true;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!changed_.wait_for(lock, std::chrono::milliseconds(kKeepAliveMs),
                            [this] { return closing_ || lost_; })) {
    lock.unlock();
    Json::Value alive;
    alive["janus"] = "keepalive";
    alive["transaction"] = "keepalive";
    httplib::Result result =
        keep_alive_->client.Post(target.c_str(), Write(alive), "application/json");
    std::optional<Json::Value> answer = result ? Parse(result->body) : std::nullopt;
    if (answer && (*answer)["error"]["code"].asInt() == kNoSuchSession) {
      Lose("media server ended the session");
      return;
    }
    if (answer.has_value() != reachable && handlers_.reachable) {
      reachable = answer.has_value();
      handlers_.reachable(reachable);
    }
    lock.lock();
  }
}

}  // namespace rtc
