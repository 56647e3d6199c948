#include "tests/views/login_view_fixture.h"

#include <ui/ui.h>
#include <ui/ui_test_driver.h>

using ::testing::_;
using ::testing::Invoke;
using ::testing::Return;
using ui::CUiDriver;

namespace login_test {

DeviceEngine* DeviceEngine::current_ = nullptr;

rtc::IRtcEngine* DeviceEngine::Factory() { return &current_->engine_; }

DeviceEngine::DeviceEngine() {
  current_ = this;
  ON_CALL(engine_, queryInterface(rtc::IID_VIDEO_DEVICE_MANAGER, _))
      .WillByDefault(Invoke(media_test::HandOut(&video_)));
  ON_CALL(engine_, queryInterface(rtc::IID_AUDIO_DEVICE_MANAGER, _))
      .WillByDefault(Invoke(media_test::HandOut(&audio_)));
  ON_CALL(video_, enumerateVideoDevices()).WillByDefault(Return(&camera_collection_));
  ON_CALL(video_, getDevice(_)).WillByDefault(Invoke([this](char* id) {
    return cameras.Current(id);
  }));
  ON_CALL(video_, setDevice(_)).WillByDefault(Invoke([this](const char* id) {
    return cameras.Select(id);
  }));
  ON_CALL(camera_collection_, getCount()).WillByDefault(Invoke([this] { return cameras.Count(); }));
  ON_CALL(camera_collection_, getDevice(_, _, _))
      .WillByDefault(
          Invoke([this](int i, char* name, char* id) { return cameras.Get(i, name, id); }));
  ON_CALL(audio_, enumerateRecordingDevices()).WillByDefault(Return(&microphone_collection_));
  ON_CALL(audio_, getRecordingDevice(_)).WillByDefault(Invoke([this](char* id) {
    return microphones.Current(id);
  }));
  ON_CALL(audio_, setRecordingDevice(_)).WillByDefault(Invoke([this](const char* id) {
    return microphones.Select(id);
  }));
  ON_CALL(microphone_collection_, getCount()).WillByDefault(Invoke([this] {
    return microphones.Count();
  }));
  ON_CALL(microphone_collection_, getDevice(_, _, _))
      .WillByDefault(
          Invoke([this](int i, char* name, char* id) { return microphones.Get(i, name, id); }));
  media_ = std::make_unique<MediaEngine>(&DeviceEngine::Factory, bridge_);
  // As the main window does before it posts UM_ENGINE_READY.
  media_->OpenMicrophoneList();
  media_->OpenCameraList();
}

std::unique_ptr<MediaEngine> DeviceEngine::UnopenedMedia() {
  return std::make_unique<MediaEngine>(&DeviceEngine::Factory, bridge_);
}

void LoginViewTest::SetUp() {
  SkinTest::SetUp();
  holder_.chinese_ui = Chinese();
}

void LoginViewTest::TearDown() {
  DestroyView();
  SkinTest::TearDown();
}

void LoginViewTest::DestroyView() {
  if (view_ != nullptr) DestroyWindow(view_);
  view_ = nullptr;
  login_.reset();
  CUiDriver::Pump();
}

void LoginViewTest::OpenView(const std::wstring& version) { OpenView(version, devices_.media()); }

void LoginViewTest::OpenView(const std::wstring& version, MediaEngine& media) {
  LoginServices services{holder_, media, version,
                         [this](DataHolder&, const std::string& code) { logins_.push_back(code); }};
  login_ = std::make_unique<LoginView>(std::move(services));
  view_ = login_->Create(owner_->hwnd(), L"",
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, 0);
  MoveWindow(view_, 0, 32, 1080, 643, TRUE);
  CUiDriver::Layout(view_);
  CUiDriver::Pump();
}

void LoginViewTest::TypeCode(const std::wstring& text) {
  ClearCode();
  ASSERT_TRUE(CUiDriver::Type(view_, L"class_code", text));
}

void LoginViewTest::ClearCode() {
  ASSERT_TRUE(CUiDriver::PressKey(view_, L"class_code", 'A', ui::kModControl));
  ASSERT_TRUE(CUiDriver::PressKey(view_, L"class_code", VK_DELETE));
}

void LoginViewTest::Post(UINT message, WPARAM wParam) {
  ASSERT_TRUE(PostMessageW(view_, message, wParam, 0));
  CUiDriver::Pump();
}

std::wstring LoginViewTest::JoinColour() const {
  return CUiDriver::GetAttribute(view_, L"join_class", L"bkcolor").str();
}

bool LoginViewTest::Enabled(const wchar_t* name) const { return CUiDriver::IsEnabled(view_, name); }

std::wstring LoginViewTest::Text(const wchar_t* name) const {
  return CUiDriver::GetText(view_, name).str();
}

int LoginViewTest::Selection(const wchar_t* list) const {
  return dynamic_cast<ui::CComboUI*>(CUiDriver::FindControl(view_, list))->GetCurSel();
}

int LoginViewTest::ItemCount(const wchar_t* list) const {
  return dynamic_cast<ui::CComboUI*>(CUiDriver::FindControl(view_, list))->GetCount();
}

std::wstring LoginViewTest::FocusedName() const {
  const ui::CControlUI* focus = CUiDriver::ManagerOf(view_)->GetFocus();
  return focus != nullptr ? focus->GetName().str() : L"";
}

}  // namespace login_test
