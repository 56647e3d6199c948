#include "service/http_post.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "service/reply_buffer.h"
#include "tests/service/running_lesson_service.h"

using testing_support::BodyFault;
using testing_support::RefusingPort;
using testing_support::RunningLessonService;
using testing_support::SimpleFault;

namespace {

constexpr const char* kConfigPath = "/init/getPCConfig";
constexpr const char* kBaseQuery = "ver=0.9.0&app=win&lan=us&business=quorv";

// Runs the post on its own thread and fails instead of hanging past the watchdog.
std::string PostWithin(std::chrono::seconds watchdog, const std::string& url,
                       const std::string& form, TransferLimits limits = {},
                       const std::atomic<bool>* cancel = nullptr) {
  auto reply = std::async(std::launch::async, [=] { return HttpPost(url, form, limits, cancel); });
  if (reply.wait_for(watchdog) != std::future_status::ready) {
    ADD_FAILURE() << "HttpPost still running after the watchdog";
    std::abort();  // a hung transfer cannot be abandoned safely
  }
  return reply.get();
}

}  // namespace

TEST(ReplyBuffer, StartsWithRoomFor1024BytesAndAlwaysEndsInAZero) {
  ReplyBuffer buffer;
  EXPECT_EQ(buffer.capacity(), 1024u);
  EXPECT_EQ(buffer.Text(), "");
  std::string chunk(1023, 'a');
  buffer.Append(chunk.data(), chunk.size());
  // Reaching the capacity exactly grows it: the zero byte must still fit.
  std::string one("b");
  buffer.Append(one.data(), one.size());
  EXPECT_EQ(buffer.size(), 1024u);
  EXPECT_EQ(buffer.capacity(), 2048u);
  EXPECT_EQ(buffer.Text(), chunk + "b");
}

TEST(ReplyBuffer, TextEndsAtTheFirstZeroByte) {
  ReplyBuffer buffer;
  const char data[] = {'{', '}', '\0', 'x'};
  buffer.Append(data, sizeof data);
  EXPECT_EQ(buffer.Text(), "{}");
}

TEST(HttpPost, AReplyOfExactly1024BytesComesBackWhole) {
  std::string body = "{\"code\":0,\"msg\":\"" + std::string(1024 - 20, 'k') + "\"}";
  body.resize(1024, ' ');
  ASSERT_EQ(body.size(), 1024u);
  RunningLessonService service({{kConfigPath, BodyFault(body)}});
  EXPECT_EQ(PostWithin(std::chrono::seconds(20), service.Url(kConfigPath), kBaseQuery), body);
}

TEST(HttpPost, AReplyOfSeveralMegabytesComesBackWhole) {
  std::string body(5 * 1024 * 1024 + 7, 'm');
  RunningLessonService service({{kConfigPath, BodyFault(body)}});
  std::string reply = PostWithin(std::chrono::seconds(30), service.Url(kConfigPath), kBaseQuery);
  EXPECT_EQ(reply.size(), body.size());
  EXPECT_EQ(reply, body);
}

TEST(HttpPost, AnEmptyBodyGivesAnEmptyResult) {
  RunningLessonService service({{kConfigPath, BodyFault("")}});
  EXPECT_EQ(PostWithin(std::chrono::seconds(20), service.Url(kConfigPath), kBaseQuery), "");
}

TEST(HttpPost, ARedirectIsFollowedWithTheSameForm) {
  RunningLessonService service({{kConfigPath, SimpleFault(FaultKind::kRedirect)}});
  std::string reply = PostWithin(std::chrono::seconds(20), service.Url(kConfigPath), kBaseQuery);
  EXPECT_NE(reply.find("\"mediaAppId\""), std::string::npos) << reply;
  auto requests = service.store().Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].path, kConfigPath);
  EXPECT_EQ(requests[1].path, std::string("/redirected") + kConfigPath);
  EXPECT_EQ(requests[1].body, kBaseQuery);
}

TEST(HttpPost, ARedirectToAnotherSchemeHostOrPortEndsTheRequestUnsent) {
  RunningLessonService elsewhere;
  const std::string port = std::to_string(elsewhere.port());
  for (const std::string& location :
       {"https://127.0.0.1:" + port + kConfigPath, elsewhere.Url(kConfigPath),
        "http://localhost:" + port + kConfigPath, std::string("http://127.0.0.1") + kConfigPath}) {
    Fault redirect = SimpleFault(FaultKind::kRedirectTo);
    redirect.text = location;
    RunningLessonService service({{kConfigPath, redirect}});
    const std::string own = service.Url(kConfigPath);
    EXPECT_EQ(PostWithin(std::chrono::seconds(20), own, kBaseQuery), "NETWORK ERROR,CODE:1")
        << location;
    EXPECT_EQ(service.store().Requests().size(), 1u) << location;
  }
  EXPECT_TRUE(elsewhere.store().Requests().empty());
}

TEST(HttpPost, ARedirectLoopIsANetworkErrorAfterTheRedirectBound) {
  RunningLessonService service({{kConfigPath, SimpleFault(FaultKind::kRedirectLoop)}});
  EXPECT_EQ(PostWithin(std::chrono::seconds(20), service.Url(kConfigPath), kBaseQuery),
            "NETWORK ERROR,CODE:47");
  EXPECT_EQ(service.store().Requests().size(), TransferLimits{}.max_redirects + 1);
}

TEST(HttpPost, AServiceClosingMidBodyIsANetworkErrorNotHalfAReply) {
  RunningLessonService service({{kConfigPath, SimpleFault(FaultKind::kCut)}});
  EXPECT_EQ(PostWithin(std::chrono::seconds(20), service.Url(kConfigPath), kBaseQuery),
            "NETWORK ERROR,CODE:18");
}

TEST(HttpPost, AnHtmlErrorPageIsReturnedLikeAnyBody) {
  RunningLessonService service({{kConfigPath, SimpleFault(FaultKind::kStatus, 500)}});
  std::string reply = PostWithin(std::chrono::seconds(20), service.Url(kConfigPath), kBaseQuery);
  EXPECT_EQ(reply.rfind("<!DOCTYPE html>", 0), 0u) << reply;
  EXPECT_NE(reply.find("Internal Server Error"), std::string::npos);
}

TEST(HttpPost, AZeroByteInTheBodyEndsTheResult) {
  RunningLessonService service({{kConfigPath, BodyFault(std::string("{\"a\":1}\0tail", 12))}});
  EXPECT_EQ(PostWithin(std::chrono::seconds(20), service.Url(kConfigPath), kBaseQuery),
            "{\"a\":1}");
}

TEST(HttpPost, ARefusedConnectionIsNetworkError7) {
  RefusingPort port;
  EXPECT_EQ(PostWithin(std::chrono::seconds(40), port.Url(kConfigPath), kBaseQuery),
            "NETWORK ERROR,CODE:7");
}

TEST(HttpPost, ABodyOver8MiBIsATransportFailure) {
  RunningLessonService service({{kConfigPath, SimpleFault(FaultKind::kHuge)}});
  EXPECT_EQ(PostWithin(std::chrono::seconds(30), service.Url(kConfigPath), kBaseQuery),
            "NETWORK ERROR,CODE:23");
}

TEST(HttpPost, AStalledOrTricklingServiceIsAbandonedAfterItsBound) {
  TransferLimits stall;
  stall.stall_timeout = std::chrono::seconds(2);
  TransferLimits total;
  total.total_timeout = std::chrono::seconds(3);
  const std::pair<FaultKind, TransferLimits> cases[] = {{FaultKind::kStall, stall},
                                                        {FaultKind::kTrickle, total}};
  for (const auto& [fault, limits] : cases) {
    RunningLessonService service({{kConfigPath, SimpleFault(fault)}});
    EXPECT_EQ(PostWithin(std::chrono::seconds(30), service.Url(kConfigPath), kBaseQuery, limits),
              "NETWORK ERROR,CODE:28");
  }
}

TEST(HttpPost, ALateAnswerWithinTheStallBoundIsWaitedFor) {
  RunningLessonService service({{kConfigPath, SimpleFault(FaultKind::kDelay, 600)}});
  TransferLimits limits;
  limits.stall_timeout = std::chrono::seconds(10);
  const std::string reply =
      PostWithin(std::chrono::seconds(30), service.Url(kConfigPath), kBaseQuery, limits);
  EXPECT_EQ(reply.rfind("NETWORK ERROR", 0), std::string::npos) << reply;
  EXPECT_NE(reply.find("\"code\":0"), std::string::npos) << reply;
}

TEST(HttpPost, CancellingAbortsARunningTransfer) {
  RunningLessonService service({{kConfigPath, SimpleFault(FaultKind::kStall)}});
  std::atomic<bool> cancel{false};
  std::thread canceller([&cancel] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cancel = true;
  });
  EXPECT_EQ(PostWithin(std::chrono::seconds(20), service.Url(kConfigPath), kBaseQuery, {}, &cancel),
            "NETWORK ERROR,CODE:42");
  canceller.join();
}

TEST(HttpPost, TheFormArrivesAsSent) {
  RunningLessonService service;
  std::string form = std::string(kBaseQuery) + "&code=a%26b";
  PostWithin(std::chrono::seconds(20), service.Url("/User/loginCode"), form);
  auto requests = service.store().Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body, form);
}
