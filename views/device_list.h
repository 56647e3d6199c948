// What the login view and the settings dialog share about their camera and microphone lists:
// one kind of device as the engine offers it, and the items both lists are made of.
#pragma once

#include <ui/ui.h>

#include <functional>
#include <string>

class MediaEngine;

// The engine's operations for one kind of device, so that both kinds fill the same way.
struct DeviceSource {
  std::function<std::wstring()> current;
  std::function<void()> refresh;
  std::function<int()> count;
  std::function<bool(int, std::wstring&, std::wstring&)> at;
};

DeviceSource Cameras(MediaEngine& media);
DeviceSource Microphones(MediaEngine& media);

// Appends one item with the device's name, 30 pixels high, that keeps the device's id.
void AddDeviceItem(ui::CComboUI& list, const std::wstring& name, const std::wstring& id);
// The id kept by the selected item, which names the device even after the engine's list has
// changed; empty without a selection.
std::wstring ShownDeviceId(const ui::CComboUI& list);

// The engine's id of the selected item; empty without a selection, as the lookup then fails.
std::wstring SelectedDeviceId(const ui::CComboUI& list, const DeviceSource& source);
