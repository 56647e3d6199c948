// The login view as the main window holds it: a child filling the owner below its caption,
// built from the real skin archive of the test's parameter, over an engine whose cameras and
// microphones the test plugs in and out.
#pragma once

#include <gmock/gmock.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "tests/widgets/shell_window_support.h"
#include "tests/media/mock_engine.h"
#include "views/login_view.h"

namespace login_test {

struct Device {
  std::string name;
  std::string id;
};

// The devices of one kind as the engine sees them now: what is plugged in, which one is
// current, and every id the program selected.
struct DeviceShelf {
  std::vector<Device> plugged;
  std::string current;
  std::vector<std::string> selected;

  int Count() const { return static_cast<int>(plugged.size()); }
  int Get(int index, char* name, char* id) const {
    if (index < 0 || index >= Count()) return -1;
    std::strcpy(name, plugged[static_cast<std::size_t>(index)].name.c_str());
    std::strcpy(id, plugged[static_cast<std::size_t>(index)].id.c_str());
    return 0;
  }
  int Current(char* id) const {
    std::strcpy(id, current.c_str());
    return 0;
  }
  int Select(const char* id) {
    selected.emplace_back(id);
    current = id;
    return 0;
  }
};

// An engine offering the two shelves through its device managers.
class DeviceEngine {
 public:
  DeviceEngine();
  MediaEngine& media() { return *media_; }
  // A second handle on the same engine whose device lists were never opened, as before the
  // main window has started the engine.
  std::unique_ptr<MediaEngine> UnopenedMedia();

  DeviceShelf cameras;
  DeviceShelf microphones;

 private:
  static rtc::IRtcEngine* Factory();
  static DeviceEngine* current_;

  ::testing::NiceMock<media_test::MockRtcEngine> engine_;
  ::testing::NiceMock<media_test::MockVideoManager> video_;
  ::testing::NiceMock<media_test::MockVideoCollection> camera_collection_;
  ::testing::NiceMock<media_test::MockAudioManager> audio_;
  ::testing::NiceMock<media_test::MockAudioCollection> microphone_collection_;
  CAGEngineEventHandler bridge_;
  std::unique_ptr<MediaEngine> media_;
};

// The view of one skin: a child of the stand-in main window, 1080 x 643 below its caption.
class LoginViewTest : public shell_test::SkinTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds the view with the given version text (the program file's, or empty).
  void OpenView(const std::wstring& version);
  void OpenView(const std::wstring& version, MediaEngine& media);
  void DestroyView();
  HWND view() const { return view_; }
  LoginView* view_object() const { return login_.get(); }
  // Replaces the code field's text the way a user does: select all, then type.
  void TypeCode(const std::wstring& text);
  void ClearCode();
  void Post(UINT message, WPARAM wParam = 0);
  std::wstring JoinColour() const;
  bool Enabled(const wchar_t* name) const;
  std::wstring Text(const wchar_t* name) const;
  int Selection(const wchar_t* list) const;
  int ItemCount(const wchar_t* list) const;
  // The control holding the view's keyboard focus, empty when none does.
  std::wstring FocusedName() const;

  DataHolder holder_;
  DeviceEngine devices_;
  std::vector<std::string> logins_;  // codes handed to the login worker

 private:
  std::unique_ptr<LoginView> login_;
  HWND view_ = nullptr;
};

}  // namespace login_test
