#include "service/login_request.h"

#include <gtest/gtest.h>

#include "service/config_request.h"
#include "service/http_post.h"
#include "tests/service/reply_samples.h"
#include "tests/service/running_lesson_service.h"
#include "tests/service/worker_test_support.h"

using testing_support::BodyFault;
using testing_support::LoginReplyWithUserType;
using testing_support::LoginResult;
using testing_support::PostedMessage;
using testing_support::RunningLessonService;
using testing_support::SimpleFault;
using testing_support::WorkerHarness;

namespace {

constexpr const char* kLoginPath = "/User/loginCode";
constexpr const char* kBase = "ver=0.9.0&app=win&lan=us&business=quorv";

const std::vector<PostedMessage> kBothStepsSucceeded = {LoginResult(0, 1), LoginResult(1, 1)};
const std::vector<PostedMessage> kLoginStepFailed = {LoginResult(0, 0)};
const std::vector<PostedMessage> kAccessStepFailed = {LoginResult(0, 1), LoginResult(1, 0)};

}  // namespace

TEST(Login, ATeachersCodeFillsTheLessonThroughBothSteps) {
  RunningLessonService service;
  WorkerHarness harness;
  const std::string code = service.CodeOf(Role::kTeacher);
  StartLogin(code, harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());

  EXPECT_EQ(harness.received(), kBothStepsSucceeded);
  const Lesson& lesson = service.lesson().lesson;
  const LessonRecord& record = harness.holder().lesson();
  EXPECT_EQ(record.lesson_code, code);
  EXPECT_EQ(record.user_type, "1");
  EXPECT_EQ(record.meeting_id, lesson.meeting_id);
  EXPECT_FALSE(record.token.empty());
  EXPECT_EQ(record.channel_name, lesson.channel_name);
  EXPECT_EQ(record.channel_key, lesson.channel_key);
  EXPECT_EQ(record.signaling_key, lesson.signaling_key);
  EXPECT_EQ(record.uid, lesson.teacher_uid);
  EXPECT_EQ(record.teacher_id, lesson.teacher_uid);
  EXPECT_EQ(record.student_id, lesson.student_uid);
  EXPECT_EQ(record.assistant_id, lesson.assistant_uid);
  EXPECT_EQ(record.start_time, lesson.start_time);
  EXPECT_EQ(record.duration, lesson.duration);
  EXPECT_EQ(record.countdown, lesson.countdown);
  EXPECT_EQ(record.forceclose, lesson.forceclose);
  EXPECT_EQ(record.video_profile, MediaConfig{}.video_profile);
  EXPECT_EQ(record.play_volume, MediaConfig{}.play_volume);
  EXPECT_EQ(harness.holder().last_message, "");

  auto requests = service.store().Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].path, kLoginPath);
  EXPECT_EQ(requests[0].body, std::string(kBase) + "&code=" + code);
  EXPECT_EQ(requests[1].path, "/Meeting/teacherAccess");
  EXPECT_EQ(requests[1].body,
            std::string(kBase) + "&token=" + record.token + "&meeting_id=" + lesson.meeting_id);
}

TEST(Login, EachRoleGoesToItsOwnAccessPath) {
  RunningLessonService service;
  const std::pair<Role, const char*> roles[] = {{Role::kStudent, "/Meeting/studentAccess"},
                                                {Role::kAssistant, "/Meeting/assistantAccess"}};
  for (const auto& [role, path] : roles) {
    WorkerHarness harness;
    StartLogin(service.CodeOf(role), harness.holder());
    ASSERT_TRUE(harness.WaitForWorkers());
    EXPECT_EQ(harness.received(), kBothStepsSucceeded) << path;
    EXPECT_EQ(service.store().Requests().back().path, path);
    EXPECT_EQ(harness.holder().lesson().uid, service.lesson().lesson.UidOf(role));
  }
}

TEST(Login, AnUnknownCodeIsRefusedInTheUsersLanguageWithOneMessage) {
  const std::pair<const char*, const char*> cases[] = {{"en_US.UTF-8", "Unknown lesson code"},
                                                       {"zh_CN.UTF-8", "课程码不存在"}};
  for (const auto& [locale, text] : cases) {
    RunningLessonService service;
    WorkerHarness harness(locale);
    StartLogin("00000000", harness.holder());
    ASSERT_TRUE(harness.WaitForWorkers());
    EXPECT_EQ(harness.received(), kLoginStepFailed);
    EXPECT_EQ(harness.holder().last_message, text);
    EXPECT_EQ(service.store().Requests().size(), 1u) << "no access request after a failed login";
  }
}

TEST(Login, TwentyWrongCodesFromOneComputerRefuseTheNextLoginInTheUsersLanguage) {
  RunningLessonService service;
  for (int attempt = 0; attempt < 20; ++attempt) {
    HttpPost(service.Url(kLoginPath), std::string(kBase) + "&code=00000000");
  }
  const std::pair<const char*, const char*> cases[] = {
      {"en_US.UTF-8",
       "Too many wrong lesson codes from this computer, please try again in a minute"},
      {"zh_CN.UTF-8", "本机输入错误课程码的次数过多，请一分钟后再试"}};
  for (const auto& [locale, text] : cases) {
    WorkerHarness harness(locale);
    StartLogin(service.CodeOf(Role::kTeacher), harness.holder());
    ASSERT_TRUE(harness.WaitForWorkers());
    EXPECT_EQ(harness.received(), kLoginStepFailed);
    EXPECT_EQ(harness.holder().last_message, text);
  }
}

TEST(Login, ACodeHoldingAnAmpersandArrivesAsOneEncodedValue) {
  RunningLessonService service;
  WorkerHarness harness;
  StartLogin(service.CodeOf(Role::kTeacher) + "&lan=cn", harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  auto requests = service.store().Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body,
            std::string(kBase) + "&code=" + service.CodeOf(Role::kTeacher) + "%26lan%3Dcn");
  // The whole text is one code, which the service does not know; the language stayed English.
  EXPECT_EQ(harness.received(), kLoginStepFailed);
  EXPECT_EQ(harness.holder().last_message, "Unknown lesson code");
}

TEST(Login, AnUnreachableServicePostsExactlyOne6025) {
  testing_support::RefusingPort refusing;
  testing_support::ScopedEnv api("QUORVEL_API_BASE", refusing.base());
  WorkerHarness harness;
  StartLogin("12345678", harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  EXPECT_EQ(harness.received(), kLoginStepFailed);
  EXPECT_EQ(harness.holder().last_message, "NETWORK ERROR,CODE:7");
}

TEST(Login, UserTypeDecidesTheAccessPath) {
  const std::pair<const char*, const char*> cases[] = {{"1", "/Meeting/teacherAccess"},
                                                       {"\"1\"", "/Meeting/teacherAccess"},
                                                       {"\"01\"", "/Meeting/assistantAccess"},
                                                       {"\"2\"", "/Meeting/assistantAccess"},
                                                       {"", "/Meeting/assistantAccess"}};
  for (const auto& [user_type, path] : cases) {
    RunningLessonService service({{kLoginPath, BodyFault(LoginReplyWithUserType(user_type))}});
    WorkerHarness harness;
    StartLogin("12345678", harness.holder());
    ASSERT_TRUE(harness.WaitForWorkers());
    auto requests = service.store().Requests();
    ASSERT_EQ(requests.size(), 2u) << user_type;
    EXPECT_EQ(requests[1].path, path) << user_type;
    EXPECT_EQ(requests[1].body, std::string(kBase) + "&token=fixed-token&meeting_id=m1");
    // The service does not know the fixed token: the access step is refused.
    EXPECT_EQ(harness.received(), kAccessStepFailed) << user_type;
  }
}

TEST(Login, ALoginWithoutConfigKeepsProfile55AndTheAudioFields) {
  RunningLessonService service({{kLoginPath, BodyFault(LoginReplyWithUserType("1"))}});
  WorkerHarness harness;
  StartConfigRequest(harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  harness.holder().lesson().audio_profile = 3;
  StartLogin("12345678", harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  EXPECT_EQ(harness.holder().lesson().video_profile, 55);
  EXPECT_EQ(harness.holder().lesson().audio_profile, 3);
  EXPECT_EQ(harness.holder().lesson().user_type, "1");
}

TEST(Login, AStartTimeBeyond2To31IsKeptWhole) {
  const std::string access =
      "{\"code\":0,\"data\":{\"uid\":7,\"channel_name\":\"c\",\"start_time\":4102444800123,"
      "\"duration\":5400}}";
  RunningLessonService service({{"/Meeting/teacherAccess", BodyFault(access)}});
  WorkerHarness harness;
  StartLogin(service.CodeOf(Role::kTeacher), harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  EXPECT_EQ(harness.received(), kBothStepsSucceeded);
  EXPECT_EQ(harness.holder().lesson().start_time, 4102444800123LL);
  EXPECT_EQ(harness.holder().lesson().duration, 5400);
}

TEST(Login, AnHtmlErrorPageIsShownWholeAndKeepsTheLoginFields) {
  RunningLessonService service({{"/Meeting/studentAccess", SimpleFault(FaultKind::kStatus, 500)}});
  WorkerHarness harness;
  StartLogin(service.CodeOf(Role::kStudent), harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  EXPECT_EQ(harness.received(), kAccessStepFailed);
  const std::string& message = harness.holder().last_message;
  EXPECT_EQ(message.rfind("<!DOCTYPE html>", 0), 0u) << message;
  EXPECT_EQ(message.substr(message.size() - 8), "</html>\n");
  EXPECT_EQ(harness.holder().lesson().user_type, "0");
  EXPECT_EQ(harness.holder().lesson().channel_name, "");
}

TEST(Login, ARefusalShowsTheServicesMessage) {
  RunningLessonService service({{kLoginPath, SimpleFault(FaultKind::kCode, 4031)}});
  WorkerHarness harness;
  StartLogin(service.CodeOf(Role::kTeacher), harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  EXPECT_EQ(harness.received(), kLoginStepFailed);
  EXPECT_EQ(harness.holder().last_message, "The lesson service refused the request (code 4031)");
}

TEST(Login, MistypedOrNonJsonRepliesFailTheStepWithoutStoppingTheProgram) {
  for (FaultKind kind : {FaultKind::kMistyped, FaultKind::kGarbage, FaultKind::kHuge}) {
    RunningLessonService service({{"/Meeting/teacherAccess", SimpleFault(kind)}});
    WorkerHarness harness;
    StartLogin(service.CodeOf(Role::kTeacher), harness.holder());
    ASSERT_TRUE(harness.WaitForWorkers());
    EXPECT_EQ(harness.received(), kAccessStepFailed) << static_cast<int>(kind);
    EXPECT_FALSE(harness.holder().last_message.empty());
  }
  RunningLessonService service({{kLoginPath, SimpleFault(FaultKind::kMistyped)}});
  WorkerHarness harness;
  StartLogin(service.CodeOf(Role::kTeacher), harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  EXPECT_EQ(harness.received(), kLoginStepFailed);
  EXPECT_EQ(harness.holder().last_message, MalformedReplyMessage("data/token", false));
}

TEST(Login, ARedirectedAccessStepIsFollowed) {
  RunningLessonService service({{"/Meeting/teacherAccess", SimpleFault(FaultKind::kRedirect)}});
  WorkerHarness harness;
  StartLogin(service.CodeOf(Role::kTeacher), harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  EXPECT_EQ(harness.received(), kBothStepsSucceeded);
  EXPECT_EQ(harness.holder().lesson().uid, service.lesson().lesson.teacher_uid);
}

TEST(Login, AStalledServiceEndsTheLoginWithinItsBound) {
  testing_support::ScopedEnv stall_bound("QUORVEL_API_STALL_SECONDS", "2");
  RunningLessonService service({{kLoginPath, SimpleFault(FaultKind::kStall)}});
  WorkerHarness harness;
  StartLogin(service.CodeOf(Role::kTeacher), harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers(std::chrono::seconds(15)));
  EXPECT_EQ(harness.received(), kLoginStepFailed);
  EXPECT_EQ(harness.holder().last_message, "NETWORK ERROR,CODE:28");
}
