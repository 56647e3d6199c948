#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <set>

#include "tests/support/scoped_env.h"
#include "tools/lesson-service/fault_plan.h"
#include "tools/lesson-service/form_fields.h"
#include "tools/lesson-service/lesson_api.h"
#include "tools/lesson-service/lesson_store.h"
#include "tools/lesson-service/login_throttle.h"
#include "tools/lesson-service/system_random.h"

using testing_support::TempDir;

namespace {

std::unique_ptr<LessonStore> OpenStore(const TempDir& folder) {
  auto opened = LessonStore::Open((folder.path() / "lessons.db").string());
  if (auto* reason = std::get_if<std::string>(&opened)) {
    ADD_FAILURE() << *reason;
    return nullptr;
  }
  return std::move(std::get<std::unique_ptr<LessonStore>>(opened));
}

FormFields Form(const std::string& body) { return DecodeForm(body); }

}  // namespace

TEST(FormFields, DecodesEscapesAndBlanks) {
  FormFields fields = DecodeForm("a=1&code=12%26lan%3Dcn&name=two+words&empty=&flag");
  EXPECT_EQ(FieldOf(fields, "a"), "1");
  EXPECT_EQ(FieldOf(fields, "code"), "12&lan=cn");
  EXPECT_EQ(FieldOf(fields, "name"), "two words");
  EXPECT_EQ(FieldOf(fields, "empty"), "");
  EXPECT_EQ(fields.count("flag"), 1u);
  EXPECT_EQ(FieldOf(fields, "missing"), "");
}

TEST(FormFields, AnUnencodedAmpersandSplitsTheValue) {
  FormFields fields = DecodeForm("code=12&lan=cn&lan=us");
  EXPECT_EQ(FieldOf(fields, "code"), "12");
  EXPECT_EQ(fields.count("lan"), 2u);
  EXPECT_EQ(FieldOf(fields, "lan"), "cn");  // the first one given counts
}

TEST(FormFields, MalformedEscapesStayAsSent) {
  EXPECT_EQ(PercentDecode("100%"), "100%");
  EXPECT_EQ(PercentDecode("%zz%4"), "%zz%4");
  EXPECT_EQ(PercentDecode("%e4%b8%ad"), "中");
}

TEST(SystemRandom, AForkedProcessDrawsOtherSecretsThanItsParent) {
  SystemRandom random;
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const SystemRandom::result_type drawn = random();
    ::_exit(::write(ends[1], &drawn, sizeof drawn) == sizeof drawn ? 0 : 1);
  }
  SystemRandom::result_type in_child = 0;
  EXPECT_EQ(::read(ends[0], &in_child, sizeof in_child), static_cast<ssize_t>(sizeof in_child));
  ::waitpid(child, nullptr, 0);
  ::close(ends[0]);
  ::close(ends[1]);
  EXPECT_NE(random(), in_child);
}

TEST(LoginThrottle, RefusesAnAddressPastItsFailuresUntilTheyAgeOut) {
  using std::chrono::seconds;
  LoginThrottle throttle(3, seconds(60));
  const LoginThrottle::Clock::time_point start;
  for (int i = 0; i < 3; ++i) throttle.RecordFailure("10.0.0.1", start + seconds(i));
  const std::tuple<const char*, int, bool> checks[] = {{"10.0.0.1", 2, true},
                                                       {"10.0.0.2", 2, false},
                                                       {"10.0.0.1", 59, true},
                                                       {"10.0.0.1", 60, false}};
  for (const auto& [address, at, refused] : checks) {
    EXPECT_EQ(throttle.Refuses(address, start + seconds(at)), refused) << address << " " << at;
  }
}

TEST(FaultPlan, ParsesEveryKind) {
  FaultPlan plan;
  for (const char* given :
       {"/a=delay:250", "/b=stall", "/c=status:503", "/d=garbage", "/e=mistyped", "/f=huge",
        "/g=redirect", "/h=code:42", "/i=body:{}", "/j=redirect-loop", "/k=cut", "/l=trickle",
        "/m=redirect-to:http://elsewhere/"}) {
    EXPECT_EQ(AddFault(plan, given), std::nullopt) << given;
  }
  EXPECT_EQ(plan.at("/a").kind, FaultKind::kDelay);
  EXPECT_EQ(plan.at("/a").number, 250);
  EXPECT_EQ(plan.at("/c").number, 503);
  EXPECT_EQ(plan.at("/h").kind, FaultKind::kCode);
  EXPECT_EQ(plan.at("/i").text, "{}");
  EXPECT_EQ(plan.at("/g").kind, FaultKind::kRedirect);
  EXPECT_EQ(plan.at("/j").kind, FaultKind::kRedirectLoop);
  EXPECT_EQ(plan.at("/k").kind, FaultKind::kCut);
  EXPECT_EQ(plan.at("/l").kind, FaultKind::kTrickle);
  EXPECT_EQ(plan.at("/m").kind, FaultKind::kRedirectTo);
  EXPECT_EQ(plan.at("/m").text, "http://elsewhere/");
}

TEST(FaultPlan, RejectsWhatItCannotDo) {
  FaultPlan plan;
  for (const char* given : {"noslash=stall", "/a", "/a=explode", "/a=delay", "/a=delay:x",
                            "/a=delay:-1", "/a=status:99", "/a=stall:3", "/a=code:"}) {
    EXPECT_NE(AddFault(plan, given), std::nullopt) << given;
  }
  EXPECT_TRUE(plan.empty());
}

TEST(LessonStore, ALessonHasThreeCodesAndThreeDistinctUidsThatOutliveTheProcess) {
  TempDir folder;
  CreatedLesson created;
  {
    auto store = OpenStore(folder);
    LessonOptions options;
    options.start_in = 120;
    options.recording = true;
    created = store->CreateLesson(options);
  }
  auto store = OpenStore(folder);
  std::optional<Lesson> lesson = store->LessonById(created.lesson.meeting_id);
  ASSERT_TRUE(lesson.has_value());
  EXPECT_TRUE(lesson->recording);
  EXPECT_FALSE(lesson->screen_sharing);
  EXPECT_EQ(lesson->duration, 3600);
  EXPECT_NE(lesson->teacher_uid, lesson->student_uid);
  EXPECT_NE(lesson->student_uid, lesson->assistant_uid);
  for (size_t i = 0; i < kRoles.size(); ++i) {
    std::optional<Participant> participant = store->ParticipantByCode(created.codes[i]);
    ASSERT_TRUE(participant.has_value());
    EXPECT_EQ(participant->role, kRoles[i]);
    EXPECT_EQ(participant->uid, lesson->UidOf(kRoles[i]));
    EXPECT_EQ(participant->meeting_id, lesson->meeting_id);
  }
  EXPECT_FALSE(store->ParticipantByCode("nope").has_value());
}

TEST(LessonStore, ATokenIsIssuedOnceAndFindsItsParticipant) {
  TempDir folder;
  auto store = OpenStore(folder);
  CreatedLesson created = store->CreateLesson({});
  Participant student = *store->ParticipantByCode(created.codes[1]);
  std::string token = store->TokenFor(student);
  EXPECT_FALSE(token.empty());
  EXPECT_EQ(store->TokenFor(student), token);
  EXPECT_EQ(store->ParticipantByToken(token)->code, created.codes[1]);
  EXPECT_FALSE(store->ParticipantByToken("").has_value());
}

TEST(LessonStore, KeepsConfigReportsAndRequestBodies) {
  TempDir folder;
  auto store = OpenStore(folder);
  EXPECT_EQ(store->Config().app_id, ServiceConfig{}.app_id);
  ServiceConfig config;
  config.app_id = "x";
  config.update = 1;
  store->SetConfig(config);
  EXPECT_EQ(store->Config().app_id, "x");
  EXPECT_EQ(store->Config().update, 1);
  store->AddReport({"m", -1, 2, "exit", 0});
  ASSERT_EQ(store->Reports().size(), 1u);
  EXPECT_EQ(store->Reports()[0].target_uid, -1);
  EXPECT_GT(store->Reports()[0].received_at, 0);
  store->AddRequest("/p", std::string("a\0b", 3));
  EXPECT_EQ(store->Requests()[0].body, std::string("a\0b", 3));
}

TEST(LessonStore, PlacesALessonOnTheMediaServerWithFewestAndKeepsItThere) {
  const std::string a = "http://10.0.0.1:8088/janus";
  const std::string b = "http://10.0.0.2:8088/janus";
  const std::string c = "http://10.0.0.3:8088/janus";
  struct Step {
    size_t lesson;
    std::vector<std::string> given;
    std::string placed;
    bool restarted_before = false;
  };
  const std::pair<const char*, std::vector<Step>> cases[] = {
      {"fewest first, ties by order",
       {{0, {a, b, c}, a}, {1, {a, b, c}, b}, {2, {a, b, c}, c}, {3, {a, b, c}, a}}},
      {"the order given breaks ties, not the name", {{0, {c, a}, c}, {1, {c, a}, a}}},
      {"sticky across requests", {{0, {a, b}, a}, {0, {a, b}, a}, {1, {a, b}, b}, {0, {a, b}, a}}},
      {"sticky across a restart",
       {{0, {a, b}, a}, {1, {a, b}, b, true}, {0, {a, b}, a, true}, {2, {a, b}, a}}},
      {"a server added takes the next lessons",
       {{0, {a}, a}, {1, {a}, a}, {2, {a, b}, b}, {3, {a, b}, b}, {4, {a, b}, a}}},
      {"a server no longer given hands its lessons on",
       {{0, {a, b}, a}, {1, {a, b}, b}, {0, {b, c}, c}, {1, {b, c}, b}}},
  };
  for (const auto& [name, steps] : cases) {
    TempDir folder;
    auto store = OpenStore(folder);
    std::vector<std::string> lessons;
    for (int i = 0; i < 5; ++i) lessons.push_back(store->CreateLesson({}).lesson.meeting_id);
    std::map<size_t, MediaRoom> first_placed;
    for (size_t i = 0; i < steps.size(); ++i) {
      const Step& step = steps[i];
      if (step.restarted_before) store = OpenStore(folder);
      MediaRoom room = store->PlaceLesson(lessons[step.lesson], step.given);
      EXPECT_EQ(room.media_server, step.placed) << name << ", step " << i;
      const MediaRoom& first = first_placed.emplace(step.lesson, room).first->second;
      EXPECT_EQ(room.keys, first.keys) << name << ", step " << i << ": keys are kept";
      EXPECT_EQ(std::set<std::string>(room.keys.begin(), room.keys.end()).size(), 3u);
    }
  }
}

TEST(LessonStore, AFileThatCannotBeOpenedIsAnError) {
  auto opened = LessonStore::Open("/nonexistent-folder/lessons.db");
  EXPECT_TRUE(std::holds_alternative<std::string>(opened));
}

class LessonApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = OpenStore(folder_);
    created_ = store_->CreateLesson({});
  }
  Json::Value Ask(const std::string& path, const std::string& body) {
    return *LessonApi(*store_).Answer(path, Form(body));
  }

  TempDir folder_;
  std::unique_ptr<LessonStore> store_;
  CreatedLesson created_;
};

TEST_F(LessonApiTest, LoginThenAccessForEachRole) {
  const char* paths[] = {"/Meeting/teacherAccess", "/Meeting/studentAccess",
                         "/Meeting/assistantAccess"};
  for (size_t i = 0; i < kRoles.size(); ++i) {
    Json::Value login = Ask("/User/loginCode", "lan=us&code=" + created_.codes[i]);
    ASSERT_EQ(login["code"].asInt(), 0);
    EXPECT_EQ(login["data"]["user_type"].asInt(), static_cast<int>(kRoles[i]));
    EXPECT_TRUE(login["data"]["config"].isObject());
    std::string token = login["data"]["token"].asString();
    std::string meeting = login["data"]["meeting_id"].asString();
    Json::Value access = Ask(paths[i], "lan=us&token=" + token + "&meeting_id=" + meeting);
    ASSERT_EQ(access["code"].asInt(), 0) << access;
    EXPECT_EQ(access["data"]["uid"].asInt(), created_.lesson.UidOf(kRoles[i]));
    EXPECT_EQ(access["data"]["channel_name"].asString(), created_.lesson.channel_name);
    EXPECT_EQ(access["data"]["start_time"].asInt64(), created_.lesson.start_time);
    EXPECT_EQ(access["data"]["channel_key"].asString(), created_.lesson.channel_key);
    EXPECT_FALSE(access["data"].isMember("media_server")) << "no media server was given";
  }
}

TEST_F(LessonApiTest, RefusalsCarryACodeAndTheRequestsLanguage) {
  Json::Value english = Ask("/User/loginCode", "lan=us&code=bad");
  EXPECT_EQ(english["code"].asInt(), static_cast<int>(Refusal::kUnknownCode));
  EXPECT_EQ(english["msg"].asString(), "Unknown lesson code");
  EXPECT_EQ(Ask("/User/loginCode", "lan=cn&code=bad")["msg"].asString(), "课程码不存在");
  Json::Value token = Ask("/Meeting/teacherAccess", "lan=cn&token=bad&meeting_id=x");
  EXPECT_EQ(token["code"].asInt(), static_cast<int>(Refusal::kUnknownToken));
  EXPECT_EQ(token["msg"].asString(), "登录已失效，请重新输入课程码");
}

TEST_F(LessonApiTest, ATokenOnlyOpensItsOwnRoleAndLesson) {
  Json::Value login = Ask("/User/loginCode", "code=" + created_.codes[1]);
  std::string token = login["data"]["token"].asString();
  EXPECT_EQ(Ask("/Meeting/teacherAccess",
                "token=" + token + "&meeting_id=" + created_.lesson.meeting_id)["code"]
                .asInt(),
            static_cast<int>(Refusal::kWrongRole));
  EXPECT_EQ(Ask("/Meeting/studentAccess", "token=" + token + "&meeting_id=other")["code"].asInt(),
            static_cast<int>(Refusal::kUnknownLesson));
}

TEST_F(LessonApiTest, MediaLogReportsAreCheckedAndStored) {
  const std::string meeting = created_.lesson.meeting_id;
  EXPECT_EQ(Ask("/Log/mediaLog",
                "meeting_id=" + meeting + "&target_uid=-7&upload_uid=3&action=exit")["code"]
                .asInt(),
            0);
  for (const std::string& bad :
       {"meeting_id=" + meeting + "&target_uid=x&upload_uid=3&action=exit",
        "meeting_id=" + meeting + "&target_uid=1&upload_uid=3&action=dance",
        "meeting_id=" + meeting + "&target_uid=4294967296&upload_uid=3&action=enter"}) {
    EXPECT_EQ(Ask("/Log/mediaLog", bad)["code"].asInt(),
              static_cast<int>(Refusal::kMalformedReport))
        << bad;
  }
  EXPECT_EQ(Ask("/Log/mediaLog", "meeting_id=nope&target_uid=1&upload_uid=3&action=enter")["code"]
                .asInt(),
            static_cast<int>(Refusal::kUnknownLesson));
  ASSERT_EQ(store_->Reports().size(), 1u);
  EXPECT_EQ(store_->Reports()[0].target_uid, -7);
}

TEST_F(LessonApiTest, TheConfigurationAnnouncesAnUpdateOnlyWhenOneIsSet) {
  Json::Value plain = Ask("/init/getPCConfig", "lan=us");
  EXPECT_EQ(plain["data"]["mediaAppId"].asString(), ServiceConfig{}.app_id);
  EXPECT_FALSE(plain["data"].isMember("app"));
  ServiceConfig config;
  config.new_version = "2.0.0";
  config.update = 2;
  store_->SetConfig(config);
  Json::Value announced = Ask("/init/getPCConfig", "lan=us");
  EXPECT_EQ(announced["data"]["app"]["newVer"].asString(), "2.0.0");
  EXPECT_EQ(announced["data"]["app"]["update"].asInt(), 2);
  EXPECT_FALSE(LessonApi(*store_).Answer("/elsewhere", {}).has_value());
}
