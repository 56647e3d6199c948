#include "tools/lesson-service/lesson_server.h"

#include <httplib.h>

#include <chrono>
#include <map>
#include <memory>
#include <thread>

namespace {

constexpr const char* kJsonType = "application/json; charset=utf-8";
// Every form the client sends is a few hundred bytes.
constexpr size_t kLargestRequestBody = 1024 * 1024;
// Bigger than any reply a client should accept.
constexpr size_t kHugeBodyBytes = 9 * 1024 * 1024;
// A stall ends with the service at the latest after this.
constexpr std::chrono::minutes kLongestStall{10};

std::string Serialize(const Json::Value& value) {
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  writer["emitUTF8"] = true;
  return Json::writeString(writer, value);
}

std::string HtmlErrorPage(int status) {
  static const std::map<int, const char*> kReasons = {
      {400, "Bad Request"},           {403, "Forbidden"},   {404, "Not Found"},
      {500, "Internal Server Error"}, {502, "Bad Gateway"}, {503, "Service Unavailable"}};
  auto known = kReasons.find(status);
  std::string reason = known == kReasons.end() ? "Error" : known->second;
  return "<!DOCTYPE html>\n<html><head><title>" + std::to_string(status) + " " + reason +
         "</title></head>\n<body><h1>" + reason + "</h1><p>The lesson service failed.</p>" +
         "</body></html>\n";
}

// Every scalar under "data" turned into a type no reader of it expects; "code" too when
// "data" holds none, so that every path's reply is mistyped somewhere.
bool Mistype(Json::Value& value) {
  bool changed = false;
  for (const std::string& name : value.getMemberNames()) {
    Json::Value& member = value[name];
    if (member.isObject()) {
      changed = Mistype(member) || changed;
    } else if (member.isString()) {
      Json::Value wrapped(Json::arrayValue);
      wrapped.append(member.asString());
      member = wrapped;
      changed = true;
    } else if (member.isBool() || member.isNumeric()) {
      member = member.isBool() ? Json::Value(member.asBool() ? "yes" : "no")
                               : Json::Value(member.asString());
      changed = true;
    }
  }
  return changed;
}

std::string MistypedReply(Json::Value reply) {
  if (!reply.isMember("data") || !reply["data"].isObject() || !Mistype(reply["data"])) {
    reply["code"] = reply["code"].asString();
  }
  return Serialize(reply);
}

std::string RefusalText(const FormFields& fields, long long code) {
  return WantsChinese(fields)
             ? "课程服务拒绝了请求（代码 " + std::to_string(code) + "）"
             : "The lesson service refused the request (code " + std::to_string(code) + ")";
}

}  // namespace

LessonServer::LessonServer(LessonStore& store, FaultPlan faults, MediaServers media_servers)
    : store_(store),
      api_(store, std::move(media_servers)),
      faults_(std::move(faults)),
      http_(std::make_unique<httplib::Server>()) {
  http_->set_payload_max_length(kLargestRequestBody);
  for (const std::string& path : ApiPaths()) {
    http_->Post(path, [this, path](const httplib::Request& request, httplib::Response& response) {
      Handle(path, request, response, true);
    });
    http_->Post(kRedirectPrefix + path,
                [this, path](const httplib::Request& request, httplib::Response& response) {
                  Handle(path, request, response, false);
                });
  }
  http_->set_exception_handler(
      [](const httplib::Request&, httplib::Response& response, std::exception_ptr error) {
        std::string reason = "unknown error";
        try {
          std::rethrow_exception(error);
        } catch (const std::exception& e) {
          reason = e.what();
        } catch (...) {
        }
        response.status = 500;
        response.set_content(Serialize(RefusalReply(500, "lesson service error: " + reason)),
                             kJsonType);
      });
}

LessonServer::~LessonServer() { Stop(); }

int LessonServer::Bind(const std::string& host, int port) {
  if (port == 0) return http_->bind_to_any_port(host);
  return http_->bind_to_port(host, port) ? port : -1;
}

void LessonServer::Serve() {
  {
    std::lock_guard<std::mutex> lock(stop_mutex_);
    if (stopping_ || !http_->is_valid()) return;
    serving_ = true;
  }
  http_->listen_after_bind();
  std::lock_guard<std::mutex> lock(stop_mutex_);
  serving_ = false;
}

void LessonServer::Stop() {
  {
    std::lock_guard<std::mutex> lock(stop_mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  stop_signal_.notify_all();
  // The library ignores a stop that comes before its loop runs: wait for the loop, unless
  // Serve has already returned or never began.
  constexpr int kPolls = 5000;
  for (int poll = 0; poll < kPolls; ++poll) {
    {
      std::lock_guard<std::mutex> lock(stop_mutex_);
      if (!serving_) return;
    }
    if (http_->is_running()) {
      http_->stop();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool LessonServer::WaitUnlessStopped(std::chrono::milliseconds duration) {
  std::unique_lock<std::mutex> lock(stop_mutex_);
  return !stop_signal_.wait_for(lock, duration, [this] { return stopping_; });
}

void LessonServer::Handle(const std::string& path, const httplib::Request& request,
                          httplib::Response& response, bool apply_faults) {
  store_.AddRequest(request.path, request.body);
  FormFields fields = DecodeForm(request.body);
  auto reply = [&] { return *api_.Answer(path, fields, request.remote_addr); };
  auto answer = [&] { response.set_content(Serialize(reply()), kJsonType); };
  auto fault = faults_.find(path);
  if (!apply_faults || fault == faults_.end()) {
    answer();
    return;
  }
  const Fault& plan = fault->second;
  switch (plan.kind) {
    case FaultKind::kDelay:
      if (WaitUnlessStopped(std::chrono::milliseconds(plan.number))) answer();
      break;
    case FaultKind::kStall:
      WaitUnlessStopped(kLongestStall);
      // Only a service that stops ends the stall; what it then sends no client waits for.
      response.status = 503;
      break;
    case FaultKind::kStatus:
      response.status = static_cast<int>(plan.number);
      response.set_content(HtmlErrorPage(response.status), "text/html; charset=utf-8");
      break;
    case FaultKind::kGarbage:
      response.set_content("<<this is not JSON>> {\"code\": 0", "text/plain");
      break;
    case FaultKind::kMistyped:
      response.set_content(MistypedReply(reply()), kJsonType);
      break;
    case FaultKind::kHuge: {
      Json::Value huge = RefusalReply(0, std::string(kHugeBodyBytes, 'x'));
      huge["data"] = Json::Value(Json::objectValue);
      response.set_content(Serialize(huge), kJsonType);
      break;
    }
    case FaultKind::kRedirect:
      response.set_redirect(kRedirectPrefix + path, 307);
      break;
    case FaultKind::kRedirectLoop:
      response.set_redirect(path, 307);
      break;
    case FaultKind::kRedirectTo:
      response.set_redirect(plan.text, 307);
      break;
    case FaultKind::kTrickle: {
      auto whole = std::make_shared<std::string>(Serialize(reply()));
      response.set_content_provider(whole->size(), kJsonType,
                                    [this, whole](size_t offset, size_t, httplib::DataSink& sink) {
                                      if (offset > 0 && !WaitUnlessStopped(std::chrono::seconds(1)))
                                        return false;
                                      sink.write(whole->data() + offset, 1);
                                      return true;
                                    });
      break;
    }
    case FaultKind::kCut: {
      auto whole = std::make_shared<std::string>(Serialize(reply()));
      // Half of the announced length goes out; returning false then drops the connection.
      response.set_content_provider(whole->size(), kJsonType,
                                    [whole](size_t offset, size_t, httplib::DataSink& sink) {
                                      if (offset > 0) return false;
                                      sink.write(whole->data(), whole->size() / 2);
                                      return true;
                                    });
      break;
    }
    case FaultKind::kCode:
      response.set_content(Serialize(RefusalReply(plan.number, RefusalText(fields, plan.number))),
                           kJsonType);
      break;
    case FaultKind::kBody:
      response.set_content(plan.text, kJsonType);
      break;
  }
}
