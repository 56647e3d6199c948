// A lesson service that misbehaves, met through the whole program: the configuration request,
// either step of the login and the media-log reports each answered with every fault the local
// service can play. Whatever comes back, the program keeps running, a login that fails gives
// the login view back with a notice that says why, and app.conf stays readable.
#include <json/json.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/text_conversion.h"
#include "service/api_address.h"
#include "service/config_reply.h"
#include "service/data_holder.h"
#include "service/settings_file.h"
#include "tests/e2e/lesson_world.h"
#include "tests/support/scoped_env.h"

using testing_support::SimpleFault;
using ui::CUiDriver;

namespace e2e {
namespace {

// A transfer that moves no byte for this long is abandoned; the login's worker then reports.
// The test's own bound, short of the program's half minute.
constexpr std::chrono::seconds kStallBound{3};

struct ServiceFault {
  const char* name;
  Fault fault;
  // The notice's text when the login fails: exact, or, when it starts with '<', its first bytes.
  std::string notice;
};

// The faults that end a login; the text is empty where it comes from the reply reader.
std::vector<ServiceFault> LoginFaults() {
  return {
      {"html_500", SimpleFault(FaultKind::kStatus, 500), "<!DOCTYPE html>"},
      {"garbage", SimpleFault(FaultKind::kGarbage), ""},
      {"mistyped", SimpleFault(FaultKind::kMistyped), ""},
      {"over_8_mib", SimpleFault(FaultKind::kHuge), "NETWORK ERROR,CODE:23"},
      {"redirect_loop", SimpleFault(FaultKind::kRedirectLoop), "NETWORK ERROR,CODE:47"},
      {"closed_mid_body", SimpleFault(FaultKind::kCut), "NETWORK ERROR,CODE:18"},
  };
}

struct FaultCase {
  Language language;
  const char* step;  // the path the fault is on
  ServiceFault fault;
};

std::string CaseName(const ::testing::TestParamInfo<FaultCase>& info) {
  const std::string step =
      info.param.step == std::string(request_path::kLogin) ? "login" : "access";
  return std::string(info.param.language == Language::kChinese ? "cn_" : "en_") + step + "_" +
         info.param.fault.name;
}

std::vector<FaultCase> LoginFaultCases() {
  std::vector<FaultCase> cases;
  for (Language language : {Language::kEnglish, Language::kChinese}) {
    for (const char* step : {request_path::kLogin, request_path::kStudentAccess}) {
      for (const ServiceFault& fault : LoginFaults()) cases.push_back({language, step, fault});
    }
  }
  return cases;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ServiceFaultWorld : public LessonWorld {
 protected:
  void OpenWithFault(Language language, const std::string& path, const Fault& fault) {
    WorldSetup setup;
    setup.language = language;
    setup.faults[path] = fault;
    Open(setup);
  }

  // The notice with the holder's message, the login view's controls taken while it shows and
  // given back after it; nothing of the classroom.
  void ExpectLoginViewBackWith(const std::string& expected, const std::string& shot = "") {
    ASSERT_TRUE(NoticeShown());
    const std::wstring shown = NoticeText();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown, Utf8ToWide(holder().last_message));
    if (!expected.empty() && expected[0] == '<') {
      EXPECT_EQ(shown.rfind(Utf8ToWide(expected), 0), 0u) << holder().last_message;
    } else if (!expected.empty()) {
      EXPECT_EQ(shown, Utf8ToWide(expected));
    }
    EXPECT_FALSE(main().in_classroom());
    EXPECT_FALSE(TipShown());
    if (!shot.empty()) Screenshot(shot);
    SkipTime(kNoticeDurationMs);
    EXPECT_FALSE(NoticeShown());
    EXPECT_TRUE(Visible(login_hwnd()));
    EXPECT_TRUE(CUiDriver::IsEnabled(login_hwnd(), L"class_code"));
    EXPECT_TRUE(CUiDriver::IsEnabled(login_hwnd(), L"join_class"));
  }

  // What the program writes now and at exit reads back as the settings it holds.
  void ExpectSettingsFileReadable() {
    SaveSettings(holder());
    Json::Value root;
    std::istringstream text(ReadFile(SettingsFilePath()));
    Json::CharReaderBuilder reader;
    std::string errors;
    ASSERT_TRUE(Json::parseFromStream(reader, text, &root, &errors)) << errors;
    DataHolder reread;
    EXPECT_EQ(reread.settings().volume, holder().settings().volume);
    EXPECT_EQ(reread.settings().hotkey, holder().settings().hotkey);
  }
};

class LoginFaultTest : public ServiceFaultWorld, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(LoginFaultTest, EndsTheLoginWithANoticeAndGivesTheLoginViewBack) {
  const FaultCase& param = GetParam();
  OpenWithFault(param.language, param.step, param.fault.fault);
  WaitForEngineReady();
  JoinWithCode(CodeOf(first_lesson(), Role::kStudent));
  ASSERT_TRUE(WaitUntil([this] { return NoticeShown() || TipShown(); }, "the login's end"));
  ExpectLoginViewBackWith(param.fault.notice, std::string("service_fault_") + param.fault.name);
  ExpectSettingsFileReadable();
}

INSTANTIATE_TEST_SUITE_P(EveryFaultOnEitherStep, LoginFaultTest,
                         ::testing::ValuesIn(LoginFaultCases()), CaseName);

// A stall holds the login for the stall bound only. One language: the notice shows only the
// transfer's error code.
TEST_F(ServiceFaultWorld, AStalledLoginEndsWithinTheStallBound) {
  testing_support::ScopedEnv stall_bound("QUORVEL_API_STALL_SECONDS",
                                         std::to_string(kStallBound.count()));
  OpenWithFault(Language::kEnglish, request_path::kLogin, SimpleFault(FaultKind::kStall));
  WaitForEngineReady();
  JoinWithCode(CodeOf(first_lesson(), Role::kStudent));
  EXPECT_FALSE(CUiDriver::IsEnabled(login_hwnd(), L"join_class"));
  ASSERT_TRUE(WaitUntil([this] { return NoticeShown(); }, "the stalled login's end",
                        kStallBound + kWatchdog));
  ExpectLoginViewBackWith("NETWORK ERROR,CODE:28");
  ExpectSettingsFileReadable();
}

class ServiceFaultTest : public ServiceFaultWorld,
                         public ::testing::WithParamInterface<Language> {};

// A refusal with a code of the service's own shows the service's text.
TEST_P(ServiceFaultTest, ARefusedLoginShowsTheServicesText) {
  OpenWithFault(GetParam(), request_path::kStudentAccess, SimpleFault(FaultKind::kCode, 77));
  WaitForEngineReady();
  JoinWithCode(CodeOf(first_lesson(), Role::kStudent));
  ASSERT_TRUE(WaitUntil([this] { return NoticeShown(); }, "the refusal"));
  ExpectLoginViewBackWith(chinese() ? "课程服务拒绝了请求（代码 77）"
                                    : "The lesson service refused the request (code 77)");
}

// Redirects the service sends once are followed: the login goes through to the classroom.
TEST_P(ServiceFaultTest, ARedirectedLoginReachesTheClassroom) {
  OpenWithFault(GetParam(), request_path::kLogin, SimpleFault(FaultKind::kRedirect));
  WaitForEngineReady();
  JoinWithCode(CodeOf(first_lesson(), Role::kStudent));
  ASSERT_TRUE(WaitUntil([this] { return TipShown(); }, "the network test"));
  EXPECT_TRUE(RunNetworkTest());
}

// Whatever the configuration request gets, the engine starts with the built-in id and a
// lesson can still be joined.
TEST_P(ServiceFaultTest, ABrokenConfigurationStillLetsTheParticipantIn) {
  for (const ServiceFault& fault : LoginFaults()) {
    SCOPED_TRACE(fault.name);
    OpenWithFault(GetParam(), request_path::kConfig, fault.fault);
    WaitForEngineReady();
    EXPECT_EQ(holder().settings().app_id, kBuiltInAppId);
    JoinWithCode(CodeOf(first_lesson(), Role::kStudent));
    ASSERT_TRUE(WaitUntil([this] { return TipShown(); }, "the network test"));
    EXPECT_TRUE(RunNetworkTest());
    ExpectSettingsFileReadable();
    TearDown();
  }
}

// The media-log reports failing changes nothing the participant sees.
TEST_P(ServiceFaultTest, FailingReportsLeaveTheLessonRunning) {
  for (const ServiceFault& fault : LoginFaults()) {
    SCOPED_TRACE(fault.name);
    OpenWithFault(GetParam(), request_path::kMediaLog, fault.fault);
    WaitForEngineReady();
    JoinWithCode(CodeOf(first_lesson(), Role::kTeacher));
    ASSERT_TRUE(WaitUntil([this] { return TipShown(); }, "the network test"));
    ASSERT_TRUE(RunNetworkTest());
    Advance(kAssistantJoinMs + 1000);
    EXPECT_TRUE(main().in_classroom());
    ASSERT_TRUE(WaitUntil(
        [this] {
          std::size_t reports = 0;
          for (const std::string& path : RequestPaths()) reports += path == request_path::kMediaLog;
          return reports >= 3;  // the own enter and the two others'
        },
        "the reports' attempts"));
    EXPECT_TRUE(main().in_classroom());
    TearDown();
  }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ServiceFaultTest,
                         ::testing::Values(Language::kEnglish, Language::kChinese), LanguageName);

}  // namespace
}  // namespace e2e
