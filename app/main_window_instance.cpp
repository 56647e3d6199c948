// The program's main window, over the program's one data holder. Kept apart so that code
// built without that holder (the tests) never needs it.
#include "app/main_window.h"
#include "service/data_holder.h"

namespace {

std::unique_ptr<MainWindow>& TheMainWindow() {
  static std::unique_ptr<MainWindow> window;
  return window;
}

}  // namespace

MainWindow& GetMainWindow() {
  std::unique_ptr<MainWindow>& window = TheMainWindow();
  if (!window || window->GetHWND() == nullptr || !IsWindow(window->GetHWND())) {
    window.reset();
    window = CreateMainWindow(ProgramMainWindowServices(TheDataHolder()));
  }
  return *window;
}

void ReleaseMainWindow() { TheMainWindow().reset(); }
