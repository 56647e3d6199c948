// One device list held open: the engine's device manager and one collection taken from it.
// The same for microphones, speakers and cameras; only the manager's calls differ.
#pragma once

#include <string>

#include "media/engine_interfaces.h"
#include "media/engine_text.h"
#include "rtc/rtc_engine.h"

template <typename Manager, typename Collection>
class DeviceSnapshot {
 public:
  struct Calls {
    Collection* (Manager::*enumerate)();
    int (Manager::*get_current)(char id[rtc::MAX_DEVICE_ID_LENGTH]);
    int (Manager::*set_current)(const char* id);
  };
  // Device ids handed to the engine fit in this many bytes, NUL included.
  static constexpr std::size_t kIdBufferBytes = 128;

  explicit DeviceSnapshot(Calls calls) : calls_(calls) {}

  // Queries the manager and enumerates; keeps nothing and fails when either gives nothing.
  bool Open(rtc::IRtcEngine& engine, rtc::INTERFACE_ID_TYPE iid) {
    void* found = nullptr;
    if (engine.queryInterface(iid, &found) != 0 || found == nullptr) return false;
    EnginePtr<Manager> manager(static_cast<Manager*>(found));
    EnginePtr<Collection> collection(((*manager).*calls_.enumerate)());
    if (!collection) return false;
    collection_ = std::move(collection);
    manager_ = std::move(manager);
    return true;
  }

  // A fresh list from the held manager (after a successful Open); null otherwise.
  Collection* Refresh() {
    collection_.reset();
    if (manager_) collection_.reset(((*manager_).*calls_.enumerate)());
    return collection_.get();
  }

  int Count() const { return collection_ ? collection_->getCount() : 0; }

  bool At(int index, std::wstring& name, std::wstring& id) const {
    if (!collection_ || index < 0 || index >= collection_->getCount()) return false;
    char name_bytes[rtc::MAX_DEVICE_ID_LENGTH] = {};
    char id_bytes[rtc::MAX_DEVICE_ID_LENGTH] = {};
    if (collection_->getDevice(index, name_bytes, id_bytes) != 0) return false;
    name = EngineTextToWide(name_bytes);
    id = EngineTextToWide(id_bytes);
    return true;
  }

  std::wstring Current() const {
    if (!manager_) return {};
    char id[rtc::MAX_DEVICE_ID_LENGTH] = {};
    ((*manager_).*calls_.get_current)(id);
    return EngineTextToWide(id);
  }

  bool Select(const std::wstring& id) {
    if (!manager_) return false;
    std::string bytes = WideToUtf8Bounded(id, kIdBufferBytes - 1);
    return ((*manager_).*calls_.set_current)(bytes.c_str()) == 0;
  }

 private:
  Calls calls_;
  // In this order, so that the collection is released before its manager.
  EnginePtr<Manager> manager_;
  EnginePtr<Collection> collection_;
};
