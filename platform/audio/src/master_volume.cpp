#include "audio/master_volume.h"

#include <cmath>
#include <optional>

#include "pulse_call.h"

namespace audio {

namespace {

struct DefaultSinkReply {
  std::optional<std::string> name;
};

void OnServerInfo(pa_context*, const pa_server_info* info, void* data) {
  auto* reply = static_cast<DefaultSinkReply*>(data);
  if (info != nullptr && info->default_sink_name != nullptr && *info->default_sink_name != '\0') {
    reply->name = info->default_sink_name;
  }
}

struct SinkVolumeReply {
  std::optional<pa_cvolume> volume;
};

void OnSinkInfo(pa_context*, const pa_sink_info* info, int end_of_list, void* data) {
  if (end_of_list == 0 && info != nullptr) {
    static_cast<SinkVolumeReply*>(data)->volume = info->volume;
  }
}

struct SuccessReply {
  bool success = false;
};

void OnSuccess(pa_context*, int success, void* data) {
  static_cast<SuccessReply*>(data)->success = success != 0;
}

VolumeResult Failed(const std::string& why) { return VolumeResult{false, 0.0f, why}; }

// The default sink's name and volume, or nothing with the failure recorded in call.
struct DefaultSink {
  std::string name;
  pa_cvolume volume;
};

std::optional<DefaultSink> FindDefaultSink(PulseCall& call) {
  if (!call.connected()) return std::nullopt;
  const PulseLibrary& pulse = call.pulse();
  DefaultSinkReply server;
  if (!call.Await(pulse.context_get_server_info(call.context(), OnServerInfo, &server),
                  "server info")) {
    return std::nullopt;
  }
  if (!server.name) {
    call.Fail("default sink", "the server has none");
    return std::nullopt;
  }
  SinkVolumeReply sink;
  if (!call.Await(pulse.context_get_sink_info_by_name(call.context(), server.name->c_str(),
                                                      OnSinkInfo, &sink),
                  "sink info")) {
    return std::nullopt;
  }
  if (!sink.volume) {
    call.Fail("sink info", "no sink named " + *server.name);
    return std::nullopt;
  }
  return DefaultSink{*server.name, *sink.volume};
}

}  // namespace

VolumeResult ReadMasterVolume(std::chrono::milliseconds limit) {
  PulseCall call(limit);
  std::optional<DefaultSink> sink = FindDefaultSink(call);
  if (!sink) return Failed(call.failure());
  const pa_volume_t loudest = call.pulse().cvolume_max(&sink->volume);
  return VolumeResult{true, static_cast<float>(loudest) / static_cast<float>(PA_VOLUME_NORM), {}};
}

VolumeResult WriteMasterVolume(float level, std::chrono::milliseconds limit) {
  // Written so that a NaN fails too.
  if (!(level >= 0.0f && level <= 1.0f)) return Failed("level: outside 0.0 to 1.0");
  PulseCall call(limit);
  std::optional<DefaultSink> sink = FindDefaultSink(call);
  if (!sink) return Failed(call.failure());
  // The server's steps are finer than a percent: rounding up keeps a written level from
  // reading back as the percent below it.
  const auto target = static_cast<pa_volume_t>(std::ceil(level * PA_VOLUME_NORM));
  const PulseLibrary& pulse = call.pulse();
  pulse.cvolume_scale(&sink->volume, target);
  SuccessReply reply;
  if (!call.Await(pulse.context_set_sink_volume_by_name(call.context(), sink->name.c_str(),
                                                        &sink->volume, OnSuccess, &reply),
                  "set volume")) {
    return Failed(call.failure());
  }
  if (!reply.success) return Failed("set volume: the server refused it");
  return VolumeResult{true, level, {}};
}

}  // namespace audio
