#include "net/echo_probe.h"

#include <chrono>
#include <memory>
#include <optional>

#include "net/echo_link.h"
#include "net/janus_session.h"

namespace rtc {
namespace {

constexpr const char* kEchoPlugin = "janus.plugin.echotest";

// Offers the link's streams to the echo plugin and takes its answer.
bool Negotiate(JanusSession& session, uint64_t handle, EchoLink& echo, std::string& error) {
  std::optional<std::string> offer = echo.link().CreateOffer(error);
  if (!offer) return false;
  Json::Value body;
  body["audio"] = true;
  body["video"] = true;
  Json::Value jsep;
  jsep["type"] = "offer";
  jsep["sdp"] = *offer;
  std::optional<JanusReply> answer = session.Message(handle, body, jsep, error);
  if (!answer) return false;
  if (!answer->jsep.isObject()) {
    error = "the media server did not answer the offer";
    return false;
  }
  return echo.link().AcceptAnswer(answer->jsep["sdp"].asString(), error);
}

}  // namespace

EchoProbe::EchoProbe(EngineLog& log, SampleHandler on_sample)
    : log_(log), on_sample_(std::move(on_sample)) {}

EchoProbe::~EchoProbe() {
  Stop();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    changed_.notify_all();
  }
  if (worker_.joinable()) worker_.join();
}

void EchoProbe::Start(const std::string& media_server) {
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = true;
  ++run_;
  media_server_ = media_server;
  stage_ = EchoStage::kOpening;
  failure_.clear();
  // Most engines never run the test: the worker comes with the first run.
  if (!worker_.joinable()) worker_ = std::thread([this] { Work(); });
  changed_.notify_all();
  sampler_ = std::thread([this, run = run_] { Sample(run); });
}

void EchoProbe::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
    changed_.notify_all();
  }
  if (sampler_.joinable()) sampler_.join();
}

void EchoProbe::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closing_ || (running_ && run_ != set_up_); });
    if (closing_) return;
    set_up_ = run_;
    const uint64_t run = run_;
    const std::string media_server = media_server_;
    lock.unlock();
    Echo(run, media_server);
    lock.lock();
  }
}

void EchoProbe::Echo(uint64_t run, const std::string& media_server) {
  JanusSession::Handlers handlers;
  handlers.event = [this, run](uint64_t, const Json::Value& event) {
    // The server's end of the connection went down: nothing comes back from now on.
    if (event["janus"].asString() == "hangup" ||
        event["plugindata"]["data"]["result"].asString() == "done") {
      SetStage(run, EchoStage::kFailed, "the media server hung the echo up");
    }
  };
  handlers.lost = [this, run](const std::string& why) { SetStage(run, EchoStage::kFailed, why); };
  std::string error;
  std::unique_ptr<JanusSession> session =
      JanusSession::Open(media_server, std::move(handlers), error);
  if (!session) return SetStage(run, EchoStage::kFailed, error);
  SetStage(run, EchoStage::kConnecting);
  if (!Wanted(run)) return;
  std::optional<uint64_t> handle = session->Attach(kEchoPlugin, error);
  if (!handle) return SetStage(run, EchoStage::kFailed, error);
  std::unique_ptr<EchoLink> echo = Wanted(run) ? EchoLink::Create(error) : nullptr;
  if (echo && Negotiate(*session, *handle, *echo, error)) {
    // Only now: before, the sampler's statistics would wait behind the negotiation's steps.
    Publish(run, echo.get());
    WaitForEnd(run);
    Publish(0, nullptr);
  } else if (!error.empty()) {
    SetStage(run, EchoStage::kFailed, error);
  }
  echo.reset();  // the media hangs up
  // Destroying the session (with its owner) takes the server's end and the handle down too.
}

void EchoProbe::WaitForEnd(uint64_t run) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(
      lock, [&] { return closing_ || !running_ || run_ != run || stage_ == EchoStage::kFailed; });
}

bool EchoProbe::Wanted(uint64_t run) {
  std::lock_guard<std::mutex> lock(mutex_);
  return !closing_ && running_ && run_ == run;
}

void EchoProbe::SetStage(uint64_t run, EchoStage stage, const std::string& failure) {
  std::lock_guard<std::mutex> lock(mutex_);
  // A failure stays: the session's poller may report one before the set-up goes on.
  if (run != run_ || stage_ == EchoStage::kFailed) return;
  stage_ = stage;
  if (!failure.empty()) failure_ = failure;
  changed_.notify_all();
}

void EchoProbe::Publish(uint64_t run, EchoLink* link) {
  std::lock_guard<std::mutex> lock(link_mutex_);
  link_ = link;
  link_run_ = run;
}

void EchoProbe::Sample(uint64_t run) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  EchoMeter meter;
  std::unique_lock<std::mutex> lock(mutex_);
  for (Clock::time_point next = start + std::chrono::milliseconds(kSamplePeriodMs);;
       next += std::chrono::milliseconds(kSamplePeriodMs)) {
    if (changed_.wait_until(lock, next, [&] { return !running_ || run_ != run; })) return;
    const EchoStage stage = stage_;
    std::string failure = stage == EchoStage::kOpening
                              ? "waiting for the media server at " + media_server_
                              : failure_;
    lock.unlock();
    std::optional<LinkCounters> counters;
    {
      std::lock_guard<std::mutex> guard(link_mutex_);
      if (link_ != nullptr && link_run_ == run) {
        counters = link_->link().Counters();
        if (failure.empty()) failure = link_->link().Failure();
        // After the counters: the frame's packets belong to the next window.
        link_->SendFrame();
      }
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    Report(meter.Next(elapsed, stage, counters ? &*counters : nullptr), failure);
    lock.lock();
  }
}

void EchoProbe::Report(const EchoSample& sample, const std::string& failure) {
  auto figure = [](const std::optional<double>& value) { return value ? *value : -1.0; };
  const LinkMeasure& measure = sample.measure;
  log_.Write(
      "echo: %llu sent, %llu back, %llu lost: loss %.1f %%, round trip %.0f ms, "
      "jitter %.1f ms, silent %lld ms: %d%s%s",
      static_cast<unsigned long long>(sample.sent), static_cast<unsigned long long>(sample.echoed),
      static_cast<unsigned long long>(sample.lost), figure(measure.loss_percent),
      figure(measure.round_trip_ms), figure(measure.jitter_ms),
      static_cast<long long>(measure.silent_ms), sample.grade, failure.empty() ? "" : "; ",
      failure.c_str());
  // A window that measured nothing is no verdict: counted as a sample, the program's test
  // would pass a server whose media never comes back.
  if (sample.grade != QUALITY_UNKNOWN) on_sample_(sample.grade);
}

}  // namespace rtc
