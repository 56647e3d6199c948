#include "tools/lesson-service/media_room.h"

#include <httplib.h>

#include <chrono>

namespace {

constexpr const char* kVideoRoom = "janus.plugin.videoroom";
// The VideoRoom plugin's answer when a room of that name is there already.
constexpr int kRoomExists = 427;
constexpr time_t kConnectSeconds = 3;
// Also the wait for an event: a media server holds a long poll open for 30 s when it has
// nothing to say, but an answer to one of our requests comes at once or not at all.
constexpr time_t kReplySeconds = 10;

std::string Serialize(const Json::Value& value) {
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  return Json::writeString(writer, value);
}

Json::Value Message(const char* kind) {
  Json::Value message(Json::objectValue);
  message["janus"] = kind;
  return message;
}

std::optional<Json::Value> ParseJson(const std::string& text) {
  Json::Value root;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
  if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return std::nullopt;
  return root;
}

// The "data" id of a create or attach reply, as a path step.
std::optional<std::string> IdOf(const Json::Value& reply) {
  const Json::Value& id = reply["data"]["id"];
  if (reply["janus"].asString() != "success" || !id.isUInt64()) return std::nullopt;
  return "/" + std::to_string(id.asUInt64());
}

std::string Refused(const std::string& url, const std::string& request, const Json::Value& answer) {
  if (!answer.isMember("error"))
    return url + ": unexpected answer to " + request + ": " + Serialize(answer);
  return url + ": " + request + " refused: " + answer["error"].asString() + " (" +
         std::to_string(answer["error_code"].asInt()) + ")";
}

}  // namespace

std::variant<MediaServerAddress, std::string> ParseMediaServerUrl(const std::string& url) {
  const std::string scheme = "http://";
  if (url.compare(0, scheme.size(), scheme) != 0) {
    return "media server " + url + ": only http:// addresses are spoken";
  }
  size_t path = url.find('/', scheme.size());
  MediaServerAddress address;
  address.origin = url.substr(0, path);
  address.path = path == std::string::npos ? "" : url.substr(path);
  if (address.origin.size() == scheme.size() || address.origin.back() == ':') {
    return "media server " + url + ": no host";
  }
  while (!address.path.empty() && address.path.back() == '/') address.path.pop_back();
  if (address.path.empty()) return "media server " + url + ": no API path (such as /janus)";
  return address;
}

JanusSession::JanusSession(std::string url, MediaServerAddress address)
    : url_(std::move(url)),
      address_(std::move(address)),
      client_(std::make_unique<httplib::Client>(address_.origin)) {
  client_->set_connection_timeout(kConnectSeconds);
  client_->set_read_timeout(kReplySeconds);
  client_->set_write_timeout(kReplySeconds);
}

JanusSession::~JanusSession() {
  // Only a session that is not destroyed lingers, until the media server's session timeout.
  if (!session_path_.empty()) Post(session_path_, Message("destroy"));
}

std::variant<std::unique_ptr<JanusSession>, std::string> JanusSession::Open(
    const std::string& url, const std::string& plugin) {
  auto address = ParseMediaServerUrl(url);
  if (auto* reason = std::get_if<std::string>(&address)) return *reason;
  std::unique_ptr<JanusSession> session(
      new JanusSession(url, std::move(std::get<MediaServerAddress>(address))));

  auto created = session->Post("", Message("create"));
  if (auto* reason = std::get_if<std::string>(&created)) return *reason;
  std::optional<std::string> session_path = IdOf(std::get<Json::Value>(created));
  if (!session_path) return url + ": no session in the reply to create";
  session->session_path_ = *session_path;

  Json::Value attach = Message("attach");
  attach["plugin"] = plugin;
  auto attached = session->Post(session->session_path_, attach);
  if (auto* reason = std::get_if<std::string>(&attached)) return *reason;
  std::optional<std::string> handle_path = IdOf(std::get<Json::Value>(attached));
  if (!handle_path) return url + ": no " + plugin + " handle in the reply to attach";
  session->handle_path_ = session->session_path_ + *handle_path;
  return session;
}

std::string JanusSession::NextTransaction() { return "q" + std::to_string(++transactions_); }

std::variant<Json::Value, std::string> JanusSession::Post(const std::string& below,
                                                          Json::Value message) {
  message["transaction"] = NextTransaction();
  httplib::Result result =
      client_->Post((address_.path + below).c_str(), Serialize(message), "application/json");
  if (!result) {
    return url_ + ": " + message["janus"].asString() + " got no reply (" +
           httplib::to_string(result.error()) + " error)";
  }
  if (result->status != 200) return url_ + ": HTTP status " + std::to_string(result->status);
  std::optional<Json::Value> reply = ParseJson(result->body);
  if (!reply || !reply->isObject()) return url_ + ": the reply is not a JSON object";
  if ((*reply)["janus"].asString() == "error") {
    return url_ + ": " + message["janus"].asString() +
           " failed: " + (*reply)["error"]["reason"].asString();
  }
  return *reply;
}

std::variant<Json::Value, std::string> JanusSession::Ask(const Json::Value& body) {
  Json::Value message = Message("message");
  message["body"] = body;
  auto posted = Post(handle_path_, message);
  if (auto* reason = std::get_if<std::string>(&posted)) return *reason;
  const Json::Value& reply = std::get<Json::Value>(posted);
  if (reply["janus"].asString() == "ack") {
    return WaitForEvent(reply["transaction"].asString(), body["request"].asString());
  }
  const Json::Value& answer = reply["plugindata"]["data"];
  if (!answer.isObject()) return url_ + ": no plugin answer to " + body["request"].asString();
  return answer;
}

std::variant<Json::Value, std::string> JanusSession::WaitForEvent(const std::string& transaction,
                                                                  const std::string& request) {
  const std::string poll = address_.path + session_path_ + "?maxev=1";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kReplySeconds);
  while (std::chrono::steady_clock::now() < deadline) {
    httplib::Result result = client_->Get(poll.c_str());
    if (!result) {
      return url_ + ": no answer to " + request + " (" + httplib::to_string(result.error()) +
             " error)";
    }
    std::optional<Json::Value> event = ParseJson(result->body);
    if (result->status != 200 || !event || !event->isObject()) {
      return url_ + ": the event poll failed with HTTP status " + std::to_string(result->status);
    }
    // Keepalives and events of earlier requests are not the answer waited for.
    if ((*event)["janus"].asString() == "event" &&
        (*event)["transaction"].asString() == transaction) {
      return (*event)["plugindata"]["data"];
    }
  }
  return url_ + ": no answer to " + request + " in " + std::to_string(kReplySeconds) + " s";
}

std::optional<std::string> EnsureRoom(const std::string& url, const std::string& admin_key,
                                      const std::string& room,
                                      const std::vector<std::string>& allowed) {
  auto opened = JanusSession::Open(url, kVideoRoom);
  if (auto* reason = std::get_if<std::string>(&opened)) return *reason;
  JanusSession& session = *std::get<std::unique_ptr<JanusSession>>(opened);

  Json::Value exists(Json::objectValue);
  exists["request"] = "exists";
  exists["room"] = room;
  auto found = session.Ask(exists);
  if (auto* reason = std::get_if<std::string>(&found)) return *reason;
  const Json::Value& existing = std::get<Json::Value>(found);
  if (existing.isMember("error_code")) return Refused(url, "exists", existing);
  if (existing["exists"].asBool()) return std::nullopt;

  Json::Value create(Json::objectValue);
  create["request"] = "create";
  create["room"] = room;
  create["admin_key"] = admin_key;
  // Without a secret any client of the media server could destroy or reopen the room.
  create["secret"] = admin_key;
  create["publishers"] = 3;
  create["videocodec"] = "vp8";
  create["audiocodec"] = "opus";
  // A keyframe asked of every publisher every 2 s, as often as the engine sends one anyway: a
  // browser sends one only when asked, and a subscriber that missed it would wait.
  create["fir_freq"] = 2;
  create["allowed"] = Json::Value(Json::arrayValue);
  for (const std::string& key : allowed) create["allowed"].append(key);
  auto made = session.Ask(create);
  if (auto* reason = std::get_if<std::string>(&made)) return *reason;
  const Json::Value& answer = std::get<Json::Value>(made);
  // Another participant's request may have created it since it was looked for.
  if (answer["error_code"].asInt() == kRoomExists) return std::nullopt;
  if (answer.isMember("error_code") || answer["videoroom"].asString() != "created") {
    return Refused(url, "create", answer);
  }
  return std::nullopt;
}
