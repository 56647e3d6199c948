#include "tools/lesson-service/lesson_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <future>
#include <thread>

#include "tests/service/running_lesson_service.h"
#include "tests/tools/json_text.h"

using testing_support::IsJson;
using testing_support::ParseJson;
using testing_support::TempDir;

namespace {

constexpr const char* kForm = "application/x-www-form-urlencoded";

// The service with the given faults, and a plain HTTP client for it.
class ServerScope {
 public:
  explicit ServerScope(FaultPlan faults = {})
      : service_(std::move(faults)), client_("127.0.0.1", service_.port()) {
    client_.set_read_timeout(20, 0);
  }

  httplib::Result Post(const std::string& path, const std::string& body) {
    return client_.Post(path.c_str(), body, kForm);
  }
  LessonStore& store() { return service_.store(); }
  int port() const { return service_.port(); }
  const CreatedLesson& created() const { return service_.lesson(); }

 private:
  testing_support::RunningLessonService service_;
  httplib::Client client_;
};

FaultPlan Plan(const std::string& given) {
  FaultPlan plan;
  EXPECT_EQ(AddFault(plan, given), std::nullopt);
  return plan;
}

}  // namespace

TEST(LessonServer, AnswersTheSixPathsWithJsonAndLogsEveryBody) {
  ServerScope server;
  auto reply = server.Post("/User/loginCode", "lan=us&code=" + server.created().codes[0]);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
  EXPECT_EQ(ParseJson(reply->body)["code"].asInt(), 0);
  auto unknown = server.Post("/User/other", "x=1");
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->status, 404);
  auto requests = server.store().Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].path, "/User/loginCode");
}

TEST(LessonServer, AStatusFaultSendsAnHtmlPage) {
  ServerScope server(Plan("/init/getPCConfig=status:502"));
  auto reply = server.Post("/init/getPCConfig", "lan=us");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 502);
  EXPECT_NE(reply->body.find("<h1>Bad Gateway</h1>"), std::string::npos);
}

TEST(LessonServer, GarbageIsNotJsonAndHugeIsOver8MiB) {
  ServerScope garbage(Plan("/init/getPCConfig=garbage"));
  EXPECT_FALSE(IsJson(garbage.Post("/init/getPCConfig", "")->body));
  ServerScope huge(Plan("/init/getPCConfig=huge"));
  EXPECT_GT(huge.Post("/init/getPCConfig", "")->body.size(), 8u * 1024 * 1024);
}

TEST(LessonServer, MistypedKeepsTheKeysButChangesTheirTypes) {
  ServerScope server(Plan("/User/loginCode=mistyped"));
  Json::Value reply =
      ParseJson(server.Post("/User/loginCode", "code=" + server.created().codes[0])->body);
  EXPECT_TRUE(reply["code"].isInt());
  const Json::Value& data = reply["data"];
  EXPECT_TRUE(data["user_type"].isString());
  EXPECT_TRUE(data["token"].isArray());
  EXPECT_TRUE(data["config"].isObject());
  EXPECT_TRUE(data["config"]["media_video_profile"].isString());
  EXPECT_TRUE(data["config"]["screen_sharing"].isString());

  ServerScope log(Plan("/Log/mediaLog=mistyped"));
  Json::Value log_reply = ParseJson(log.Post("/Log/mediaLog", "")->body);
  EXPECT_TRUE(log_reply["code"].isString()) << "a reply without data values mistypes its code";
}

TEST(LessonServer, ARedirectPointsAtTheSamePathElsewhere) {
  ServerScope server(Plan("/init/getPCConfig=redirect"));
  auto reply = server.Post("/init/getPCConfig", "lan=us");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 307);
  EXPECT_EQ(reply->get_header_value("Location"), "/redirected/init/getPCConfig");
  auto followed = server.Post("/redirected/init/getPCConfig", "lan=us");
  EXPECT_EQ(ParseJson(followed->body)["code"].asInt(), 0);
}

TEST(LessonServer, ARedirectLoopPointsBackAtItself) {
  ServerScope server(Plan("/init/getPCConfig=redirect-loop"));
  auto reply = server.Post("/init/getPCConfig", "lan=us");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 307);
  EXPECT_EQ(reply->get_header_value("Location"), "/init/getPCConfig");
}

TEST(LessonServer, ACutAnswerBreaksOffBeforeItsAnnouncedEnd) {
  ServerScope server(Plan("/User/loginCode=cut"));
  auto reply = server.Post("/User/loginCode", "lan=us&code=" + server.created().codes[0]);
  ASSERT_FALSE(reply);
  EXPECT_EQ(reply.error(), httplib::Error::Read);
  EXPECT_EQ(server.store().Requests().size(), 1u);
}

TEST(LessonServer, ACodeFaultRefusesInTheRequestsLanguage) {
  ServerScope server(Plan("/User/loginCode=code:77"));
  Json::Value english = ParseJson(server.Post("/User/loginCode", "lan=us")->body);
  EXPECT_EQ(english["code"].asInt(), 77);
  EXPECT_EQ(english["msg"].asString(), "The lesson service refused the request (code 77)");
  Json::Value chinese = ParseJson(server.Post("/User/loginCode", "lan=cn")->body);
  EXPECT_EQ(chinese["msg"].asString(), "课程服务拒绝了请求（代码 77）");
}

TEST(LessonServer, ADelayedAnswerStillArrives) {
  ServerScope server(Plan("/init/getPCConfig=delay:100"));
  auto reply = server.Post("/init/getPCConfig", "lan=us");
  ASSERT_TRUE(reply);
  EXPECT_EQ(ParseJson(reply->body)["code"].asInt(), 0);
}

TEST(LessonServer, StoppingEndsAStalledAnswer) {
  auto server = std::make_unique<ServerScope>(Plan("/init/getPCConfig=stall"));
  // The client outlives the service it waits on.
  std::thread client([port = server->port()] {
    httplib::Client own("127.0.0.1", port);
    own.set_read_timeout(20, 0);
    own.Post("/init/getPCConfig", "lan=us", kForm);
  });
  for (int i = 0; i < 500 && server->store().Requests().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(server->store().Requests().size(), 1u);
  server.reset();  // must return although the answer stalls
  client.join();
}

TEST(LessonServer, AStopRightAfterTheStartIsNotLost) {
  TempDir folder;
  auto store = std::get<std::unique_ptr<LessonStore>>(
      LessonStore::Open((folder.path() / "lessons.db").string()));
  for (int round = 0; round < 20; ++round) {
    LessonServer server(*store, {});
    ASSERT_GT(server.Bind("127.0.0.1", 0), 0);
    auto serving = std::async(std::launch::async, [&server] { server.Serve(); });
    server.Stop();
    ASSERT_EQ(serving.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "Serve went on after Stop";
  }
}
