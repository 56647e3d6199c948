#include "views/login_view.h"

#include <cwctype>
#include <initializer_list>
#include <utility>

#include "base/app_messages.h"
#include "base/diagnostics.h"
#include "base/text_conversion.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "service/login_request.h"
#include "views/device_list.h"

namespace {

constexpr const wchar_t* kChinesePlaceholder = L"请输入上课码";
constexpr const wchar_t* kEnglishPlaceholder = L"Please input lesson code";
constexpr const wchar_t* kJoinRed = L"#ffe5393b";
constexpr const wchar_t* kJoinGrey = L"#ff333333";

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool IsPlaceholder(const std::wstring& text) {
  return text == kChinesePlaceholder || text == kEnglishPlaceholder;
}

// The device the closed box showed stays chosen while it is plugged in, wherever it lies in
// the new list; only without it does the engine's current device get the selection. Devices
// are told apart by id: two cameras of one model share a name.
void FillDeviceList(ui::CComboUI& list, const DeviceSource& source) {
  const std::wstring shown = ShownDeviceId(list);
  list.RemoveAll();
  source.refresh();
  const std::wstring current = source.current();
  const int count = source.count();
  int shown_index = -1;
  int current_index = -1;
  for (int index = 0; index < count; ++index) {
    std::wstring name;
    std::wstring id;
    source.at(index, name, id);
    AddDeviceItem(list, name, id);
    if (!shown.empty() && id == shown) shown_index = index;
    if (id == current) current_index = index;
  }
  const int chosen = shown_index >= 0 ? shown_index : current_index;
  if (chosen >= 0) list.SelectItem(chosen, false);
}

}  // namespace

LoginServices ProgramLoginServices(DataHolder& holder) {
  return {holder, MediaEngine::Instance(), ProgramVersionText(),
          [](DataHolder& target, const std::string& code) { StartLogin(code, target); }};
}

bool IsLessonCodeValid(const std::wstring& text) {
  return !text.empty() && !EqualIgnoringCase(text, kChinesePlaceholder) &&
         text != kEnglishPlaceholder;
}

LoginView::LoginView(LoginServices services) : services_(std::move(services)) {}

ui::LPCTSTR LoginView::GetWindowClassName() const { return L"LoginView"; }

void LoginView::OnFinalMessage(HWND) {}  // the main window owns the object

ui::CUiString LoginView::GetSkinFile() { return L"login_view.xml"; }

void LoginView::InitWindow() {
  code_field_ = dynamic_cast<ui::CEditUI*>(m_PaintManager.FindControl(L"class_code"));
  camera_list_ = dynamic_cast<ui::CComboUI*>(m_PaintManager.FindControl(L"camera_device"));
  microphone_list_ = dynamic_cast<ui::CComboUI*>(m_PaintManager.FindControl(L"audin_device"));
  join_button_ = dynamic_cast<ui::CButtonUI*>(m_PaintManager.FindControl(L"join_class"));
  logo_ = m_PaintManager.FindControl(L"product_logo");
  background_ = m_PaintManager.FindControl(L"wnd_background");

  if (logo_ != nullptr) logo_->SetAttribute(L"bkimage", L"logo_quorvel.png");
  if (background_ != nullptr) {
    background_->SetAttribute(L"bkimage", L"file='wnd_bg_quorvel.jpg' corner='10,100,10,10'");
  }

  ui::CControlUI* version = m_PaintManager.FindControl(L"app_version");
  if (services_.version.empty() || version == nullptr) return;
  const std::wstring prefix = services_.holder.chinese_ui ? L"版本 beta " : L"Version beta ";
  version->SetText((prefix + services_.version).c_str());
}

LRESULT LoginView::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  switch (message) {
    case UM_ENGINE_READY:
      RefreshDeviceLists();
      UpdateJoinButton();
      break;
    case UM_NOTICE_CLOSED:
      // Enabled even with no valid code: only the colour follows the rule here.
      SetControlsEnabled(true);
      SetJoinColour(CodeIsValid());
      break;
    case UM_NETWORK_TEST_RESULT:
      if (wParam == 1) {
        SetControlsEnabled(true);
        SetJoinColour(true);
      }
      break;
    case WM_SHOWWINDOW:
      if (wParam != FALSE) TakeKeyboardFocus();
      break;
    case WM_KEYDOWN:
      // Enter in the code field is the join button, while that button takes clicks.
      if (wParam == VK_RETURN && code_field_ != nullptr && join_button_ != nullptr &&
          m_PaintManager.GetFocus() == code_field_ && code_field_->IsEnabled() &&
          join_button_->IsEnabled()) {
        Join();
      }
      break;
    default:
      break;
  }
  return WindowImplBase::HandleCustomMessage(message, wParam, lParam, handled);
}

void LoginView::Notify(ui::TNotifyUI& msg) {
  const std::wstring type = msg.sType.str();
  const std::wstring sender = msg.pSender != nullptr ? msg.pSender->GetName().str() : L"";
  if (type == L"textchanged" && sender == L"class_code") {
    UpdateJoinButton();
  } else if (type == L"setfocus" && sender == L"class_code" &&
             IsPlaceholder(code_field_->GetText().str())) {
    // The first key typed replaces the placeholder instead of joining it.
    code_field_->SetSel(0, -1);
  } else if (type == L"predropdown") {
    RefreshDeviceLists();
  } else if (type == L"click" && sender == L"join_class") {
    Join();
  }
  WindowImplBase::Notify(msg);
}

void LoginView::RefreshDeviceLists() {
  if (camera_list_ != nullptr) FillDeviceList(*camera_list_, Cameras(services_.media));
  if (microphone_list_ != nullptr) FillDeviceList(*microphone_list_, Microphones(services_.media));
}

void LoginView::SetControlsEnabled(bool enabled) {
  for (ui::CControlUI* control : std::initializer_list<ui::CControlUI*>{
           code_field_, join_button_, camera_list_, microphone_list_}) {
    if (control != nullptr) control->SetEnabled(enabled);
  }
}

bool LoginView::CodeIsValid() const {
  return code_field_ != nullptr && IsLessonCodeValid(code_field_->GetText().str());
}

void LoginView::SetJoinColour(bool valid) {
  if (join_button_ != nullptr) join_button_->SetAttribute(L"bkcolor", valid ? kJoinRed : kJoinGrey);
}

void LoginView::UpdateJoinButton() {
  const bool valid = CodeIsValid();
  if (join_button_ != nullptr) join_button_->SetEnabled(valid);
  SetJoinColour(valid);
}

// Without a code field there is no code to join with.
void LoginView::Join() {
  if (code_field_ == nullptr) return;
  services_.start_login(services_.holder, WideToAnsi(code_field_->GetText().str()));
  MediaEngine& media = services_.media;
  if (camera_list_ != nullptr) media.SelectCamera(SelectedDeviceId(*camera_list_, Cameras(media)));
  if (microphone_list_ != nullptr) {
    media.SelectMicrophone(SelectedDeviceId(*microphone_list_, Microphones(media)));
  }
  SetControlsEnabled(false);
  SetJoinColour(false);
}

void LoginView::TakeKeyboardFocus() {
  ::SetFocus(GetHWND());
  if (code_field_ != nullptr) code_field_->SetFocus();
}
