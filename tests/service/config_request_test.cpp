#include "service/config_request.h"

#include <gtest/gtest.h>

#include "tests/service/running_lesson_service.h"
#include "tests/service/worker_test_support.h"

using testing_support::ConfigDone;
using testing_support::PostedMessage;
using testing_support::RunningLessonService;
using testing_support::SimpleFault;
using testing_support::WorkerHarness;

namespace {

constexpr const char* kConfigPath = "/init/getPCConfig";

void ExpectFallback(DataHolder& holder) {
  EXPECT_EQ(holder.settings().app_id, kBuiltInAppId);
  EXPECT_EQ(holder.app_info().update, 0);
  EXPECT_EQ(holder.app_info().new_version, "");
  EXPECT_EQ(holder.lesson().video_profile, 55);
}

}  // namespace

TEST(ConfigRequest, StoresTheServicesIdAndUpdateThenPosts6024) {
  RunningLessonService service;
  ServiceConfig config;
  config.app_id = "0123456789abcdef0123456789abcdef";
  config.new_version = "1.2.0";
  config.update = 2;
  config.update_message = "请更新到 1.2.0";
  config.update_url = "http://127.0.0.1/update";
  service.store().SetConfig(config);
  WorkerHarness harness;
  harness.holder().settings().app_id = "from the settings file";
  harness.holder().lesson().video_profile = 7;

  StartConfigRequest(harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());

  EXPECT_EQ(harness.received(), (std::vector<PostedMessage>{ConfigDone()}));
  DataHolder& holder = harness.holder();
  EXPECT_EQ(holder.settings().app_id, config.app_id);
  EXPECT_EQ(holder.lesson().video_profile, 55);
  EXPECT_EQ(holder.app_info().new_version, "1.2.0");
  EXPECT_EQ(holder.app_info().update, 2);
  EXPECT_EQ(holder.app_info().update_message, "请更新到 1.2.0");  // the ANSI code page is UTF-8
  EXPECT_EQ(holder.app_info().update_url, "http://127.0.0.1/update");
}

TEST(ConfigRequest, SendsTheBaseQueryAloneInTheUsersLanguage) {
  for (const char* locale : {"en_US.UTF-8", "zh_CN.UTF-8"}) {
    RunningLessonService service;
    WorkerHarness harness(locale);
    StartConfigRequest(harness.holder());
    ASSERT_TRUE(harness.WaitForWorkers());
    auto requests = service.store().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, kConfigPath);
    std::string language = std::string(locale).rfind("zh", 0) == 0 ? "cn" : "us";
    EXPECT_EQ(requests[0].body, "ver=0.9.0&app=win&lan=" + language + "&business=quorv");
  }
}

TEST(ConfigRequest, FallsBackToTheBuiltInIdOnEveryFailure) {
  const std::vector<Fault> faults = {SimpleFault(FaultKind::kStatus, 500),
                                     SimpleFault(FaultKind::kGarbage),
                                     SimpleFault(FaultKind::kMistyped),
                                     SimpleFault(FaultKind::kHuge),
                                     SimpleFault(FaultKind::kCode, 3),
                                     testing_support::BodyFault(""),
                                     testing_support::BodyFault("{\"code\":0,\"data\":{}}")};
  for (const Fault& fault : faults) {
    RunningLessonService service({{kConfigPath, fault}});
    WorkerHarness harness;
    StartConfigRequest(harness.holder());
    ASSERT_TRUE(harness.WaitForWorkers());
    EXPECT_EQ(harness.received(), (std::vector<PostedMessage>{ConfigDone()}))
        << static_cast<int>(fault.kind);
    ExpectFallback(harness.holder());
  }
}

TEST(ConfigRequest, AnUnreachableServiceStillPosts6024) {
  testing_support::RefusingPort refusing;
  testing_support::ScopedEnv api("QUORVEL_API_BASE", refusing.base());
  WorkerHarness harness;
  StartConfigRequest(harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  EXPECT_EQ(harness.received(), (std::vector<PostedMessage>{ConfigDone()}));
  ExpectFallback(harness.holder());
}

TEST(ConfigRequest, ARedirectedRequestStillConfigures) {
  RunningLessonService service({{kConfigPath, SimpleFault(FaultKind::kRedirect)}});
  ServiceConfig config;
  config.app_id = "redirected-id";
  service.store().SetConfig(config);
  WorkerHarness harness;
  StartConfigRequest(harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  EXPECT_EQ(harness.holder().settings().app_id, "redirected-id");
}
