// The engine's timed work and callback thread.
#include "timeline.h"

#include <gtest/gtest.h>

#include <mutex>

#include "callback_dispatcher.h"
#include "engine_harness.h"

namespace {

// Collects task labels in the order they ran.
struct Trace {
  void Add(const std::string& label) {
    std::lock_guard<std::mutex> lock(mutex);
    labels.push_back(label);
  }
  std::vector<std::string> Labels() {
    std::lock_guard<std::mutex> lock(mutex);
    return labels;
  }
  std::mutex mutex;
  std::vector<std::string> labels;
};

TEST(Timeline, RunsTasksInDueOrderAndThoseDueTogetherInTheOrderGiven) {
  rtc::ManualEngineClock clock;
  rtc::Timeline timeline(clock);
  Trace trace;
  timeline.At(300, [&] { trace.Add("c"); });
  timeline.At(100, [&] { trace.Add("a"); });
  timeline.At(200, [&] { trace.Add("b1"); });
  timeline.At(200, [&] { trace.Add("b2"); });
  clock.Advance(1000);
  ASSERT_TRUE(rtc_test::WaitUntil([&] { return trace.Labels().size() == 4; }));
  EXPECT_EQ(trace.Labels(), (std::vector<std::string>{"a", "b1", "b2", "c"}));
}

TEST(Timeline, NothingRunsBeforeItsTime) {
  rtc::ManualEngineClock clock;
  rtc::Timeline timeline(clock);
  Trace trace;
  timeline.At(0, [&] { trace.Add("now"); });
  timeline.At(500, [&] { trace.Add("later"); });
  ASSERT_TRUE(rtc_test::WaitUntil([&] { return trace.Labels().size() == 1; }));
  clock.Advance(499);
  timeline.At(0, [&] { trace.Add("marker"); });
  ASSERT_TRUE(rtc_test::WaitUntil([&] { return trace.Labels().size() == 2; }));
  EXPECT_EQ(trace.Labels(), (std::vector<std::string>{"now", "marker"}));
}

TEST(Timeline, RepeatingTasksRunEachPeriodUntilCancelled) {
  rtc::ManualEngineClock clock;
  rtc::Timeline timeline(clock);
  Trace trace;
  auto id = timeline.Every(100, [&] { trace.Add("tick"); });
  for (int i = 0; i < 3; ++i) clock.Advance(100);
  ASSERT_TRUE(rtc_test::WaitUntil([&] { return trace.Labels().size() == 3; }));
  timeline.Cancel(id);
  clock.Advance(500);
  timeline.At(0, [&] { trace.Add("marker"); });
  ASSERT_TRUE(rtc_test::WaitUntil([&] { return trace.Labels().size() == 4; }));
  EXPECT_EQ(trace.Labels().back(), "marker");
}

TEST(Timeline, StopDropsWhatIsPending) {
  rtc::ManualEngineClock clock;
  Trace trace;
  {
    rtc::Timeline timeline(clock);
    timeline.At(100, [&] { trace.Add("never"); });
    timeline.Stop();
  }
  clock.Advance(1000);
  EXPECT_TRUE(trace.Labels().empty());
}

TEST(Timeline, FollowsTheSteadyClockByItself) {
  rtc::SteadyEngineClock clock;
  rtc::Timeline timeline(clock);
  Trace trace;
  timeline.After(20, [&] { trace.Add("done"); });
  EXPECT_TRUE(rtc_test::WaitUntil([&] { return trace.Labels().size() == 1; }));
}

TEST(CallbackDispatcher, DeliversInPostingOrderOnItsOwnThread) {
  rtc_test::RecordingHandler handler;
  {
    rtc::CallbackDispatcher dispatcher;
    dispatcher.SetHandler(&handler);
    for (int i = 0; i < 1000; ++i) {
      dispatcher.Post([i](rtc::IRtcEngineEventHandler& h) { h.onLastmileQuality(i); });
    }
  }  // the destructor delivers what was queued
  auto lines = handler.Lines();
  ASSERT_EQ(lines.size(), 1000u);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(lines[i], "lastmile " + std::to_string(i));
  for (auto id : handler.Threads()) EXPECT_NE(id, std::this_thread::get_id());
}

TEST(CallbackDispatcher, DropsEventsWhileNoHandlerIsSet) {
  rtc_test::RecordingHandler handler;
  {
    rtc::CallbackDispatcher dispatcher;
    dispatcher.Post([](rtc::IRtcEngineEventHandler& h) { h.onLastmileQuality(1); });
    dispatcher.SetHandler(&handler);
    dispatcher.Post([](rtc::IRtcEngineEventHandler& h) { h.onLastmileQuality(2); });
  }
  EXPECT_EQ(handler.Lines(), std::vector<std::string>{"lastmile 2"});
}

}  // namespace
