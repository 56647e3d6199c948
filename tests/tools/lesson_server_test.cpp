#include "tools/lesson-service/lesson_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

#include "tests/support/scoped_env.h"

using testing_support::TempDir;

namespace {

constexpr const char* kForm = "application/x-www-form-urlencoded";

// The service on a free loopback port with the given faults, for the scope.
class ServerScope {
 public:
  explicit ServerScope(FaultPlan faults = {}) {
    auto opened = LessonStore::Open((folder_.path() / "lessons.db").string());
    store_ = std::move(std::get<std::unique_ptr<LessonStore>>(opened));
    created_ = store_->CreateLesson({});
    server_ = std::make_unique<LessonServer>(*store_, std::move(faults));
    port_ = server_->Bind("127.0.0.1", 0);
    serving_ = std::thread([this] { server_->Serve(); });
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client_->set_read_timeout(20, 0);
  }
  ~ServerScope() {
    server_->Stop();
    serving_.join();
  }

  httplib::Result Post(const std::string& path, const std::string& body) {
    return client_->Post(path.c_str(), body, kForm);
  }
  LessonStore& store() { return *store_; }
  const CreatedLesson& created() const { return created_; }

 private:
  TempDir folder_;
  std::unique_ptr<LessonStore> store_;
  CreatedLesson created_;
  std::unique_ptr<LessonServer> server_;
  int port_ = -1;
  std::thread serving_;
  std::unique_ptr<httplib::Client> client_;
};

FaultPlan Plan(const std::string& spec) {
  FaultPlan plan;
  EXPECT_EQ(AddFault(plan, spec), std::nullopt);
  return plan;
}

Json::Value ParseJson(const std::string& text) {
  Json::Value root;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
  EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << text;
  return root;
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
  Json::Value ignored;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
  std::string body = garbage.Post("/init/getPCConfig", "")->body;
  EXPECT_FALSE(reader->parse(body.data(), body.data() + body.size(), &ignored, &errors));
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
  EXPECT_TRUE(data["config"]["agora_video_profile"].isString());
  EXPECT_TRUE(data["config"]["screen_sharing"].isString());

  ServerScope log(Plan("/Log/agoraLog=mistyped"));
  Json::Value log_reply = ParseJson(log.Post("/Log/agoraLog", "")->body);
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
  std::thread client([&server] { server->Post("/init/getPCConfig", "lan=us"); });
  for (int i = 0; i < 500 && server->store().Requests().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(server->store().Requests().size(), 1u);
  server.reset();  // must return although the answer stalls
  client.join();
}
