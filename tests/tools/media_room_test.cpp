#include "tools/lesson-service/media_room.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "tests/service/running_lesson_service.h"
#include "tests/tools/running_media_server.h"
#include "tests/support/needs.h"
#include "tools/lesson-service/lesson_api.h"

using testing_support::RefusingPort;
using testing_support::RunningMediaServer;
using testing_support::TempDir;

namespace {

constexpr const char* kAdminKey = "quorvel-test-admin";
constexpr int kUnauthorized = 433;

class MediaRoomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = LessonStore::Open((folder_.path() / "lessons.db").string());
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<LessonStore>>(opened));
    store_ = std::move(std::get<std::unique_ptr<LessonStore>>(opened));
  }

  // The access reply of the lesson's participant in that role, logged in first.
  Json::Value Access(LessonApi& api, const CreatedLesson& lesson, Role role,
                     const std::string& lan = "us") {
    const char* paths[] = {request_path::kTeacherAccess, request_path::kStudentAccess,
                           request_path::kAssistantAccess};
    size_t index = 0;
    while (kRoles[index] != role) ++index;
    Json::Value login =
        *api.Answer(request_path::kLogin, DecodeForm("code=" + lesson.codes[index]));
    return *api.Answer(paths[index],
                       DecodeForm("lan=" + lan + "&token=" + login["data"]["token"].asString() +
                                  "&meeting_id=" + lesson.lesson.meeting_id));
  }

  TempDir folder_;
  std::unique_ptr<LessonStore> store_;
  std::ostringstream log_;
};

// A session with the VideoRoom plugin on the media server, failing the test when it cannot.
std::unique_ptr<JanusSession> VideoRoom(const std::string& url) {
  auto opened = JanusSession::Open(url, "janus.plugin.videoroom");
  if (auto* reason = std::get_if<std::string>(&opened)) {
    ADD_FAILURE() << *reason;
    return nullptr;
  }
  return std::move(std::get<std::unique_ptr<JanusSession>>(opened));
}

Json::Value AnswerTo(const std::string& url, Json::Value request) {
  std::unique_ptr<JanusSession> session = VideoRoom(url);
  if (!session) return Json::Value();
  auto answer = session->Ask(request);
  if (auto* reason = std::get_if<std::string>(&answer)) ADD_FAILURE() << *reason;
  return std::get_if<Json::Value>(&answer) ? std::get<Json::Value>(answer) : Json::Value();
}

Json::Value RoomRequest(const char* request, const std::string& room) {
  Json::Value body(Json::objectValue);
  body["request"] = request;
  body["room"] = room;
  return body;
}

bool RoomExists(const std::string& url, const std::string& room) {
  return AnswerTo(url, RoomRequest("exists", room))["exists"].asBool();
}

}  // namespace

TEST(MediaServerUrl, OnlyPlainHttpWithAHostIsAnAddress) {
  auto parsed = ParseMediaServerUrl("http://127.0.0.1:8088/janus/");
  ASSERT_TRUE(std::holds_alternative<MediaServerAddress>(parsed));
  EXPECT_EQ(std::get<MediaServerAddress>(parsed).origin, "http://127.0.0.1:8088");
  EXPECT_EQ(std::get<MediaServerAddress>(parsed).path, "/janus");
  for (const char* bad : {"https://127.0.0.1/janus", "127.0.0.1:8088/janus", "http:///janus",
                          "http://127.0.0.1:/janus", "http://127.0.0.1:8088/"}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(ParseMediaServerUrl(bad))) << bad;
  }
}

TEST_F(MediaRoomTest, AnUnreachableMediaServerRefusesAccessInTheRequestsLanguage) {
  RefusingPort nothing;
  const std::string url = nothing.Url("/janus");
  LessonApi api(*store_, {{url}, kAdminKey, &log_});
  CreatedLesson lesson = store_->CreateLesson({});
  const std::pair<const char*, const char*> languages[] = {
      {"us", "The lesson's media server is not available, please try again later"},
      {"cn", "课程的媒体服务器暂时不可用，请稍后再试"}};
  for (const auto& [lan, message] : languages) {
    Json::Value reply = Access(api, lesson, Role::kStudent, lan);
    EXPECT_EQ(reply["code"].asInt(), static_cast<int>(Refusal::kMediaServerUnavailable)) << lan;
    EXPECT_EQ(reply["msg"].asString(), message);
    EXPECT_FALSE(reply.isMember("data"));
  }
  EXPECT_NE(log_.str().find(url + ": "), std::string::npos) << log_.str();
}

TEST_F(MediaRoomTest, TheShippedConfigurationLoadsOnlyWhatLessonsUse) {
  QUORVEL_NEEDS(RunningMediaServer::Installed(), "janus is not installed");
  RunningMediaServer server(kAdminKey);
  ASSERT_TRUE(server.ready());
  std::istringstream log(server.Log());
  std::string line;
  std::getline(log, line);
  EXPECT_EQ(line, "media server " + server.url());
  std::set<std::string> loaded;
  while (std::getline(log, line)) {
    EXPECT_EQ(line.find("[ERR]"), std::string::npos) << line;
    EXPECT_EQ(line.find("[FATAL]"), std::string::npos) << line;
    size_t loading = line.find("Loading ");
    if (loading != std::string::npos) loaded.insert(line.substr(loading));
  }
  EXPECT_EQ(loaded, (std::set<std::string>{"Loading plugin 'libjanus_echotest.so'...",
                                           "Loading plugin 'libjanus_videoroom.so'...",
                                           "Loading transport plugin 'libjanus_http.so'..."}));
}

TEST_F(MediaRoomTest, EachLessonMeetsOnItsMediaServerInARoomOnlyItsThreeKeysOpen) {
  QUORVEL_NEEDS(RunningMediaServer::Installed(), "janus is not installed");
  RunningMediaServer first(kAdminKey);
  RunningMediaServer second(kAdminKey);
  ASSERT_TRUE(first.ready() && second.ready());
  LessonApi api(*store_, {{first.url(), second.url()}, kAdminKey, &log_});
  CreatedLesson lesson = store_->CreateLesson({});
  CreatedLesson other = store_->CreateLesson({});

  std::set<std::string> keys;
  for (Role role : kRoles) {
    Json::Value reply = Access(api, lesson, role);
    ASSERT_EQ(reply["code"].asInt(), 0) << reply << log_.str();
    EXPECT_EQ(reply["data"]["media_server"].asString(), first.url());
    keys.insert(reply["data"]["channel_key"].asString());
  }
  EXPECT_EQ(keys.size(), 3u) << "each participant has a key of its own";
  EXPECT_EQ(Access(api, other, Role::kStudent)["data"]["media_server"].asString(), second.url());

  const std::string& room = lesson.lesson.channel_name;
  EXPECT_TRUE(RoomExists(first.url(), room));
  EXPECT_FALSE(RoomExists(second.url(), room));
  EXPECT_TRUE(RoomExists(second.url(), other.lesson.channel_name));
  // Adding no key answers with the keys the room admits.
  Json::Value listing = RoomRequest("allowed", room);
  listing["secret"] = kAdminKey;
  listing["action"] = "add";
  listing["allowed"] = Json::Value(Json::arrayValue);
  const Json::Value listed = AnswerTo(first.url(), listing);
  std::set<std::string> allowed;
  for (const Json::Value& key : listed["allowed"]) allowed.insert(key.asString());
  EXPECT_EQ(allowed, keys);
  // Every publisher is asked for a keyframe every 2 s: a browser sends none unasked.
  Json::Value list(Json::objectValue);
  list["request"] = "list";
  const Json::Value rooms = AnswerTo(first.url(), list);
  int keyframe_every = 0;
  for (const Json::Value& listed_room : rooms["list"]) {
    if (listed_room["room"].asString() == room) keyframe_every = listed_room["fir_freq"].asInt();
  }
  EXPECT_EQ(keyframe_every, 2) << rooms;

  const std::pair<std::string, bool> joins[] = {{"not-a-key", false}, {*keys.begin(), true}};
  for (const auto& [token, admitted] : joins) {
    Json::Value join = RoomRequest("join", room);
    join["ptype"] = "publisher";
    join["id"] = std::to_string(lesson.lesson.teacher_uid);
    join["token"] = token;
    Json::Value answer = AnswerTo(first.url(), join);
    EXPECT_EQ(answer["videoroom"].asString() == "joined", admitted) << token << ": " << answer;
    EXPECT_EQ(answer["error_code"].asInt(), admitted ? 0 : kUnauthorized) << answer;
  }
}

TEST_F(MediaRoomTest, ARoomThatIsGoneIsMadeAgainAndAWrongAdminKeyIsRefused) {
  QUORVEL_NEEDS(RunningMediaServer::Installed(), "janus is not installed");
  RunningMediaServer server(kAdminKey);
  ASSERT_TRUE(server.ready());
  LessonApi api(*store_, {{server.url()}, kAdminKey, &log_});
  CreatedLesson lesson = store_->CreateLesson({});
  const std::string& room = lesson.lesson.channel_name;
  ASSERT_EQ(Access(api, lesson, Role::kTeacher)["code"].asInt(), 0) << log_.str();
  Json::Value destroy = RoomRequest("destroy", room);
  destroy["secret"] = kAdminKey;
  EXPECT_EQ(AnswerTo(server.url(), destroy)["videoroom"].asString(), "destroyed");
  ASSERT_EQ(Access(api, lesson, Role::kStudent)["code"].asInt(), 0) << log_.str();
  EXPECT_TRUE(RoomExists(server.url(), room));

  LessonApi impostor(*store_, {{server.url()}, "not-the-admin-key", &log_});
  CreatedLesson unplaced = store_->CreateLesson({});
  EXPECT_EQ(Access(impostor, unplaced, Role::kTeacher)["code"].asInt(),
            static_cast<int>(Refusal::kMediaServerUnavailable));
  EXPECT_NE(log_.str().find("create refused"), std::string::npos) << log_.str();
  EXPECT_FALSE(RoomExists(server.url(), unplaced.lesson.channel_name));
}
