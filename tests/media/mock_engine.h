// Mocks of the engine's interfaces, for the wrapper's tests. release() is mocked too, so a
// test sees when the wrapper gives an interface back; the test owns every mock.
#pragma once

#include <gmock/gmock.h>

#include "rtc/rtc_engine.h"

namespace media_test {

class MockRtcEngine : public rtc::IRtcEngine {
 public:
  MOCK_METHOD(int, initialize, (const rtc::RtcEngineContext&), (override));
  MOCK_METHOD(void, release, (), (override));
  MOCK_METHOD(int, queryInterface, (rtc::INTERFACE_ID_TYPE, void**), (override));
  MOCK_METHOD(int, joinChannel, (const char*, const char*, const char*, rtc::uid_t), (override));
  MOCK_METHOD(int, leaveChannel, (), (override));
  MOCK_METHOD(int, startPreview, (), (override));
  MOCK_METHOD(int, stopPreview, (), (override));
  MOCK_METHOD(int, enableVideo, (), (override));
  MOCK_METHOD(int, disableVideo, (), (override));
  MOCK_METHOD(int, enableAudio, (), (override));
  MOCK_METHOD(int, disableAudio, (), (override));
  MOCK_METHOD(int, setVideoProfile, (int, bool), (override));
  MOCK_METHOD(int, setupLocalVideo, (const rtc::VideoCanvas&), (override));
  MOCK_METHOD(int, setupRemoteVideo, (const rtc::VideoCanvas&), (override));
  MOCK_METHOD(int, setAudioProfile, (int, int), (override));
  MOCK_METHOD(int, enableAudioVolumeIndication, (int, int), (override));
  MOCK_METHOD(int, startScreenCapture, (rtc::view_t, int, const rtc::Rect*, int), (override));
  MOCK_METHOD(int, stopScreenCapture, (), (override));
  MOCK_METHOD(int, enableLastmileTest, (), (override));
  MOCK_METHOD(int, disableLastmileTest, (), (override));
};

class MockParameter : public rtc::IRtcEngineParameter {
 public:
  MOCK_METHOD(int, setBool, (const char*, bool), (override));
  MOCK_METHOD(int, setInt, (const char*, int), (override));
  MOCK_METHOD(int, setString, (const char*, const char*), (override));
  MOCK_METHOD(int, setParameters, (const char*), (override));
  MOCK_METHOD(int, getBool, (const char*, bool&), (override));
  MOCK_METHOD(int, getInt, (const char*, int&), (override));
  MOCK_METHOD(int, getString, (const char*, char*, std::size_t), (override));
  MOCK_METHOD(int, convertPath, (const char*, char*, std::size_t), (override));
  MOCK_METHOD(void, release, (), (override));
};

class MockAudioCollection : public rtc::IAudioDeviceCollection {
 public:
  MOCK_METHOD(int, getCount, (), (override));
  MOCK_METHOD(int, getDevice, (int, char*, char*), (override));
  MOCK_METHOD(void, release, (), (override));
};

class MockVideoCollection : public rtc::IVideoDeviceCollection {
 public:
  MOCK_METHOD(int, getCount, (), (override));
  MOCK_METHOD(int, getDevice, (int, char*, char*), (override));
  MOCK_METHOD(void, release, (), (override));
};

class MockAudioManager : public rtc::IAudioDeviceManager {
 public:
  MOCK_METHOD(rtc::IAudioDeviceCollection*, enumeratePlaybackDevices, (), (override));
  MOCK_METHOD(rtc::IAudioDeviceCollection*, enumerateRecordingDevices, (), (override));
  MOCK_METHOD(int, setPlaybackDevice, (const char*), (override));
  MOCK_METHOD(int, setRecordingDevice, (const char*), (override));
  MOCK_METHOD(int, getPlaybackDevice, (char*), (override));
  MOCK_METHOD(int, getRecordingDevice, (char*), (override));
  MOCK_METHOD(void, release, (), (override));
};

class MockVideoManager : public rtc::IVideoDeviceManager {
 public:
  MOCK_METHOD(rtc::IVideoDeviceCollection*, enumerateVideoDevices, (), (override));
  MOCK_METHOD(int, setDevice, (const char*), (override));
  MOCK_METHOD(int, getDevice, (char*), (override));
  MOCK_METHOD(void, release, (), (override));
};

// queryInterface's answer: the given interface through the out pointer, and 0.
inline auto HandOut(void* inter) {
  return [inter](rtc::INTERFACE_ID_TYPE, void** out) {
    *out = inter;
    return 0;
  };
}

}  // namespace media_test
