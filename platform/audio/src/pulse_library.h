// libpulse, loaded on the first volume call rather than with the program: a run that never
// touches the volume maps neither the library nor what it depends on. Once loaded it stays
// for the process's life.
#pragma once

#include <pulse/pulseaudio.h>

#include <string>

namespace audio {

// The library's functions that the volume calls use.
struct PulseLibrary {
  decltype(&pa_mainloop_new) mainloop_new;
  decltype(&pa_mainloop_free) mainloop_free;
  decltype(&pa_mainloop_get_api) mainloop_get_api;
  decltype(&pa_mainloop_prepare) mainloop_prepare;
  decltype(&pa_mainloop_poll) mainloop_poll;
  decltype(&pa_mainloop_dispatch) mainloop_dispatch;
  decltype(&pa_context_new) context_new;
  decltype(&pa_context_connect) context_connect;
  decltype(&pa_context_disconnect) context_disconnect;
  decltype(&pa_context_unref) context_unref;
  decltype(&pa_context_get_state) context_get_state;
  decltype(&pa_context_errno) context_errno;
  decltype(&pa_context_get_server_info) context_get_server_info;
  decltype(&pa_context_get_sink_info_by_name) context_get_sink_info_by_name;
  decltype(&pa_context_set_sink_volume_by_name) context_set_sink_volume_by_name;
  decltype(&pa_operation_get_state) operation_get_state;
  decltype(&pa_operation_cancel) operation_cancel;
  decltype(&pa_operation_unref) operation_unref;
  decltype(&pa_strerror) strerror;
  decltype(&pa_cvolume_max) cvolume_max;
  decltype(&pa_cvolume_scale) cvolume_scale;
};

struct PulseLoad {
  const PulseLibrary* library;  // null when it could not be loaded
  std::string failure;          // then why
};

// Loads the library on the first call, once for every thread.
const PulseLoad& LoadPulse();

}  // namespace audio
