// A three-hour lesson in virtual time with a million engine events, in one process: what the
// program holds — heap, open files and windows — is the same at the end as after the lesson's
// first minute.
//
// The events come the way the engine's threads deliver them: a producer thread calls the
// process-wide bridge, which posts a heap record per event to the meeting view. They come in
// batches, and the user-interface thread pumps until a batch is handled before the next one
// starts, so the queue stays bounded while the two threads still run side by side. Between
// batches the windows' clock moves in the lesson clock's 500 ms steps, so the alarm bar, the
// status bar's clock and countdown, and the bars' timers all run; now and then the engine's
// clock moves too, and it draws frames into the tiles.
#include <unistd.h>
#include <win/headless.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "classroom/alarm_bar.h"
#include "classroom/meeting_view.h"
#include "classroom/status_bar.h"
#include "media/engine_event_bridge.h"
#include "media/engine_events.h"
#include "tests/e2e/lesson_world.h"
#include "tests/e2e/process_measures.h"

using ui::CUiDriver;

namespace e2e {
namespace {

constexpr std::int64_t kThreeHours = 3 * 60 * 60;
constexpr long kSoakEvents = 1000000;
// The lesson clock's period: the step of virtual time between two batches.
constexpr std::int64_t kTickMs = 500;
// Every this many ticks the engine's clock moves with the windows' one for a tick.
constexpr int kEngineTickEvery = 120;
// Every this many ticks one of the two others leaves and joins again within the batch.
constexpr int kRejoinEvery = 10;
// Every this many ticks the control bar is brought up, and its timer hides it 3 s later.
constexpr int kControlBarEvery = 1200;
// The end measures are taken this long before the closing time, with the teacher's countdown
// running; the lesson is closed afterwards to see that it still closes.
constexpr std::int64_t kEndBeforeCloseS = 20;

int WindowsUnder(HWND window) {
  int count = 0;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    count += 1 + WindowsUnder(child);
  }
  return count;
}

struct WindowCount {
  int top_level = 0;
  int all = 0;
};

// Every live window of the window system: the top-level ones (siblings of any one of them)
// and their children, all the way down.
WindowCount LiveWindows(HWND any_top_level) {
  WindowCount count;
  for (HWND window = GetWindow(any_top_level, GW_HWNDFIRST); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    ++count.top_level;
    count.all += 1 + WindowsUnder(window);
  }
  return count;
}

// One of this process's TCP sockets is connected rather than listening, by the kernel's
// tables: a report's connection is, until both its ends have closed it.
bool ConnectionOpen() {
  std::set<std::string> connected;
  for (const char* table : {"/proc/self/net/tcp", "/proc/self/net/tcp6"}) {
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
      fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
          timeout >> inode;
      if (state != "0A" && inode != "0") connected.insert("socket:[" + inode + "]");
    }
  }
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    if (!error && connected.count(target) != 0) return true;
  }
  return false;
}

// Every thread of the process but the calling one is asleep: none is half-way through work
// that holds memory for a moment, such as the engine drawing a frame or a report's worker
// ending.
bool OtherThreadsAsleep() {
  const std::string own = std::to_string(static_cast<long>(gettid()));
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    if (entry.path().filename() == own) continue;
    std::ifstream in(entry.path() / "stat");
    std::string stat;
    std::getline(in, stat);
    // The state follows the name, which is in parentheses and may hold anything.
    const std::size_t name_end = stat.rfind(')');
    if (name_end == std::string::npos || name_end + 2 >= stat.size()) continue;  // gone meanwhile
    const char state = stat[name_end + 2];
    if (state != 'S' && state != 'T' && state != 't') return false;
  }
  return true;
}

struct Measures {
  std::int64_t heap = 0;
  int files = 0;
  WindowCount windows;
};

enum class BatchKind {
  kOrdinary,
  // One of the two others leaves at the batch's start and joins again in its middle.
  kWithRejoin,
  // Only what puts the tiles and the network signs back as they were after the first minute.
  kSteady,
};

// The engine's callback threads, as one producer: each batch is a deterministic mix of what
// an engine reports during a lesson, remote participants leaving and joining again included.
class EngineEventProducer {
 public:
  EngineEventProducer(rtc::IRtcEngineEventHandler& bridge, rtc::uid_t student, rtc::uid_t assistant)
      : bridge_(bridge), student_(student), assistant_(assistant), thread_([this] { Run(); }) {}

  ~EngineEventProducer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  EngineEventProducer(const EngineEventProducer&) = delete;
  EngineEventProducer& operator=(const EngineEventProducer&) = delete;

  // The next batch: count events of the kind. The previous batch must be done.
  void Start(long count, BatchKind kind) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      batch_size_ = count;
      kind_ = kind;
      ++requested_;
    }
    wake_.notify_all();
  }

  bool Done() {
    std::lock_guard<std::mutex> lock(mutex_);
    return produced_ == requested_;
  }

  long produced_events() const { return events_; }
  // The joins and leaves of the others posted so far; each makes the program report it.
  long presence_changes() const { return presence_changes_; }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || requested_ != produced_; });
      if (stopping_) return;
      const long count = batch_size_;
      const BatchKind kind = kind_;
      lock.unlock();
      if (kind == BatchKind::kSteady) {
        Steady();
      } else {
        Produce(count, kind == BatchKind::kWithRejoin);
      }
      lock.lock();
      ++produced_;
    }
  }

  void Produce(long count, bool rejoin) {
    const rtc::uid_t leaving = (rejoins_ % 2 == 0) ? student_ : assistant_;
    // The leave comes first, the join again in the middle: the batch's events around them see
    // the tile gone and back.
    const long leave_at = rejoin ? 0 : -1;
    const long join_at = rejoin ? count / 2 : -1;
    for (long i = 0; i < count; ++i) {
      if (i == leave_at) {
        bridge_.onUserOffline(
            leaving, (rejoins_ % 3 == 0) ? rtc::USER_OFFLINE_DROPPED : rtc::USER_OFFLINE_QUIT);
        ++presence_changes_;
      } else if (i == join_at) {
        bridge_.onUserJoined(leaving, 40);
        ++presence_changes_;
      } else if (rejoin && i == join_at + 1) {
        bridge_.onFirstRemoteVideoDecoded(leaving, 640, 480, 120);
      } else if (rejoin && i == join_at + 2) {
        bridge_.onFirstRemoteVideoFrame(leaving, 640, 480, 130);
      } else {
        Ordinary();
      }
      ++events_;
    }
    if (rejoin) ++rejoins_;
  }

  // 0 to bound - 1.
  unsigned Next(unsigned bound) { return static_cast<unsigned>(random_() % bound); }
  // Every tile's video at its first size and every network fine, as after the first minute.
  void Steady() {
    for (rtc::uid_t uid : {student_, assistant_}) bridge_.onVideoSizeChanged(uid, 640, 480, 0);
    for (rtc::uid_t uid : {rtc::uid_t{0}, student_, assistant_}) {
      bridge_.onNetworkQuality(uid, 1, 1);
    }
  }

  rtc::uid_t Remote() { return Next(2) == 0 ? student_ : assistant_; }
  rtc::uid_t AnyOne() { return Next(3) == 0 ? 0 : Remote(); }

  // One event of the steady stream, by the weights an engine's reports have in a lesson:
  // volumes and qualities several times a second, statistics every second or two, the rest
  // seldom.
  void Ordinary() {
    const unsigned roll = Next(1000);
    if (roll < 300) {
      const rtc::AudioVolumeInfo speakers[] = {
          {0, Next(256)}, {student_, Next(256)}, {assistant_, Next(256)}};
      const unsigned int number = 1 + Next(3);
      bridge_.onAudioVolumeIndication(speakers, number, static_cast<int>(Next(256)));
    } else if (roll < 500) {
      // Now and then a bad report, always followed at once by a good one, so the warning
      // comes and goes.
      const rtc::uid_t uid = AnyOne();
      if (roll < 304) {
        bridge_.onNetworkQuality(uid, 2, 5);
        bridge_.onNetworkQuality(uid, 1, 2);
      } else {
        bridge_.onNetworkQuality(uid, 1 + static_cast<int>(Next(3)), 1 + static_cast<int>(Next(3)));
      }
    } else if (roll < 700) {
      rtc::RemoteVideoStats stats;
      stats.uid = Remote();
      stats.delay = static_cast<int32_t>(Next(400));
      stats.width = 640;
      stats.height = 480;
      stats.receivedBitrate = static_cast<int32_t>(300 + Next(500));
      stats.receivedFrameRate = 15;
      bridge_.onRemoteVideoStats(stats);
    } else if (roll < 780) {
      rtc::LocalVideoStats stats;
      stats.sentBitrate = static_cast<int32_t>(300 + Next(500));
      stats.sentFrameRate = 15;
      bridge_.onLocalVideoStats(stats);
    } else if (roll < 880) {
      bridge_.onAudioQuality(Remote(), 1 + static_cast<int>(Next(3)),
                             static_cast<unsigned short>(Next(200)),
                             static_cast<unsigned short>(Next(5)));
    } else if (roll < 920) {
      const bool large = Next(2) == 0;
      bridge_.onVideoSizeChanged(AnyOne(), large ? 1280 : 640, large ? 720 : 480, 0);
    } else if (roll < 940) {
      bridge_.onUserMuteAudio(Remote(), Next(2) == 0);
    } else if (roll < 960) {
      bridge_.onUserMuteVideo(Remote(), Next(2) == 0);
    } else if (roll < 970) {
      bridge_.onConnectionStateChanged(3);
    } else if (roll < 978) {
      bridge_.onApiCallExecuted("setupRemoteVideo", 0);
    } else if (roll < 984) {
      bridge_.onAudioRouteChanged(static_cast<int>(Next(4)));
    } else if (roll < 988) {
      bridge_.onLastmileQuality(1 + static_cast<int>(Next(3)));
    } else if (roll < 991) {
      bridge_.onError(17, Next(2) == 0 ? "request to join rejected" : nullptr);
    } else if (roll < 993) {
      bridge_.onRejoinChannelSuccess("lesson-channel", 0, 800);
    } else if (roll < 995) {
      bridge_.onConnectionLost();
    } else if (roll < 996) {
      bridge_.onCameraReady();
    } else if (roll < 997) {
      bridge_.onVideoStopped();
    } else if (roll < 998) {
      bridge_.onMediaEngineStartCallSuccess();
    } else if (roll < 999) {
      bridge_.onAudioDeviceStateChanged("mic-a", 0, 1);
    } else {
      bridge_.onVideoDeviceStateChanged("cam-a", 3, 1);
    }
  }

  rtc::IRtcEngineEventHandler& bridge_;
  const rtc::uid_t student_;
  const rtc::uid_t assistant_;
  std::mt19937 random_{20240917u};
  // The producer's own: read by the test only between batches.
  long events_ = 0;
  long presence_changes_ = 0;
  long rejoins_ = 0;

  std::mutex mutex_;
  std::condition_variable wake_;
  long requested_ = 0;
  long produced_ = 0;
  long batch_size_ = 0;
  BatchKind kind_ = BatchKind::kOrdinary;
  bool stopping_ = false;
  std::thread thread_;
};

class SoakTest : public LessonWorld {
 protected:
  void SetUp() override {
    WorldSetup setup;
    // Three hours from the start to the end; the closing comes a minute later.
    setup.duration = kThreeHours;
    Open(setup);
  }

  MeetingView& meeting() { return *main().meeting_view(); }
  HWND status_bar() { return main().status_bar().GetHWND(); }
  HWND alarm_bar() { return main().alarm_bar().GetHWND(); }

  bool EngineEventsQueued() {
    MSG queued{};
    return PeekMessageW(&queued, meeting_hwnd(), EngineEventMessage(EID_JOIN_SUCCESS),
                        EngineEventMessage(EID_LASTMILE_QUALITY), PM_NOREMOVE) != FALSE;
  }

  // One 500 ms step of the lesson with its batch of events, handled to the last one.
  bool Tick(EngineEventProducer& producer, long events, BatchKind kind, bool with_engine) {
    if (with_engine) {
      Advance(kTickMs);
    } else {
      SkipTime(kTickMs);
    }
    producer.Start(events, kind);
    return PumpUntil([&] { return producer.Done() && !EngineEventsQueued(); }, "a batch handled");
  }

  // Runs the lesson on for seconds of virtual time with events spread evenly over its ticks.
  bool Run(EngineEventProducer& producer, std::int64_t seconds, long events) {
    const std::int64_t ticks = seconds * 1000 / kTickMs;
    long left = events;
    for (std::int64_t tick = 0; tick < ticks; ++tick) {
      const long batch = static_cast<long>(left / (ticks - tick));
      left -= batch;
      if (tick_ % kControlBarEvery == 0) main().ShowControlBarIfHidden();
      const BatchKind kind =
          tick_ % kRejoinEvery == kRejoinEvery / 2 ? BatchKind::kWithRejoin : BatchKind::kOrdinary;
      const bool with_engine = tick_ % kEngineTickEvery == 0;
      ++tick_;
      if (!Tick(producer, batch, kind, with_engine)) return false;
    }
    return true;
  }

  // The tiles and network signs put back as after the first minute, then the measures once
  // the reports' workers have ended, their connections are closed at both ends and every
  // other thread sleeps, so that nothing in flight is counted.
  Measures Settle(EngineEventProducer& producer) {
    if (!Tick(producer, 0, BatchKind::kSteady, false)) return {};
    const std::shared_ptr<WorkerGate> gate = holder().worker_gate();
    PumpUntil(
        [&] {
          return gate->running() == 0 && !ConnectionOpen() && !EngineEventsQueued() &&
                 OtherThreadsAsleep();
        },
        "the reports' workers and connections ended, every other thread asleep");
    Measures measures;
    measures.heap = ProgramHeap();
    measures.files = OpenFiles();
    measures.windows = LiveWindows(main_hwnd());
    return measures;
  }

  std::int64_t tick_ = 0;
};

TEST_F(SoakTest, ThreeHoursAndAMillionEngineEventsLeaveHeapFilesAndWindowsAsAfterTheFirstMinute) {
  const Lesson& lesson = first_lesson().lesson;
  const std::int64_t close = lesson.start_time + kThreeHours + kForceClose;

  WaitForEngineReady();
  JoinWithCode(CodeOf(first_lesson(), Role::kTeacher));
  ASSERT_TRUE(WaitUntil([this] { return TipShown() || NoticeShown(); }, "the network test"));
  ASSERT_TRUE(RunNetworkTest()) << testing::PrintToString(NoticeText());
  const std::int64_t join_at = EngineNow();
  AdvanceEngineTo(join_at + kAssistantJoinMs + 200);
  ASSERT_TRUE(WaitUntil(
      [this] {
        return meeting().student_tile()->present && meeting().assistant_tile()->present &&
               meeting().teacher_tile()->present;
      },
      "everyone's tile"));
  // The engine has drawn into every tile, so its frames' buffers are there from now on. It
  // draws on real time, so this waits without moving the test's clock.
  for (CanvasView* tile :
       {meeting().teacher_tile(), meeting().student_tile(), meeting().assistant_tile()}) {
    ASSERT_TRUE(WaitUntil([tile] { return ShowsVideo(tile->GetHWND()); }, "video in a tile"));
  }
  const std::int64_t entered = Now();

  EngineEventProducer producer(CAGEngineEventHandler::Instance(),
                               static_cast<rtc::uid_t>(lesson.student_uid),
                               static_cast<rtc::uid_t>(lesson.assistant_uid));
  // The first minute, at the soak's rate of events.
  const std::int64_t soak_seconds = close - kEndBeforeCloseS - (entered + 60);
  ASSERT_GT(soak_seconds, kThreeHours);
  const long first_minute_events = kSoakEvents * 60 / soak_seconds;
  ASSERT_TRUE(Run(producer, 60, first_minute_events));
  ASSERT_TRUE(Visible(alarm_bar()));
  const Measures first = Settle(producer);
  const long changes_before = producer.presence_changes();
  const std::size_t reports_before = Reports().size();

  const auto began = std::chrono::steady_clock::now();
  ASSERT_TRUE(Run(producer, soak_seconds, kSoakEvents));
  const double wall_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  const Measures last = Settle(producer);

  std::printf(
      "soak: heap %lld -> %lld bytes (%+lld), open files %d -> %d, windows %d -> %d "
      "(top-level %d -> %d); %ld events in %.1f s, %.0f events/s\n",
      static_cast<long long>(first.heap), static_cast<long long>(last.heap),
      static_cast<long long>(last.heap - first.heap), first.files, last.files, first.windows.all,
      last.windows.all, first.windows.top_level, last.windows.top_level,
      producer.produced_events() - first_minute_events, wall_seconds, kSoakEvents / wall_seconds);

  // Still in the lesson, in the teacher's last minute: the clock red, the minutes counted down.
  EXPECT_EQ(producer.produced_events(), first_minute_events + kSoakEvents);
  EXPECT_TRUE(main().in_classroom());
  EXPECT_FALSE(Visible(alarm_bar()));
  EXPECT_TRUE(ControlVisible(status_bar(), L"warn_info"));
  EXPECT_EQ(CUiDriver::GetAttribute(status_bar(), L"time_icon", L"bkimage").str(),
            L"red_clock.png");
  EXPECT_EQ(Text(status_bar(), L"time_counter").substr(0, 3), L"03:");
  for (CanvasView* tile :
       {meeting().teacher_tile(), meeting().student_tile(), meeting().assistant_tile()}) {
    EXPECT_TRUE(tile->present);
  }
  // Every leave and join again was handled: each one's report reached the service.
  EXPECT_EQ(static_cast<long>(Reports().size() - reports_before),
            producer.presence_changes() - changes_before);

  EXPECT_EQ(last.files, first.files);
  EXPECT_EQ(last.windows.top_level, first.windows.top_level);
  EXPECT_EQ(last.windows.all, first.windows.all);
  // A record of 16 bytes leaked per event is a block of 32 bytes each time, 32 MB over the
  // million. The allocator's per-thread caches keep freed blocks that count as in use and fill
  // up over hours as the service's threads take turns (about 270 KB here; with those caches
  // turned off the difference is under 110 KB and does not grow), so 1 MB leaves room for them
  // and still fails such a leak 32 times over, and one of a block per 25 events.
  constexpr std::int64_t kHeapTolerance = 1024 * 1024;
  EXPECT_LE(std::abs(last.heap - first.heap), kHeapTolerance);

  // The lesson still closes on time after all that.
  SkipTime((close - Now() + 1) * 1000);
  EXPECT_FALSE(main().in_classroom());
  EXPECT_TRUE(Visible(login_hwnd()));
}

}  // namespace
}  // namespace e2e
