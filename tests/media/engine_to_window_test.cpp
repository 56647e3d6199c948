// The whole road: the built-in engine follows a scenario on its own threads, the bridge turns
// each callback into a message, and the window's thread takes them in the order they happened.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "media/engine_event_bridge.h"
#include "media/engine_events.h"
#include "media/media_engine.h"
#include "tests/media/event_window.h"
#include "tests/support/scoped_env.h"

namespace {

using media_test::EventWindow;

TEST(EngineToWindow, AScenarioArrivesAsMessagesInOrder) {
  testing_support::TempDir folder;
  auto config = folder.path() / "rtc.json";
  std::ofstream(config) << R"({"channel": "simulated", "real_devices": false, "scenario": {
      "users": [{"uid": 2002, "join_ms": 40, "leave_ms": 1000, "width": 320, "height": 240}],
      "network_quality": [{"at_ms": 600, "uid": 2002, "tx": 1, "rx": 4}]}})";
  testing_support::ScopedEnv env("QUORVEL_RTC_CONFIG", config.string());

  EventWindow window;
  CAGEngineEventHandler bridge;
  bridge.SetTargetWindow(window.handle());
  MediaEngine media(createRtcEngine, bridge);
  media.Initialize(L"app-id");
  ASSERT_TRUE(media.EnableVideo(true));
  ASSERT_TRUE(media.Join(L"lesson", 1001, ""));

  std::vector<UINT> seen;
  MSG message;
  while (EventWindow::Next(message)) {
    seen.push_back(message.message);
    if (message.message == EngineEventMessage(EID_USER_JOINED)) {
      EXPECT_EQ(AdoptEngineEvent<EID_USER_JOINED>(message.wParam)->uid, 2002u);
    } else if (message.message == EngineEventMessage(EID_FIRST_REMOTE_VIDEO_DECODED)) {
      auto frame = AdoptEngineEvent<EID_FIRST_REMOTE_VIDEO_DECODED>(message.wParam);
      EXPECT_EQ(frame->width, 320);
      EXPECT_EQ(frame->height, 240);
    } else {
      FreeEngineEvent(message.message, message.wParam);
    }
    if (message.message == EngineEventMessage(EID_USER_OFFLINE)) break;
  }
  auto at = [&](int code) {
    auto it = std::find(seen.begin(), seen.end(), EngineEventMessage(code));
    return it == seen.end() ? -1 : static_cast<int>(it - seen.begin());
  };
  // Each of them arrived, and after the one before it.
  int previous = -1;
  for (const int code : {EID_JOIN_SUCCESS, EID_USER_JOINED, EID_FIRST_REMOTE_VIDEO_DECODED,
                         EID_NETWORK_QUALITY, EID_USER_OFFLINE}) {
    ASSERT_NE(at(code), -1) << "event " << code << " never arrived";
    EXPECT_GT(at(code), previous) << "event " << code << " out of order";
    previous = at(code);
  }
  EXPECT_NE(at(EID_FIRST_LOCAL_VIDEO_FRAME), -1);
}

}  // namespace
