#include "views/setting_view.h"

#include <string>

#include "base/app_messages.h"
#include "base/text_conversion.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "service/settings_file.h"
#include "views/device_list.h"
#include "views/system_volume.h"

namespace {

constexpr int kMirrorOnItem = 0;
constexpr int kModeForceMirror = 1;
constexpr int kModeDisableMirror = 2;

// Unlike the login view, only the exact id marks the engine's device: two cameras of one
// model share a name.
void FillSelectingCurrentById(ui::CComboUI& list, const DeviceSource& source) {
  list.RemoveAll();
  source.refresh();
  const std::wstring current = source.current();
  const int count = source.count();
  for (int index = 0; index < count; ++index) {
    std::wstring name;
    std::wstring id;
    source.at(index, name, id);
    AddDeviceItem(list, name, id);
    if (id == current) list.SelectItem(index, false);
  }
}

bool IsChoosableHotkey(WORD key, WORD modifiers) {
  return modifiers != 0 || (key >= VK_F1 && key <= VK_F24);
}

}  // namespace

SettingView::SettingView(DataHolder& holder, MediaEngine& media) : holder_(holder), media_(media) {}

ui::LPCTSTR SettingView::GetWindowClassName() const { return L"SettingView"; }

void SettingView::OnFinalMessage(HWND window) {
  WindowImplBase::OnFinalMessage(window);
  delete this;
}

ui::CUiString SettingView::GetSkinFile() { return L"setting_view.xml"; }

void SettingView::InitWindow() {
  volume_slider_ = dynamic_cast<ui::CSliderUI*>(m_PaintManager.FindControl(L"volume_slider"));
  camera_list_ = dynamic_cast<ui::CComboUI*>(m_PaintManager.FindControl(L"camera_device"));
  microphone_list_ = dynamic_cast<ui::CComboUI*>(m_PaintManager.FindControl(L"audin_device"));
  mirror_list_ = dynamic_cast<ui::CComboUI*>(m_PaintManager.FindControl(L"mirror_mode"));
  hotkey_field_ =
      dynamic_cast<ui::CHotKeyUI*>(m_PaintManager.FindControl(L"switch_camera_hotykey"));

  LocalSettings& settings = holder_.settings();
  if (volume_slider_ != nullptr) {
    // Without a readable system level the slider shows the saved one, so that closing the
    // dialog does not store a level nobody chose.
    const int volume = GetSystemVolume();
    volume_slider_->SetValue(volume >= 0 ? volume : settings.volume);
  }
  if (camera_list_ != nullptr) FillSelectingCurrentById(*camera_list_, Cameras(media_));
  if (microphone_list_ != nullptr) {
    FillSelectingCurrentById(*microphone_list_, Microphones(media_));
  }
  if (mirror_list_ != nullptr) {
    mirror_list_->SelectItem(settings.mirror_mode ? kMirrorOnItem : kMirrorOnItem + 1, false);
  }
  hotkey_hint_ = m_PaintManager.FindControl(L"hotkey_hint");
  hotkey_refused_ = m_PaintManager.FindControl(L"hotkey_refused");
  accepted_hotkey_ = AnsiToWide(settings.hotkey);
  previous_hotkey_ = accepted_hotkey_;
  if (hotkey_field_ != nullptr) hotkey_field_->SetText(accepted_hotkey_.c_str());
  initialised_ = true;
}

void SettingView::Notify(ui::TNotifyUI& msg) {
  const std::wstring type = msg.sType.str();
  const std::wstring sender = msg.pSender != nullptr ? msg.pSender->GetName().str() : L"";
  if (type == L"click") {
    if (sender == L"ok_btn") {
      SaveAndClose(ui::IDOK);
    } else if (sender == L"close_btn" || sender == L"cancel_btn") {
      SaveAndClose(ui::IDCANCEL);
    }
  } else if (type == L"valuechanged" && sender == L"volume_slider" && volume_slider_ != nullptr) {
    const int volume = volume_slider_->GetValue();
    SetSystemVolume(volume);
    holder_.settings().volume = volume;
  } else if (type == L"itemselect" && initialised_) {
    if (sender == L"camera_device" || sender == L"mirror_mode") {
      ApplyCameraAndMirror();
    } else if (sender == L"audin_device") {
      ApplyMicrophone();
    }
  } else if (type == L"textchanged" && sender == L"switch_camera_hotykey") {
    AnnounceHotkey();
  }
  WindowImplBase::Notify(msg);
}

LRESULT SettingView::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                         BOOL& handled) {
  if (message == UM_HOTKEY_REFUSED && hotkey_field_ != nullptr) {
    accepted_hotkey_ = previous_hotkey_;
    hotkey_field_->SetText(accepted_hotkey_.c_str());
  }
  return WindowImplBase::HandleCustomMessage(message, wParam, lParam, handled);
}

// Cancel saves too: what the dialog changed has already taken effect, so the file follows it.
void SettingView::SaveAndClose(UINT result) {
  LocalSettings& settings = holder_.settings();
  if (volume_slider_ != nullptr) settings.volume = volume_slider_->GetValue();
  if (mirror_list_ != nullptr) settings.mirror_mode = mirror_list_->GetCurSel() == kMirrorOnItem;
  if (hotkey_field_ != nullptr) {
    // A field that names no key is no shortcut: the one registered last stays the saved one.
    WORD key = 0;
    WORD modifiers = 0;
    hotkey_field_->GetHotKey(key, modifiers);
    if (key != 0) settings.hotkey = WideToAnsi(hotkey_field_->GetText().str());
  }
  SaveSettings(holder_);
  Close(result);
}

// The mirror and camera lists share these steps: either change restarts the local video with
// both the selected camera and the mirror mode.
void SettingView::ApplyCameraAndMirror() {
  media_.Engine();
  const bool mirror_on = mirror_list_ != nullptr ? mirror_list_->GetCurSel() == kMirrorOnItem
                                                 : holder_.settings().mirror_mode;
  media_.SetMirror(mirror_on ? kModeForceMirror : kModeDisableMirror);
  if (camera_list_ != nullptr && camera_list_->GetCurSel() >= 0) {
    media_.SelectCamera(SelectedDeviceId(*camera_list_, Cameras(media_)));
    ::PostMessageW(::GetWindow(GetHWND(), GW_OWNER), UM_CAMERA_RESTARTED, 0, 0);
  }
  media_.EnableVideo(false);
  media_.EnableVideo(true);
}

void SettingView::ApplyMicrophone() {
  std::wstring id;
  if (microphone_list_ != nullptr) id = SelectedDeviceId(*microphone_list_, Microphones(media_));
  media_.SelectMicrophone(id);
  media_.EnableAudio(false);
  media_.EnableAudio(true);
}

// The new shortcut is registered at once; it is saved only when the dialog closes. A bare key
// would be taken from every program on the desktop, so the field goes back to the last one.
void SettingView::AnnounceHotkey() {
  if (hotkey_field_ == nullptr || hotkey_field_->GetText().IsEmpty()) return;
  WORD key = 0;
  WORD modifiers = 0;
  hotkey_field_->GetHotKey(key, modifiers);
  if (key == 0) return;
  const bool refused = !IsChoosableHotkey(key, modifiers);
  if (hotkey_hint_ != nullptr) hotkey_hint_->SetVisible(!refused);
  if (hotkey_refused_ != nullptr) hotkey_refused_->SetVisible(refused);
  if (refused) {
    hotkey_field_->SetText(accepted_hotkey_.c_str());
    return;
  }
  previous_hotkey_ = accepted_hotkey_;
  accepted_hotkey_ = hotkey_field_->GetText().str();
  ::PostMessageW(holder_.main_window, UM_HOTKEY_CHANGED, modifiers, key);
}
