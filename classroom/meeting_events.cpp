// The meeting view's reactions to the engine's events during a lesson. Each record is taken
// over the moment its message arrives, so it is freed however the handling ends.
#include <algorithm>
#include <iterator>
#include <string>
#include <type_traits>
#include <utility>

#include "base/app_messages.h"
#include "base/diagnostics.h"
#include "classroom/classroom_shell.h"
#include "classroom/meeting_view.h"
#include "media/engine_events.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "service/media_log_report.h"

namespace {

constexpr int kFineQualityLow = 1;
constexpr int kFineQualityHigh = 3;
constexpr int kBadQuality = 4;

bool IsFine(int quality) { return quality >= kFineQualityLow && quality <= kFineQualityHigh; }
bool IsBad(int quality) { return quality >= kBadQuality; }

rtc::VideoCanvas CanvasOf(const CanvasView& tile, int render_mode, uint32_t uid) {
  rtc::VideoCanvas canvas;
  canvas.view = static_cast<rtc::view_t>(tile.GetHWND());
  canvas.renderMode = render_mode;
  canvas.uid = uid;
  canvas.priv = nullptr;
  return canvas;
}

struct UnstableWording {
  const wchar_t* local;
  const wchar_t* student;
  const wchar_t* teacher;
  const wchar_t* assistant;
  const wchar_t* local_suffix;
  const wchar_t* remote_suffix;
};

constexpr UnstableWording kEnglish{L"Local",
                                   L"Student",
                                   L"Teacher",
                                   L"Teaching assistant",
                                   L" network unstable",
                                   L"'s network unstable"};
constexpr UnstableWording kChinese{L"本地", L"学生",       L"老师",
                                   L"助教", L"网络不稳定", L"网络不稳定"};

template <int Code>
void WithRecord(WPARAM wParam, void (MeetingView::*handle)(const EngineEventRecordOf<Code>&),
                MeetingView& view) {
  const auto record = AdoptEngineEvent<Code>(wParam);
  if (record) (view.*handle)(*record);
}

}  // namespace

void MeetingView::HandleEngineEvent(UINT message, WPARAM wParam) {
  if (!IsEngineEventMessage(message)) return;
  switch (static_cast<int>(message - kEngineEventBase)) {
    case EID_JOIN_SUCCESS:
      WithRecord<EID_JOIN_SUCCESS>(wParam, &MeetingView::OnOwnJoined, *this);
      return;
    case EID_LEAVE_CHANNEL: {
      // The leave's statistics are not looked at.
      const auto statistics = AdoptEngineEvent<EID_LEAVE_CHANNEL>(wParam);
      OnOwnLeft();
      return;
    }
    case EID_ERROR:
      WithRecord<EID_ERROR>(wParam, &MeetingView::OnEngineError, *this);
      return;
    case EID_CONNECTION_STATE_CHANGED: {
      const auto record = AdoptEngineEvent<EID_CONNECTION_STATE_CHANGED>(wParam);
      if (record) OnConnectionState(record->value);
      return;
    }
    case EID_USER_JOINED:
      WithRecord<EID_USER_JOINED>(wParam, &MeetingView::OnUserJoined, *this);
      return;
    case EID_USER_OFFLINE:
      WithRecord<EID_USER_OFFLINE>(wParam, &MeetingView::OnUserLeft, *this);
      return;
    case EID_FIRST_LOCAL_VIDEO_FRAME: {
      const auto record = AdoptEngineEvent<EID_FIRST_LOCAL_VIDEO_FRAME>(wParam);
      if (record) {
        OnVideoSize(0, record->width, record->height, L"\r\nEID_FIRST_LOCAL_VIDEO_FRAME: %d %d");
      }
      return;
    }
    case EID_FIRST_REMOTE_VIDEO_DECODED: {
      const auto record = AdoptEngineEvent<EID_FIRST_REMOTE_VIDEO_DECODED>(wParam);
      if (record) {
        OnVideoSize(record->uid, record->width, record->height,
                    L"\r\nEID_FIRST_REMOTE_VIDEO_DECODED: %d %d");
      }
      return;
    }
    case EID_VIDEO_SIZE_CHANGED: {
      // The own tile keeps the size of its first frame.
      const auto record = AdoptEngineEvent<EID_VIDEO_SIZE_CHANGED>(wParam);
      if (record && record->uid != 0) {
        OnVideoSize(record->uid, record->width, record->height, L"\r\nVIDEO_SIZE_CHANGED: %d %d");
      }
      return;
    }
    case EID_NETWORK_QUALITY:
      WithRecord<EID_NETWORK_QUALITY>(wParam, &MeetingView::OnNetworkQuality, *this);
      return;
    case EID_AUDIO_DEVICE_STATE:
    case EID_VIDEO_DEVICE_STATE: {
      static_assert(std::is_same_v<EngineEventRecordOf<EID_AUDIO_DEVICE_STATE>,
                                   EngineEventRecordOf<EID_VIDEO_DEVICE_STATE>>);
      const auto record = AdoptEngineEvent<EID_VIDEO_DEVICE_STATE>(wParam);
      if (record) OnDeviceChanged(message, *record);
      return;
    }
    case EID_LASTMILE_QUALITY: {
      const auto record = AdoptEngineEvent<EID_LASTMILE_QUALITY>(wParam);
      if (record) DebugPrint(L"--> %d", record->value);
      return;
    }
    default:
      FreeEngineEvent(message, wParam);
      return;
  }
}

void MeetingView::ShowTile(CanvasView& tile, bool present) {
  ::ShowWindow(tile.GetHWND(), present ? SW_SHOWNOACTIVATE : SW_HIDE);
  tile.present = present;
  tile.UpdateIndicators(present);
  Relayout();
}

void MeetingView::Report(int32_t uid, const char* action) {
  StartMediaLogReport(uid, action, holder_);
}

void MeetingView::OnOwnJoined(const ChannelEvent& event) {
  const LessonRecord& lesson = holder_.lesson();
  // A lesson without an own uid lets the engine choose one, which no role uid names; the own
  // role's tile still shows the local video then.
  CanvasView* tile = TileOfUid(event.uid);
  if (tile == nullptr) tile = TileOfRole(lesson.seat());
  ShowTile(*tile, true);
  media_.Engine()->setupLocalVideo(CanvasOf(*tile, lesson.render_mode, event.uid));

  media_.SetPlayoutSignalVolume(lesson.play_volume);
  media_.SetRecordSignalVolume(lesson.record_volume);
  if (lesson.audio_profile > 0 && lesson.audio_scenario > 0) {
    media_.Engine()->setAudioProfile(lesson.audio_profile, lesson.audio_scenario);
  }
  RoleQuality(holder_.lesson().seat()) = 1;
  Report(lesson.uid, "enter");
  own_joined_ = true;
}

// A lesson whose media the server refused would otherwise sit in an empty classroom, looking
// as if nobody else had come.
// The engine tries again by itself; the notice stays until it is back, so nobody clicks away
// a lesson that is about to return.
void MeetingView::OnConnectionState(int state) {
  if (!in_lesson_) return;
  if (state == rtc::CONNECTION_STATE_RECONNECTING && !reconnecting_) {
    reconnecting_ = true;
    shell_.ShowLastingNotice(holder_.chinese_ui ? L"网络连接中断，正在重新连接…"
                                                : L"Connection lost, reconnecting\u2026");
  } else if (state == rtc::CONNECTION_STATE_CONNECTED && reconnecting_) {
    reconnecting_ = false;
    shell_.HideNotice();
  }
}

void MeetingView::OnEngineError(const ErrorEvent& event) {
  DebugPrint(L"\r\nEID_ERROR: %d %hs", static_cast<int>(event.code),
             event.message ? event.message.get() : "");
  if (event.code != rtc::ERR_JOIN_CHANNEL_REJECTED || !in_lesson_ || own_joined_) return;
  shell_.LeaveClassroom();
  shell_.ShowNotice(holder_.chinese_ui ? L"无法加入课堂的音视频，请稍后重试"
                                       : L"Unable to join the lesson's audio and video, please "
                                         L"try again");
}

void MeetingView::OnOwnLeft() {
  const LessonRecord& lesson = holder_.lesson();
  if (CanvasView* tile = TileOfUid(static_cast<uint32_t>(lesson.uid))) {
    tile->present = false;
    tile->UpdateIndicators(false);
    Relayout();
  }
  RoleQuality(holder_.lesson().seat()) = 1;
  Report(lesson.uid, "exit");
  PostMessageW(shell_.shell_window(), UM_OWN_LEFT, 0, 0);
}

void MeetingView::OnUserJoined(const UserEvent& event) {
  // uid 0 is no remote participant, only a name for the own one.
  CanvasView* tile = event.uid == 0 ? nullptr : TileOfUid(event.uid);
  if (tile == nullptr) return;
  ShowTile(*tile, true);
  media_.Engine()->setupRemoteVideo(CanvasOf(*tile, holder_.lesson().render_mode, event.uid));
  *QualityFieldOfUid(event.uid) = 1;
  Report(static_cast<int32_t>(event.uid), "enter");
}

void MeetingView::OnUserLeft(const UserEvent& event) {
  CanvasView* tile = event.uid == 0 ? nullptr : TileOfUid(event.uid);
  if (tile == nullptr) return;
  ShowTile(*tile, false);
  *QualityFieldOfUid(event.uid) = 1;
  Report(static_cast<int32_t>(event.uid), "exit");
}

void MeetingView::OnVideoSize(uint32_t uid, int width, int height, const wchar_t* diagnostic) {
  DebugPrint(diagnostic, width, height);
  CanvasView* tile = TileOfUid(uid);
  if (tile == nullptr) return;
  tile->video_width = width;
  tile->video_height = height;
  Relayout();
}

void MeetingView::OnDeviceChanged(UINT message, const DeviceStateEvent& event) {
  DebugPrint(L"--> %hs %d %d", event.device_id ? event.device_id.get() : "", event.device_state,
             event.device_type);
  std::wstring name;
  std::wstring id;
  if (message == EngineEventMessage(EID_AUDIO_DEVICE_STATE)) {
    media_.RefreshMicrophones();
    if (media_.MicrophoneCount() > 0 && media_.MicrophoneAt(0, name, id)) {
      media_.SelectMicrophone(id);
    }
  } else {
    media_.RefreshCameras();
    if (media_.CameraCount() > 0 && media_.CameraAt(0, name, id)) {
      media_.SelectCamera(id);
    }
  }
}

void MeetingView::OnNetworkQuality(const QualityEvent& event) {
  DebugPrint(L"\r\nEID_NETWORK_QUALITY:uid:%d rx:%d tx:%d", static_cast<int>(event.uid),
             event.rx_quality, event.tx_quality);
  const int quality = std::max(event.tx_quality, event.rx_quality);
  if (CanvasView* tile = TileOfUid(event.uid)) {
    if (NetworkIndicator* bars = tile->network_indicator()) {
      bars->SetQuality(static_cast<unsigned>(std::max(quality, 0)));
    }
  }
  if (!in_lesson_) return;

  const LessonRecord& lesson = holder_.lesson();
  const uint32_t who = event.uid == 0 ? static_cast<uint32_t>(lesson.uid) : event.uid;
  if (int* stored = QualityFieldOfUid(who)) *stored = quality;
  if (IsFine(teacher_quality_) && IsFine(student_quality_) && IsFine(assistant_quality_)) {
    AskNetworkTip(NetworkTip{});
    return;
  }

  const UnstableWording& words = holder_.chinese_ui ? kChinese : kEnglish;
  const int32_t id = static_cast<int32_t>(who);
  struct Line {
    bool reported;  // the report is about this participant
    int quality;
    const wchar_t* role;
    const wchar_t* suffix;
  };
  const Line lines[] = {
      {id == lesson.uid, QualityOf(holder_.lesson().seat()), words.local, words.local_suffix},
      {id == lesson.student_id, student_quality_, words.student, words.remote_suffix},
      {id == lesson.teacher_id, teacher_quality_, words.teacher, words.remote_suffix},
      {id == lesson.assistant_id, assistant_quality_, words.assistant, words.remote_suffix}};
  // A link measured bad is named before the one the report is about: a report that the own
  // link is fine must not blame it while a remote's is bad.
  const Line* chosen = std::find_if(std::begin(lines), std::end(lines),
                                    [](const Line& line) { return IsBad(line.quality); });
  if (chosen == std::end(lines)) {
    chosen = std::find_if(std::begin(lines), std::end(lines),
                          [](const Line& line) { return line.reported; });
  }
  if (chosen != std::end(lines)) AskNetworkTip(NetworkTip{chosen->role, chosen->suffix});
}

// Reports come in bursts: the tip, whose text is measured and window resized, follows only the
// last of those waiting in the queue, once they are handled.
void MeetingView::AskNetworkTip(NetworkTip tip) {
  pending_tip_ = tip;
  if (tip_posted_) return;
  tip_posted_ = PostMessageW(GetHWND(), UM_NETWORK_TIP_DUE, 0, 0) != FALSE;
  if (!tip_posted_) ShowNetworkTip();
}

void MeetingView::ShowNetworkTip() {
  const std::optional<NetworkTip> tip = std::exchange(pending_tip_, std::nullopt);
  if (!tip) return;
  if (tip->role == nullptr) {
    shell_.HideFloatTip();
  } else {
    shell_.ShowFloatTip(std::wstring(tip->role) + tip->suffix);
  }
}
