#include "classroom/meeting_view.h"

#include <utility>

#include "base/app_messages.h"
#include "base/diagnostics.h"
#include "base/text_conversion.h"
#include "classroom/classroom_shell.h"
#include "classroom/meeting_view_capture.h"
#include "classroom/window_fill.h"
#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "views/setting_view.h"
#include "views/system_volume.h"

namespace {

// The countdown bar's window class: while it shows, an absent main tile keeps its badge hidden.

constexpr int kMirrorOn = 1;
constexpr int kMirrorOff = 2;

constexpr int kSettingsWidth = 400;
constexpr int kSettingsHeight = 430;

std::unique_ptr<CanvasView> MakeTile(HWND view, const wchar_t* name) {
  auto tile = std::make_unique<CanvasView>();
  tile->Create(view, name, CanvasView::kChildStyle, 0, 0, 0, 0, 0);
  return tile;
}

VideoTile LayoutInput(const CanvasView& tile) {
  return {tile.present, tile.video_width, tile.video_height};
}

void Apply(CanvasView& tile, const TilePlacement& placement) {
  const HWND window = tile.GetHWND();
  if (placement.rect) {
    const TileRect& rect = *placement.rect;
    MoveWindow(window, rect.x, rect.y, rect.width, rect.height, TRUE);
  }
  if (placement.visibility == TileVisibility::Shown) ::ShowWindow(window, SW_SHOWNOACTIVATE);
  if (placement.visibility == TileVisibility::Hidden) ::ShowWindow(window, SW_HIDE);
  if (placement.indicators) tile.UpdateIndicators(*placement.indicators);
}

bool HoldsScreenPoint(const CanvasView& tile, POINT point) {
  if (!IsWindowVisible(tile.GetHWND())) return false;
  RECT rect{};
  GetWindowRect(tile.GetHWND(), &rect);
  return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top &&
         point.y <= rect.bottom;
}

}  // namespace

MeetingView::MeetingView(ClassroomShell& shell, DataHolder& holder, MediaEngine& media,
                         CAGEngineEventHandler& bridge)
    : shell_(shell), holder_(holder), media_(media), bridge_(bridge) {}

MeetingView::~MeetingView() {
  const HWND window = GetHWND();
  if (window == nullptr) return;
  bridge_.ReleaseWindow(window);
  // Here, not in the base: the tiles must still exist while the window goes.
  DestroyWindow(window);
}

void MeetingView::OnFinalMessage(HWND) {}

void MeetingView::Notify(ui::TNotifyUI&) {}

CanvasView* MeetingView::TileOfRole(LessonRole role) const {
  switch (role) {
    case LessonRole::Student:
      return student_tile_.get();
    case LessonRole::Teacher:
      return teacher_tile_.get();
    case LessonRole::Assistant:
      return assistant_tile_.get();
  }
  return nullptr;
}

CanvasView* MeetingView::TileOfUid(uint32_t uid) const {
  const LessonRecord& lesson = holder_.lesson();
  const int32_t id = uid == 0 ? lesson.uid : static_cast<int32_t>(uid);
  if (id == lesson.student_id) return student_tile_.get();
  if (id == lesson.teacher_id) return teacher_tile_.get();
  if (id == lesson.assistant_id) return assistant_tile_.get();
  return nullptr;
}

int* MeetingView::QualityFieldOfUid(uint32_t uid) {
  const LessonRecord& lesson = holder_.lesson();
  const int32_t id = static_cast<int32_t>(uid);
  if (id == lesson.teacher_id) return &teacher_quality_;
  if (id == lesson.student_id) return &student_quality_;
  if (id == lesson.assistant_id) return &assistant_quality_;
  return nullptr;
}

int& MeetingView::RoleQuality(LessonRole role) {
  switch (role) {
    case LessonRole::Teacher:
      return teacher_quality_;
    case LessonRole::Assistant:
      return assistant_quality_;
    case LessonRole::Student:
      break;
  }
  return student_quality_;
}

int MeetingView::QualityOf(LessonRole role) const {
  return const_cast<MeetingView*>(this)->RoleQuality(role);
}

void MeetingView::InitWindow() {
  sharing_on = false;
  teacher_quality_ = student_quality_ = assistant_quality_ = 1;
  if (!student_tile_) student_tile_ = MakeTile(GetHWND(), L"s");
  if (!teacher_tile_) teacher_tile_ = MakeTile(GetHWND(), L"t");
  if (!assistant_tile_) assistant_tile_ = MakeTile(GetHWND(), L"a");
  if (slot_main_ == nullptr) {
    // Made with the main window, before any login: the role is still the student's then.
    switch (holder_.lesson().seat()) {
      case LessonRole::Teacher:
        slot_main_ = student_tile_.get();
        slot_upper_ = assistant_tile_.get();
        slot_lower_ = teacher_tile_.get();
        break;
      case LessonRole::Assistant:
        slot_main_ = teacher_tile_.get();
        slot_upper_ = student_tile_.get();
        slot_lower_ = assistant_tile_.get();
        break;
      case LessonRole::Student:
        slot_main_ = teacher_tile_.get();
        slot_upper_ = assistant_tile_.get();
        slot_lower_ = student_tile_.get();
        break;
    }
  }
  Relayout();
}

void MeetingView::Enter() {
  in_lesson_ = true;
  own_joined_ = false;
  sharing_on = false;
  microphone_on = true;
  for (CanvasView* tile : {slot_main_, slot_upper_, slot_lower_}) {
    if (tile == nullptr) continue;
    tile->present = false;
    tile->UpdateIndicators(false);
  }
  pending_tip_.reset();
  shell_.HideFloatTip();

  const LocalSettings& settings = holder_.settings();
  media_.SetMirror(settings.mirror_mode ? kMirrorOn : kMirrorOff);
  SetSystemVolume(settings.volume);
  bridge_.SetTargetWindow(GetHWND());

  const LessonRecord& lesson = holder_.lesson();
  media_.Engine()->setVideoProfile(lesson.video_profile, false);
  media_.EnableVideo(true);
  media_.EnableAudio(microphone_on);
  media_.Join(AnsiToWide(lesson.channel_name), static_cast<uint32_t>(lesson.uid),
              lesson.channel_key, lesson.media_server);
}

void MeetingView::Leave() {
  in_lesson_ = false;
  own_joined_ = false;
  // The desktop is never sent beyond the lesson it was shared in.
  if (media_.screen_share_on) media_.ShareScreen(nullptr, false);
  sharing_on = false;
  media_.Engine()->stopPreview();
  media_.Engine()->leaveChannel();
  shell_.HideLessonBars();
  pending_tip_.reset();
  shell_.HideFloatTip();
  if (reconnecting_) shell_.HideNotice();
  reconnecting_ = false;
  for (CanvasView* tile : {slot_main_, slot_upper_, slot_lower_}) {
    if (tile == nullptr) continue;
    tile->present = false;
    tile->UpdateIndicators(false);
  }
}

bool MeetingView::ToggleScreenSharing() {
  if (sharing_on) {
    // A stop the engine refuses leaves nothing captured either: the button offers sharing again.
    sharing_on = false;
    return media_.ShareScreen(nullptr, false);
  }
  media_.EnableVideo(true);
  const RECT region = CaptureRegionUnderCursor();
  sharing_on = media_.ShareScreen(&region, true);
  return sharing_on;
}

void MeetingView::ChangeLayout() {
  layout_mode_ = layout_mode_ == LayoutMode::PictureInPicture ? LayoutMode::SideBySide
                                                              : LayoutMode::PictureInPicture;
  Relayout();
  BlackWindowBackground();
  InvalidateRect(GetHWND(), nullptr, TRUE);
}

void MeetingView::OpenSettings() {
  // The dialog deletes itself on its final message.
  auto* dialog = new SettingView(holder_, media_);
  dialog->Create(GetHWND(), L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, kSettingsWidth,
                 kSettingsHeight);
  dialog->CenterWindow();
  dialog->ShowModal();
}

void MeetingView::Relayout() {
  if (slot_main_ == nullptr || slot_upper_ == nullptr || slot_lower_ == nullptr) return;
  RECT client{};
  GetClientRect(GetHWND(), &client);
  const ViewSize size{client.right - client.left, client.bottom - client.top};
  for (CanvasView* tile : {student_tile_.get(), teacher_tile_.get(), assistant_tile_.get()}) {
    SetWindowLongPtrW(tile->GetHWND(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(GetHWND()));
  }
  if (layout_mode_ == LayoutMode::PictureInPicture) {
    ApplyPictureInPicture(size);
  } else {
    ApplySideBySide(size);
  }
}

void MeetingView::ApplyPictureInPicture(ViewSize size) {
  const PictureInPicture layout = LayoutPictureInPicture(
      size, LayoutInput(*slot_main_), LayoutInput(*slot_upper_), LayoutInput(*slot_lower_),
      shell_.alarm_bar_visible() ? AlarmBarState::Visible : AlarmBarState::Hidden);
  // All three are hidden before any is shown, so a tile never shows at its old place.
  for (CanvasView* tile : {slot_main_, slot_upper_, slot_lower_}) {
    ::ShowWindow(tile->GetHWND(), SW_HIDE);
  }
  Apply(*slot_main_, layout.main);
  Apply(*slot_upper_, layout.upper);
  Apply(*slot_lower_, layout.lower);
  // The main tile reaches under the small ones whenever its video is wider than the view
  // less their column; they stay above it whichever tile a swap made the main one.
  for (CanvasView* small : {slot_upper_, slot_lower_}) {
    SetWindowPos(small->GetHWND(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void MeetingView::ApplySideBySide(ViewSize size) {
  const LessonRole own = holder_.lesson().seat();
  CanvasView& counterpart = *TileOfRole(CounterpartRole(own));
  CanvasView& other_remote = *TileOfRole(OtherRemoteRole(own));
  CanvasView& own_tile = *TileOfRole(own);
  const SideBySide layout = LayoutSideBySide(size, LayoutInput(counterpart),
                                             LayoutInput(other_remote), LayoutInput(own_tile));
  Apply(counterpart, layout.counterpart);
  Apply(other_remote, layout.other_remote);
  Apply(own_tile, layout.own);
}

void MeetingView::BlackWindowBackground() { FillClientArea(GetHWND(), RGB(0, 0, 0)); }

void MeetingView::OnMouseMoved() {
  POINT point{};
  GetCursorPos(&point);
  ScreenToClient(GetHWND(), &point);
  if (point.x == last_mouse_x_ && point.y == last_mouse_y_) return;
  last_mouse_x_ = point.x;
  last_mouse_y_ = point.y;
  RECT client{};
  GetClientRect(GetHWND(), &client);
  if (point.x > client.left && point.x < client.right && point.y > client.top &&
      point.y < client.bottom) {
    shell_.ShowControlBarIfHidden();
  }
}

void MeetingView::OnTileClicked(LPARAM lParam) {
  if (layout_mode_ != LayoutMode::PictureInPicture || slot_main_ == nullptr) return;
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(GetHWND(), &point);
  if (HoldsScreenPoint(*slot_upper_, point)) {
    std::swap(slot_upper_, slot_main_);
  } else if (HoldsScreenPoint(*slot_lower_, point)) {
    std::swap(slot_lower_, slot_main_);
  } else {
    return;
  }
  Relayout();
}

LRESULT MeetingView::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                         BOOL& handled) {
  switch (message) {
    case UM_TILE_CLICKED:
      OnTileClicked(lParam);
      break;
    case WM_MOUSEMOVE:
      OnMouseMoved();
      break;
    case WM_SIZE:
      Relayout();
      BlackWindowBackground();
      DebugPrint(L"\r\nWM_SIZE -> MeetingView::BlackWindowBackgroud()");
      break;
    case UM_CAMERA_RESTARTED:
      sharing_on = false;
      break;
    case UM_NETWORK_TIP_DUE:
      tip_posted_ = false;
      ShowNetworkTip();
      break;
    default:
      HandleEngineEvent(message, wParam);
      break;
  }
  handled = FALSE;
  return 0;
}
