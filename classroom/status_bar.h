// The thin strip along the bottom of the classroom with the lesson clock, the recording
// indicator and, for the teacher, the minutes left before the lesson is closed.
//
// It is also the lesson's timekeeper. The main window owns it, places it and arms it with Start
// when the classroom opens; every 500 ms (TIMER_LESSON_CLOCK) it reads "now" and, once the
// closing time has passed, stops, hides itself and ends the classroom through the shell. The
// main window calls Stop when the classroom closes, so a late tick cannot end a lesson already
// left. The bar never takes the mouse.
#pragma once

#include <ui/ui.h>

#include <cstdint>
#include <string>

class ClassroomShell;
class DataHolder;

class StatusBar : public ui::WindowImplBase {
 public:
  StatusBar(ClassroomShell& shell, DataHolder& holder);

  // Arms the clock with the lesson record's moments: it counts from the start, and ends the
  // classroom after the closing time. The teacher alone sees it turn red from the countdown's
  // moment and the minutes left after the end; the others see red on the closing tick only.
  void Start();
  // Whether the recording indicator belongs to this lesson; shown or hidden at once.
  void ShowRecording(bool recording);
  // Stops the lesson clock; the next Start arms it again.
  void Stop();

 protected:
  ui::LPCTSTR GetWindowClassName() const override;
  void OnFinalMessage(HWND window) override;
  void InitWindow() override;
  ui::CUiString GetSkinFile() override;
  LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

 private:
  void Tick();

  ClassroomShell& shell_;
  DataHolder& holder_;
  // The layout's, owned by its tree.
  ui::CControlUI* time_icon_ = nullptr;
  ui::CControlUI* time_counter_ = nullptr;
  ui::CControlUI* warn_info_ = nullptr;
  ui::CControlUI* record_status_ = nullptr;
  std::wstring warn_format_;
  std::int64_t clock_start_ = 0;
  std::int64_t red_at_ = 0;
  std::int64_t warn_at_ = 0;
  std::int64_t close_at_ = 0;
  bool teacher_ = false;
  bool recording_shown_ = false;
};
