#include "pulse_library.h"

#include <dlfcn.h>

namespace audio {

namespace {

// The library the headers came from.
constexpr const char* kLibraryName = "libpulse.so.0";

class Resolver {
 public:
  explicit Resolver(void* library) : library_(library) {}

  template <typename Function>
  void operator()(const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library_, name));
    if (function == nullptr && missing_.empty()) missing_ = name;
  }
  const std::string& missing() const { return missing_; }

 private:
  void* library_;
  std::string missing_;
};

PulseLoad Load() {
  void* handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    return {nullptr, std::string("cannot load ") + kLibraryName + ": " + (why ? why : "unknown")};
  }
  static PulseLibrary pulse;
  Resolver find(handle);
  find("pa_mainloop_new", pulse.mainloop_new);
  find("pa_mainloop_free", pulse.mainloop_free);
  find("pa_mainloop_get_api", pulse.mainloop_get_api);
  find("pa_mainloop_prepare", pulse.mainloop_prepare);
  find("pa_mainloop_poll", pulse.mainloop_poll);
  find("pa_mainloop_dispatch", pulse.mainloop_dispatch);
  find("pa_context_new", pulse.context_new);
  find("pa_context_connect", pulse.context_connect);
  find("pa_context_disconnect", pulse.context_disconnect);
  find("pa_context_unref", pulse.context_unref);
  find("pa_context_get_state", pulse.context_get_state);
  find("pa_context_errno", pulse.context_errno);
  find("pa_context_get_server_info", pulse.context_get_server_info);
  find("pa_context_get_sink_info_by_name", pulse.context_get_sink_info_by_name);
  find("pa_context_set_sink_volume_by_name", pulse.context_set_sink_volume_by_name);
  find("pa_operation_get_state", pulse.operation_get_state);
  find("pa_operation_cancel", pulse.operation_cancel);
  find("pa_operation_unref", pulse.operation_unref);
  find("pa_strerror", pulse.strerror);
  find("pa_cvolume_max", pulse.cvolume_max);
  find("pa_cvolume_scale", pulse.cvolume_scale);
  if (!find.missing().empty()) {
    dlclose(handle);
    return {nullptr, std::string(kLibraryName) + " has no " + find.missing()};
  }
  return {&pulse, {}};
}

}  // namespace

const PulseLoad& LoadPulse() {
  static const PulseLoad loaded = Load();
  return loaded;
}

}  // namespace audio
