#include "service/media_log_report.h"

#include <gtest/gtest.h>

#include "service/login_request.h"
#include "tests/service/running_lesson_service.h"
#include "tests/service/worker_test_support.h"

using testing_support::RunningLessonService;
using testing_support::SimpleFault;
using testing_support::WorkerHarness;

namespace {

constexpr const char* kBase = "ver=0.9.0&app=win&lan=us&business=quorv";

// Runs the reports and returns what they wrote to the debugger output.
std::string DebugOutputOf(WorkerHarness& harness, const std::function<void()>& start) {
  testing_support::ScopedEnv debug("QUORVEL_DEBUG", std::string("1"));
  testing::internal::CaptureStderr();
  start();
  bool finished = harness.WaitForWorkers();
  std::string output = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(finished);
  return output;
}

}  // namespace

TEST(MediaLogReport, OwnEnterAfterLoginSendsBothUidsAndIsStored) {
  RunningLessonService service;
  WorkerHarness harness;
  StartLogin(service.CodeOf(Role::kStudent), harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  const int32_t own = harness.holder().lesson().uid;
  ASSERT_EQ(own, service.lesson().lesson.student_uid);

  std::string output =
      DebugOutputOf(harness, [&] { StartMediaLogReport(own, "enter", harness.holder()); });
  EXPECT_EQ(output, "上报成功");

  const std::string& meeting = service.lesson().lesson.meeting_id;
  EXPECT_EQ(service.store().Requests().back().body,
            std::string(kBase) + "&meeting_id=" + meeting + "&target_uid=" + std::to_string(own) +
                "&upload_uid=" + std::to_string(own) + "&action=enter");
  auto reports = service.store().Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].meeting_id, meeting);
  EXPECT_EQ(reports[0].target_uid, own);
  EXPECT_EQ(reports[0].upload_uid, own);
  EXPECT_EQ(reports[0].action, "enter");
}

TEST(MediaLogReport, ARemoteExitWithNegativeUidsKeepsTheirSigns) {
  RunningLessonService service;
  WorkerHarness harness;
  harness.holder().lesson().meeting_id = service.lesson().lesson.meeting_id;
  harness.holder().lesson().uid = -1234;
  std::string output =
      DebugOutputOf(harness, [&] { StartMediaLogReport(-5, "exit", harness.holder()); });
  EXPECT_EQ(output, "上报成功");
  EXPECT_NE(
      service.store().Requests().back().body.find("&target_uid=-5&upload_uid=-1234&action=exit"),
      std::string::npos);
  auto reports = service.store().Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].target_uid, -5);
  EXPECT_EQ(reports[0].upload_uid, -1234);
  EXPECT_EQ(reports[0].action, "exit");
}

TEST(MediaLogReport, SeveralReportsAtOnceAreAllStored) {
  RunningLessonService service;
  WorkerHarness harness;
  harness.holder().lesson().meeting_id = service.lesson().lesson.meeting_id;
  harness.holder().lesson().uid = 1;
  for (int32_t uid : {1, 2, 3}) StartMediaLogReport(uid, "enter", harness.holder());
  ASSERT_TRUE(harness.WaitForWorkers());
  EXPECT_EQ(service.store().Reports().size(), 3u);
  EXPECT_TRUE(harness.received().empty()) << "a report posts no message";
}

TEST(MediaLogReport, FailuresOnlyReachTheDebuggerOutput) {
  RunningLessonService service({{"/Log/mediaLog", SimpleFault(FaultKind::kCode, 9)}});
  WorkerHarness harness;
  harness.holder().lesson().meeting_id = service.lesson().lesson.meeting_id;
  std::string output =
      DebugOutputOf(harness, [&] { StartMediaLogReport(1, "enter", harness.holder()); });
  EXPECT_EQ(output, "上报失败");
  EXPECT_EQ(harness.holder().last_message, "");
  EXPECT_TRUE(harness.received().empty());

  testing_support::RefusingPort refusing;
  testing_support::ScopedEnv api("QUORVEL_API_BASE", refusing.base());
  EXPECT_EQ(DebugOutputOf(harness, [&] { StartMediaLogReport(1, "exit", harness.holder()); }),
            "上报失败");
}

TEST(MediaLogReport, ValuesAreEncoded) {
  WorkerHarness harness;
  harness.holder().lesson().meeting_id = "m 1&x=2";
  harness.holder().lesson().uid = 9;
  EXPECT_EQ(MediaLogParameters(harness.holder(), "-3", "enter"),
            "&meeting_id=m%201%26x%3D2&target_uid=-3&upload_uid=9&action=enter");
}
