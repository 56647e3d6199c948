// The two view switches: into the classroom when the network test has passed, and back to the
// login view when a lesson ends (hang-up, a confirmed close, or the lesson's closing time).
#include <cstdint>

#include "app/main_window.h"
#include "classroom/alarm_bar.h"
#include "classroom/control_bar.h"
#include "classroom/meeting_view.h"
#include "classroom/status_bar.h"
#include "service/data_holder.h"
#include "views/login_view.h"

// At once rather than at the next paint, so the switch never shows the other view's last frame.
void MainWindow::PaintBelowCaptionBlack() {
  RECT area{};
  GetClientRect(GetHWND(), &area);
  area.top = m_PaintManager.GetCaptionRect().bottom;
  const HDC dc = GetDC(GetHWND());
  const HBRUSH black = CreateSolidBrush(0);
  FillRect(dc, &area, black);
  ReleaseDC(GetHWND(), dc);
  DeleteObject(black);
}

void MainWindow::EnterClassroom() {
  login_view_->ShowWindow(false, true);
  PaintBelowCaptionBlack();
  meeting_view_->ShowWindow(true, true);
  meeting_view_->Enter();
  in_classroom_ = 1;
  PlaceControlBar(false);
  PlaceStatusBar(false);
  PlaceAlarmBar((GetWindowLongPtrW(alarm_bar().GetHWND(), GWL_STYLE) & WS_VISIBLE) != 0);

  alarm_bar().Start(services_.holder.lesson().moments().start);
  status_bar().Start();
}

void MainWindow::LeaveClassroom() {
  meeting_view_->Leave();
  // A tick already queued must not end the next lesson, nor this one twice.
  if (status_bar_.Alive()) status_bar_.get()->Stop();
  meeting_view_->ShowWindow(false, true);
  PaintBelowCaptionBlack();
  login_view_->ShowWindow(true, true);
  in_classroom_ = 0;
  PlaceControlBar(false);
  PlaceStatusBar(false);
  PlaceAlarmBar(false);
}

void MainWindow::ResetLessonBars() {
  const LessonRecord& lesson = services_.holder.lesson();
  control_bar().ResetForLesson(lesson.screen_sharing);
  status_bar().ShowRecording(lesson.recording);
}
