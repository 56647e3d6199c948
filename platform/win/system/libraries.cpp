// Run-time libraries through the dynamic loader; the loader's own reason for a failure goes to
// the debugger output, since the last error can only name its kind.
#include <windows.h>

#include <dlfcn.h>

#include <string>

namespace {

thread_local DWORD t_last_error = 0;

void Fail(DWORD error) {
  t_last_error = error;
  const char* reason = dlerror();
  if (reason == nullptr) return;
  const int length = MultiByteToWideChar(CP_ACP, 0, reason, -1, nullptr, 0);
  if (length <= 0) return;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, reason, -1, wide.data(), length);
  OutputDebugStringW(wide.c_str());
}

}  // namespace

DWORD GetLastError() { return t_last_error; }

HMODULE LoadLibraryA(LPCSTR file_name) {
  if (file_name == nullptr) {
    t_last_error = ERROR_MOD_NOT_FOUND;
    return nullptr;
  }
  void* library = dlopen(file_name, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) Fail(ERROR_MOD_NOT_FOUND);
  return static_cast<HMODULE>(library);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  if (module == nullptr || name == nullptr) {
    t_last_error = ERROR_PROC_NOT_FOUND;
    return nullptr;
  }
  dlerror();
  void* found = dlsym(static_cast<void*>(module), name);
  if (found == nullptr) Fail(ERROR_PROC_NOT_FOUND);
  return reinterpret_cast<FARPROC>(found);
}

BOOL FreeLibrary(HMODULE module) {
  return module != nullptr && dlclose(module) == 0 ? TRUE : FALSE;
}
