// The classroom window: a child of the main window that holds the lesson's three video tiles
// (student "s", teacher "t", assistant "a") in one of two layouts, starts and ends the media
// side of a lesson, and while a lesson runs is the window the engine's events are posted to.
//
// Ownership: the main window owns the view (std::unique_ptr; OnFinalMessage does nothing), the
// view owns its tiles; the three slots of the picture-in-picture layout only refer to them and
// always name three different tiles. Everything runs on the user-interface thread.
#pragma once

#include <ui/ui.h>

#include <memory>
#include <optional>

#include "classroom/canvas_view.h"
#include "classroom/tile_layout.h"

class CAGEngineEventHandler;
class ClassroomShell;
class DataHolder;
class MediaEngine;
struct ChannelEvent;
struct ErrorEvent;
struct DeviceStateEvent;
struct QualityEvent;
struct UserEvent;

class MeetingView : public ui::WindowImplBase {
 public:
  enum class LayoutMode { PictureInPicture = 0, SideBySide = 1 };

  MeetingView(ClassroomShell& shell, DataHolder& holder, MediaEngine& media,
              CAGEngineEventHandler& bridge);
  ~MeetingView() override;
  MeetingView(const MeetingView&) = delete;
  MeetingView& operator=(const MeetingView&) = delete;

  // The lesson starts: every tile absent, this view the engine's event target, video and
  // audio on, the channel joined (its outcome arrives as events).
  void Enter();
  // The lesson ends: a screen share stopped, the preview stopped, the channel left, the lesson's
  // bars hidden.
  void Leave();
  // Asks the engine to capture the monitor under the mouse (the desktop when none holds it), or
  // to stop; true when the engine accepted. sharing_on is true only while a capture runs.
  bool ToggleScreenSharing();
  void ChangeLayout();
  // The settings dialog, modal over this view.
  void OpenSettings();
  // Places the tiles in the current layout; nothing while a slot is empty.
  void Relayout();

  bool microphone_on = true;  // flipped by the control bar
  bool sharing_on = false;    // whether the engine accepted this view's screen capture

  LayoutMode layout_mode() const { return layout_mode_; }
  bool in_lesson() const { return in_lesson_; }
  // Null until the window is built.
  CanvasView* student_tile() const { return student_tile_.get(); }
  CanvasView* teacher_tile() const { return teacher_tile_.get(); }
  CanvasView* assistant_tile() const { return assistant_tile_.get(); }
  CanvasView* slot_main() const { return slot_main_; }
  CanvasView* slot_upper() const { return slot_upper_; }
  CanvasView* slot_lower() const { return slot_lower_; }
  // The last network quality of a role (1 until reported).
  int QualityOf(LessonRole role) const;

 protected:
  ui::LPCTSTR GetWindowClassName() const override { return L"MeetingView"; }
  ui::CUiString GetSkinFile() override { return L"meeting_view.xml"; }
  void InitWindow() override;
  void OnFinalMessage(HWND window) override;
  void Notify(ui::TNotifyUI& msg) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

 private:
  // uid 0 is the own uid; null for a uid of no role.
  CanvasView* TileOfUid(uint32_t uid) const;
  CanvasView* TileOfRole(LessonRole role) const;
  int* QualityFieldOfUid(uint32_t uid);
  int& RoleQuality(LessonRole role);
  void BlackWindowBackground();
  void OnMouseMoved();
  void OnTileClicked(LPARAM lParam);
  void ApplyPictureInPicture(ViewSize size);
  void ApplySideBySide(ViewSize size);

  // meeting_events.cpp: the engine's events during a lesson.
  void HandleEngineEvent(UINT message, WPARAM wParam);
  void OnOwnJoined(const ChannelEvent& event);
  void OnOwnLeft();
  void OnEngineError(const ErrorEvent& event);
  void OnConnectionState(int state);
  void OnUserJoined(const UserEvent& event);
  void OnUserLeft(const UserEvent& event);
  void OnVideoSize(uint32_t uid, int width, int height, const wchar_t* diagnostic);
  void OnNetworkQuality(const QualityEvent& event);
  // The floating tip a quality report asks for: hidden when no role is named.
  struct NetworkTip {
    const wchar_t* role = nullptr;
    const wchar_t* suffix = nullptr;
  };
  void AskNetworkTip(NetworkTip tip);
  void ShowNetworkTip();
  void OnDeviceChanged(UINT message, const DeviceStateEvent& event);
  void ShowTile(CanvasView& tile, bool present);
  void Report(int32_t uid, const char* action);

  ClassroomShell& shell_;
  DataHolder& holder_;
  MediaEngine& media_;
  CAGEngineEventHandler& bridge_;

  std::unique_ptr<CanvasView> student_tile_;
  std::unique_ptr<CanvasView> teacher_tile_;
  std::unique_ptr<CanvasView> assistant_tile_;
  CanvasView* slot_main_ = nullptr;
  CanvasView* slot_upper_ = nullptr;
  CanvasView* slot_lower_ = nullptr;

  LayoutMode layout_mode_ = LayoutMode::PictureInPicture;
  bool in_lesson_ = false;
  bool own_joined_ = false;    // the engine reported this lesson's own join
  bool reconnecting_ = false;  // the reconnect notice is shown
  int teacher_quality_ = 1;
  int student_quality_ = 1;
  int assistant_quality_ = 1;
  std::optional<NetworkTip> pending_tip_;  // asked for, not shown yet
  bool tip_posted_ = false;                // UM_NETWORK_TIP_DUE is on its way
  int last_mouse_x_ = 0;
  int last_mouse_y_ = 0;
};
