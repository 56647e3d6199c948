#include "views/device_list.h"

#include "media/media_engine.h"

namespace {

constexpr int kDeviceItemHeight = 30;

}  // namespace

DeviceSource Cameras(MediaEngine& media) {
  return {[&media] { return media.CurrentCamera(); }, [&media] { media.RefreshCameras(); },
          [&media] { return media.CameraCount(); },
          [&media](int index, std::wstring& name, std::wstring& id) {
            return media.CameraAt(index, name, id);
          }};
}

DeviceSource Microphones(MediaEngine& media) {
  return {[&media] { return media.CurrentMicrophone(); }, [&media] { media.RefreshMicrophones(); },
          [&media] { return media.MicrophoneCount(); },
          [&media](int index, std::wstring& name, std::wstring& id) {
            return media.MicrophoneAt(index, name, id);
          }};
}

void AddDeviceItem(ui::CComboUI& list, const std::wstring& name, const std::wstring& id) {
  auto* item = new ui::CListLabelElementUI;
  item->SetText(name.c_str());
  item->SetUserData(id.c_str());
  item->SetFixedHeight(kDeviceItemHeight);
  list.Add(item);
}

std::wstring ShownDeviceId(const ui::CComboUI& list) {
  const ui::CControlUI* item = list.GetItemAt(list.GetCurSel());
  return item != nullptr ? item->GetUserData().str() : std::wstring();
}

std::wstring SelectedDeviceId(const ui::CComboUI& list, const DeviceSource& source) {
  std::wstring name;
  std::wstring id;
  source.at(list.GetCurSel(), name, id);
  return id;
}
