// Devices: the machine's own and the configured virtual ones, stable ids, selection, and the
// state callbacks when one is unplugged or plugged in.
#include <gtest/gtest.h>

#include "device_registry.h"
#include "engine_harness.h"

namespace {

using rtc::DeviceKind;
using rtc::DeviceRegistry;
using rtc_test::EngineHarness;

std::vector<std::string> Ids(const std::vector<rtc::DeviceInfo>& devices) {
  std::vector<std::string> ids;
  for (const auto& device : devices) ids.push_back(device.id);
  return ids;
}

// How many devices a collection lists, -1 when none was given.
template <typename Collection>
int CountOf(Collection* list) {
  if (list == nullptr) return -1;
  const int count = list->getCount();
  list->release();
  return count;
}

rtc::MachineDevices OneRealCamera() {
  rtc::MachineDevices machine;
  machine.cameras.push_back({"v4l2:usb-1:Cam", "Cam", "/dev/null-camera"});
  machine.microphones.push_back({"pulse:mic", "Mic", ""});
  return machine;
}

TEST(DeviceRegistry, AMachineWithoutDevicesGetsTheTestPatternAndTheTone) {
  DeviceRegistry registry(rtc::EngineConfig{}, [] { return rtc::MachineDevices{}; });
  EXPECT_EQ(Ids(registry.List(DeviceKind::kCamera)),
            std::vector<std::string>{DeviceRegistry::kTestPatternCameraId});
  EXPECT_EQ(Ids(registry.List(DeviceKind::kMicrophone)),
            std::vector<std::string>{DeviceRegistry::kToneMicrophoneId});
  EXPECT_TRUE(registry.List(DeviceKind::kSpeaker).empty());
}

TEST(DeviceRegistry, RealDevicesTakeThePlaceOfTheStandIns) {
  DeviceRegistry registry(rtc::EngineConfig{}, OneRealCamera);
  EXPECT_EQ(Ids(registry.List(DeviceKind::kCamera)), std::vector<std::string>{"v4l2:usb-1:Cam"});
  EXPECT_EQ(Ids(registry.List(DeviceKind::kMicrophone)), std::vector<std::string>{"pulse:mic"});
}

TEST(DeviceRegistry, ConfiguredDevicesFollowTheRealOnesAndRealOnesCanBeSwitchedOff) {
  rtc::EngineConfig config =
      rtc::ParseEngineConfig(R"({"cameras": [{"id": "v1", "name": "Virtual one"}]})").config;
  DeviceRegistry registry(config, OneRealCamera);
  EXPECT_EQ(Ids(registry.List(DeviceKind::kCamera)),
            (std::vector<std::string>{"v4l2:usb-1:Cam", "v1"}));
  config.real_devices = false;
  DeviceRegistry virtual_only(config, OneRealCamera);
  EXPECT_EQ(Ids(virtual_only.List(DeviceKind::kCamera)), std::vector<std::string>{"v1"});
  EXPECT_EQ(Ids(virtual_only.List(DeviceKind::kMicrophone)),
            std::vector<std::string>{DeviceRegistry::kToneMicrophoneId});
}

TEST(DeviceRegistry, RefreshReportsWhatCameAndWent) {
  rtc::MachineDevices machine = OneRealCamera();
  DeviceRegistry registry(rtc::EngineConfig{}, [&] { return machine; });
  EXPECT_TRUE(registry.Refresh().empty());
  machine.cameras.clear();
  machine.speakers.push_back({"pulse:sink", "Sink", ""});
  auto changes = registry.Refresh();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].kind, DeviceKind::kCamera);
  EXPECT_EQ(changes[0].id, "v4l2:usb-1:Cam");
  EXPECT_FALSE(changes[0].plugged);
  EXPECT_EQ(changes[1].kind, DeviceKind::kSpeaker);
  EXPECT_TRUE(changes[1].plugged);
  EXPECT_TRUE(registry.Refresh().empty());
}

TEST(DeviceRegistry, TheSelectionFallsBackToTheFirstWhileItsDeviceIsAway) {
  rtc::EngineConfig config =
      rtc::ParseEngineConfig(R"({"cameras": [{"id": "a", "name": "A"}, {"id": "b", "name": "B"}]})")
          .config;
  DeviceRegistry registry(config, [] { return rtc::MachineDevices{}; });
  EXPECT_EQ(registry.Current(DeviceKind::kCamera)->id, "a");
  EXPECT_EQ(registry.Select(DeviceKind::kCamera, "b"), 0);
  EXPECT_EQ(registry.Current(DeviceKind::kCamera)->id, "b");
  EXPECT_EQ(registry.Select(DeviceKind::kCamera, "nope"), rtc::ERR_INVALID_ARGUMENT);
  ASSERT_TRUE(registry.SetVirtualPlugged("b", false));
  EXPECT_EQ(registry.Current(DeviceKind::kCamera)->id, "a");
  ASSERT_TRUE(registry.SetVirtualPlugged("b", true));
  EXPECT_EQ(registry.Current(DeviceKind::kCamera)->id, "b");
  EXPECT_FALSE(registry.SetVirtualPlugged("nope", true));
}

TEST(DeviceManagers, CollectionsListDevicesWithStableIds) {
  EngineHarness harness(R"({"real_devices": false,
    "microphones": [{"id": "m1", "name": "Desk microphone"}, {"id": "m2", "name": "Headset"}]})");
  ASSERT_EQ(harness.Initialize(), 0);
  auto* audio = harness.Query<rtc::IAudioDeviceManager>(rtc::IID_AUDIO_DEVICE_MANAGER);
  ASSERT_NE(audio, nullptr);
  for (int round = 0; round < 2; ++round) {
    rtc::IAudioDeviceCollection* list = audio->enumerateRecordingDevices();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->getCount(), 2);
    char name[rtc::MAX_DEVICE_ID_LENGTH];
    char id[rtc::MAX_DEVICE_ID_LENGTH];
    ASSERT_EQ(list->getDevice(1, name, id), 0);
    EXPECT_STREQ(name, "Headset");
    EXPECT_STREQ(id, "m2");
    EXPECT_EQ(list->getDevice(2, name, id), rtc::ERR_INVALID_ARGUMENT);
    EXPECT_EQ(list->getDevice(-1, name, id), rtc::ERR_INVALID_ARGUMENT);
    list->release();
  }
  char current[rtc::MAX_DEVICE_ID_LENGTH];
  ASSERT_EQ(audio->getRecordingDevice(current), 0);
  EXPECT_STREQ(current, "m1");
  EXPECT_EQ(audio->setRecordingDevice("m2"), 0);
  ASSERT_EQ(audio->getRecordingDevice(current), 0);
  EXPECT_STREQ(current, "m2");
  EXPECT_EQ(audio->setRecordingDevice("missing"), rtc::ERR_INVALID_ARGUMENT);
  rtc::IAudioDeviceCollection* speakers = audio->enumeratePlaybackDevices();
  ASSERT_NE(speakers, nullptr);
  EXPECT_EQ(speakers->getCount(), 0);
  speakers->release();
  EXPECT_EQ(audio->getPlaybackDevice(current), rtc::ERR_NOT_READY);
  EXPECT_STREQ(current, "");
  audio->release();
}

TEST(DeviceManagers, AnUnavailableListEnumeratesAsNullAndTheOthersStillList) {
  const char* lists[] = {"speakers", "microphones", "cameras"};
  for (const char* failing : lists) {
    SCOPED_TRACE(failing);
    EngineHarness harness(std::string(R"({"real_devices": false,
      "cameras": [{"id": "c1", "name": "Cam"}],
      "microphones": [{"id": "m1", "name": "Mic"}],
      "speakers": [{"id": "s1", "name": "Speaker"}],
      "unavailable_device_lists": [")") +
                          failing + "\"]}");
    ASSERT_EQ(harness.Initialize(), 0);
    auto* audio = harness.Query<rtc::IAudioDeviceManager>(rtc::IID_AUDIO_DEVICE_MANAGER);
    auto* video = harness.Query<rtc::IVideoDeviceManager>(rtc::IID_VIDEO_DEVICE_MANAGER);
    ASSERT_NE(audio, nullptr);
    ASSERT_NE(video, nullptr);
    // Asked twice: a failing device layer does not recover by itself.
    for (int round = 0; round < 2; ++round) {
      const int counts[] = {CountOf(audio->enumeratePlaybackDevices()),
                            CountOf(audio->enumerateRecordingDevices()),
                            CountOf(video->enumerateVideoDevices())};
      for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(counts[i], std::string(lists[i]) == failing ? -1 : 1) << lists[i];
      }
    }
    // Only the listing fails: the devices themselves are still there.
    char current[rtc::MAX_DEVICE_ID_LENGTH];
    ASSERT_EQ(video->getDevice(current), 0);
    EXPECT_STREQ(current, "c1");
    EXPECT_EQ(audio->setRecordingDevice("m1"), 0);
    audio->release();
    video->release();
  }
}

TEST(DeviceManagers, UnknownInterfaceIdsAreRefused) {
  EngineHarness harness;
  void* found = &harness;
  EXPECT_EQ(harness.engine->queryInterface(static_cast<rtc::INTERFACE_ID_TYPE>(9), &found),
            rtc::ERR_INVALID_ARGUMENT);
  EXPECT_EQ(found, nullptr);
}

TEST(DeviceHotPlug, AVirtualCameraUnpluggedAndPluggedGivesBothCallbacks) {
  EngineHarness harness(R"({"real_devices": false,
    "cameras": [{"id": "cam-a", "name": "A"}, {"id": "cam-b", "name": "B"}],
    "scenario": {"device_events": [
      {"at_ms": 1000, "device": "cam-b", "plugged": false},
      {"at_ms": 2000, "device": "cam-b", "plugged": true}]}})");
  ASSERT_EQ(harness.Initialize(), 0);
  auto* video = harness.Query<rtc::IVideoDeviceManager>(rtc::IID_VIDEO_DEVICE_MANAGER);
  ASSERT_EQ(video->setDevice("cam-b"), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 1), 0);

  harness.Advance(1100);
  ASSERT_TRUE(harness.handler.WaitFor("video-device cam-b 3 8"));
  rtc::IVideoDeviceCollection* list = video->enumerateVideoDevices();
  EXPECT_EQ(list->getCount(), 1);
  list->release();
  char current[rtc::MAX_DEVICE_ID_LENGTH];
  ASSERT_EQ(video->getDevice(current), 0);
  EXPECT_STREQ(current, "cam-a");

  harness.Advance(1000);
  ASSERT_TRUE(harness.handler.WaitFor("video-device cam-b 3 1"));
  ASSERT_EQ(video->getDevice(current), 0);
  EXPECT_STREQ(current, "cam-b");
  video->release();
}

TEST(DeviceHotPlug, AMachineMicrophoneComingAndGoingIsSeenByTheWatch) {
  EngineHarness harness("{}", OneRealCamera());
  ASSERT_EQ(harness.Initialize(), 0);
  rtc::MachineDevices without = OneRealCamera();
  without.microphones.clear();
  harness.SetMachine(without);
  ASSERT_TRUE(harness.handler.WaitFor("audio-device pulse:mic 1 8"));
  harness.SetMachine(OneRealCamera());
  ASSERT_TRUE(harness.handler.WaitFor("audio-device pulse:mic 1 1"));
}

}  // namespace
