// Device managers and the device lists they hand out (queryInterface ids 1 and 2).
//
// A collection is a snapshot taken when it was enumerated; device ids are stable across
// enumerations, so an id read from one snapshot can be selected after a later one.
// Managers and collections are released by their user with release().
#pragma once

#include "rtc/rtc_base.h"

namespace rtc {

class IDeviceCollection {
 public:
  virtual int getCount() = 0;
  // name and id are buffers of MAX_DEVICE_ID_LENGTH bytes; both receive NUL-terminated UTF-8.
  virtual int getDevice(int index, char name[MAX_DEVICE_ID_LENGTH],
                        char id[MAX_DEVICE_ID_LENGTH]) = 0;
  virtual void release() = 0;

 protected:
  virtual ~IDeviceCollection() = default;
};

class IAudioDeviceCollection : public IDeviceCollection {};
class IVideoDeviceCollection : public IDeviceCollection {};

class IAudioDeviceManager {
 public:
  // Null when the list cannot be taken.
  virtual IAudioDeviceCollection* enumeratePlaybackDevices() = 0;
  virtual IAudioDeviceCollection* enumerateRecordingDevices() = 0;
  virtual int setPlaybackDevice(const char* id) = 0;
  virtual int setRecordingDevice(const char* id) = 0;
  // id is a buffer of MAX_DEVICE_ID_LENGTH bytes; empty when no device is in use.
  virtual int getPlaybackDevice(char id[MAX_DEVICE_ID_LENGTH]) = 0;
  virtual int getRecordingDevice(char id[MAX_DEVICE_ID_LENGTH]) = 0;
  virtual void release() = 0;

 protected:
  virtual ~IAudioDeviceManager() = default;
};

class IVideoDeviceManager {
 public:
  virtual IVideoDeviceCollection* enumerateVideoDevices() = 0;
  virtual int setDevice(const char* id) = 0;
  virtual int getDevice(char id[MAX_DEVICE_ID_LENGTH]) = 0;
  virtual void release() = 0;

 protected:
  virtual ~IVideoDeviceManager() = default;
};

}  // namespace rtc
