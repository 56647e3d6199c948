#include "app/entry_point.h"

#include <ui/ui.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "base/app_messages.h"
#include "base/diagnostics.h"
#include "app/main_window.h"
#include "base/text_conversion.h"
#include "service/data_holder.h"

namespace {

constexpr const wchar_t* kMainClass = L"QUORVEL_MAIN";

std::atomic<HWND> g_end_target{nullptr};

// Runs on the window system's own thread, so it only posts. FALSE, and the signal ends the
// program at once, when there is no window left to close.
BOOL OnEndRequest(DWORD) {
  const HWND target = g_end_target.load();
  return target != nullptr && PostMessageW(target, UM_END_REQUESTED, 0, 0) ? TRUE : FALSE;
}

// Ends with true (the caller then exits) when one of the command's own options was given.
bool AnswerOption(int argc, char** argv) {
  for (int index = 1; index < argc; ++index) {
    const std::string option = argv[index];
    if (option == "--version") {
      std::printf("Quorvel %s\n", WideToAnsi(ProgramVersionText()).c_str());
      return true;
    }
    if (option == "--help") {
      std::printf(
          "Usage: quorvel [--version | --help]\n"
          "Joins a live online lesson with the lesson code your lesson service gave you.\n"
          "Only one copy runs per desktop: starting another brings the running one to the "
          "front.\n");
      return true;
    }
  }
  return false;
}

// A copy already runs: restore its main window, raise it above every window without leaving
// it topmost, and hand it the foreground, with this thread's input attached to the foreground
// thread's for as long as that takes.
bool RaiseRunningCopy() {
  if (FindWindowW(kMainClass, nullptr) == nullptr) return false;
  const HWND foreground = GetForegroundWindow();
  const HWND running = FindWindowW(kMainClass, nullptr);
  const DWORD own_thread = GetCurrentThreadId();
  const DWORD foreground_thread = GetWindowThreadProcessId(foreground, nullptr);
  SendMessageW(running, WM_SYSCOMMAND, SC_RESTORE, 0);
  AttachThreadInput(own_thread, foreground_thread, TRUE);
  SetWindowPos(running, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(running, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(running);
  AttachThreadInput(own_thread, foreground_thread, FALSE);
  return true;
}

// The skin folder beside the program, and the archive of the user's language.
void ChooseSkin() {
  ui::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
  const std::wstring folder = ui::CPaintManagerUI::GetInstancePath().str() + L"skin";
  ui::CPaintManagerUI::SetResourcePath(folder.c_str());
  const wchar_t* archive = IsChineseLocale(GetUserDefaultLCID()) ? L"orbs.cn" : L"orbs.en";
  ui::CPaintManagerUI::SetResourceZip(archive, false, nullptr);
}

}  // namespace

int QuorvelMain(int argc, char** argv) {
  if (AnswerOption(argc, argv) || RaiseRunningCopy()) {
    TheDataHolder().SkipSavingAtExit();
    return 0;
  }
  ChooseSkin();
  MainWindow& main_window = GetMainWindow();
  // From here on a termination signal closes the program as its window's close would.
  g_end_target = main_window.GetHWND();
  SetConsoleCtrlHandler(OnEndRequest, TRUE);
  main_window.ShowWindow(true, true);
  main_window.CenterWindow();

  // Off (the saved value) when it cannot be read, so that a failed read restores it as off.
  BOOL drag_full_windows = FALSE;
  SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &drag_full_windows, 0);
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, SPIF_UPDATEINIFILE);
  ui::CPaintManagerUI::MessageLoop();
  SetConsoleCtrlHandler(OnEndRequest, FALSE);
  g_end_target = nullptr;
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, drag_full_windows, nullptr, SPIF_UPDATEINIFILE);

  // Before the statics go: the windows hold the engine and the data holder.
  ReleaseMainWindow();
  return 0;
}
