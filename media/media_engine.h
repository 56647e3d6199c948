// The program's one handle on the media engine: it creates the engine, initialises it with
// the application id and the event bridge, and offers what the program does with it (join,
// mute, screen sharing, mirror, signal volumes, the log file, device lists). Other engine
// calls (video and audio on and off, the probe, profiles, canvases, leaving) go straight to
// Engine().
//
// Engine calls give 0 or a negative code; the operations here turn that into true or false
// and change the fields below only on success. User-interface thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "media/device_snapshot.h"
#include "rtc/rtc_engine.h"

class MediaEngine {
 public:
  using EngineFactory = rtc::IRtcEngine* (*)();

  // The process-wide object, created on first use, its engine on first need; it lives until
  // the process exits. With an id, the engine is also initialised with it (and the bridge).
  static MediaEngine& Instance();
  static MediaEngine& Instance(const std::wstring& app_id);

  // The engine comes from factory on first need; bridge receives its callbacks.
  MediaEngine(EngineFactory factory, rtc::IRtcEngineEventHandler& bridge);
  MediaEngine(const MediaEngine&) = delete;
  MediaEngine& operator=(const MediaEngine&) = delete;

  // Creates the engine if missing. Never null once the factory delivered.
  rtc::IRtcEngine* Engine();
  // initialize with the bridge and the id (its result is not looked at); keeps the id.
  void Initialize(const std::wstring& app_id);

  // "rtc.log_file" = "MediaEngine.log" beside the program; true when the engine accepted it.
  bool UseDefaultLogFile();
  // media_server, when not empty, tells the engine where the lesson's media meet (for the
  // network test and the join); true when it is empty or the engine accepted it.
  bool SetMediaServer(const std::string& media_server);
  // Joins on media_server as SetMediaServer sets it.
  bool Join(const std::wstring& channel, uint32_t uid, const std::string& channel_key,
            const std::string& media_server = std::string());
  // region null: the whole screen. Off only stops the capture.
  bool ShareScreen(const RECT* region, bool on);
  bool SetMicrophoneMuted(bool muted);
  // 0 "default", 1 "forceMirror", 2 "disableMirror": the engine's code; -2 for another mode,
  // -7 without a parameter interface.
  int SetMirror(int mode);
  // Percent, sent clamped to 400; 0 or less sets nothing. True when the engine accepted it.
  bool SetPlayoutSignalVolume(int volume);
  bool SetRecordSignalVolume(int volume);
  // Enable or disable video and audio with the state rules of the fields below.
  bool EnableVideo(bool on);
  void EnableAudio(bool on);

  bool OpenSpeakerList();
  bool OpenMicrophoneList();
  bool OpenCameraList();
  rtc::IAudioDeviceCollection* RefreshMicrophones();
  rtc::IVideoDeviceCollection* RefreshCameras();
  int MicrophoneCount() const;
  int CameraCount() const;
  bool MicrophoneAt(int index, std::wstring& name, std::wstring& id) const;
  bool CameraAt(int index, std::wstring& name, std::wstring& id) const;
  std::wstring CurrentMicrophone() const;
  std::wstring CurrentCamera() const;
  bool SelectMicrophone(const std::wstring& id);
  // A selected camera replaces a shared screen in the engine: screen_share_on becomes false.
  bool SelectCamera(const std::wstring& id);

  std::wstring channel_name;      // of the last successful join
  bool video_enabled = false;     // after enable (true) or disable (false) returned 0
  bool audio_enabled = true;      // the last state asked for, whatever the engine said
  bool microphone_muted = false;  // after a mute call returned 0
  bool screen_share_on = false;   // after a start or stop of screen capture returned 0; false
                                  // after a camera was selected
  std::wstring engine_app_id;     // the id the engine was last initialised with

 private:
  using AudioSnapshot = DeviceSnapshot<rtc::IAudioDeviceManager, rtc::IAudioDeviceCollection>;
  using VideoSnapshot = DeviceSnapshot<rtc::IVideoDeviceManager, rtc::IVideoDeviceCollection>;

  EnginePtr<rtc::IRtcEngineParameter> Parameters();
  bool SetSignalVolume(const char* key, int volume);

  EngineFactory factory_;
  rtc::IRtcEngineEventHandler& bridge_;
  // Released only with this object, after the device lists (declared below it) and at the end
  // of the process for the process-wide one, so that no engine thread outlives what it uses.
  EnginePtr<rtc::IRtcEngine> engine_;
  AudioSnapshot speakers_;
  AudioSnapshot microphones_;
  VideoSnapshot cameras_;
};
