// The bar across the middle of the classroom that counts the minutes until a lesson's start.
//
// Its owner is the main window, which creates it hidden, places it and arms it with Start when
// the classroom opens. Every 500 ms (TIMER_LESSON_CLOCK) it reads "now": before the start it
// shows the icon and the sentence from the skin's "warn_info_format"; at or after the start it
// stops its timer, hides itself and posts UM_LESSON_START_REACHED to its owner. The bar never
// takes the mouse; the moves and clicks it does get are sent on to its owner as the owner's own.
#pragma once

#include <ui/ui.h>

#include <cstdint>
#include <string>

class AlarmBar : public ui::WindowImplBase {
 public:
  // start_at: seconds since 1970-01-01 UTC.
  void Start(std::int64_t start_at);

 protected:
  ui::LPCTSTR GetWindowClassName() const override;
  void OnFinalMessage(HWND window) override;
  void InitWindow() override;
  ui::CUiString GetSkinFile() override;
  LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

 private:
  void Tick();
  HWND MainWindow() const;

  std::wstring layout_ = L"alerm_bar.xml";
  // The layout's, owned by its tree.
  ui::CControlUI* alarm_icon_ = nullptr;
  ui::CControlUI* warn_info_ = nullptr;
  std::wstring warn_format_;
  std::int64_t start_at_ = 0;
};
