// The first screen: the lesson code, the camera and microphone lists and the join button, over
// the background picture, with the logo and the program's version. A child of the main window,
// which owns the object (std::unique_ptr; the view's final message leaves it alone), answers a
// join with UM_NOTICE_CLOSED (a failed login, once its notice ends) or a passed
// UM_NETWORK_TEST_RESULT, and fills the lists with UM_ENGINE_READY.
#pragma once

#include <ui/ui.h>

#include <functional>
#include <string>

class DataHolder;
class MediaEngine;

// What the view reaches outside itself. ProgramLoginServices gives the program's own.
struct LoginServices {
  DataHolder& holder;
  MediaEngine& media;
  std::wstring version;  // "major.minor.build", empty when the program file has none
  // Starts the lesson-code login on a worker; the code is in the system ANSI code page.
  std::function<void(DataHolder& holder, const std::string& code)> start_login;
};
LoginServices ProgramLoginServices(DataHolder& holder);

// Not empty, not the Chinese placeholder in any letter case, not the English one exactly.
bool IsLessonCodeValid(const std::wstring& text);

class LoginView : public ui::WindowImplBase {
 public:
  explicit LoginView(LoginServices services);

  // Refills both device lists from a fresh snapshot, keeping the shown device where it is
  // still there, else the engine's current one.
  void RefreshDeviceLists();
  void SetControlsEnabled(bool enabled);

 protected:
  ui::LPCTSTR GetWindowClassName() const override;
  void OnFinalMessage(HWND window) override;
  void InitWindow() override;
  ui::CUiString GetSkinFile() override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
  void Notify(ui::TNotifyUI& msg) override;

 private:
  bool CodeIsValid() const;
  void SetJoinColour(bool valid);
  void UpdateJoinButton();
  void Join();
  void TakeKeyboardFocus();

  LoginServices services_;
  // The layout's controls, owned by its tree.
  ui::CEditUI* code_field_ = nullptr;
  ui::CComboUI* camera_list_ = nullptr;
  ui::CComboUI* microphone_list_ = nullptr;
  ui::CButtonUI* join_button_ = nullptr;
  ui::CControlUI* logo_ = nullptr;
  ui::CControlUI* background_ = nullptr;
};
