#include "service/curl_library.h"

#include <windows.h>

#include <string>

namespace {

// The library the headers came from.
constexpr const char* kLibraryName = "libcurl.so.4";

template <typename Function>
bool Find(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(GetProcAddress(library, name));
  return function != nullptr;
}

const CurlLibrary* Load() {
  // Kept for the process's life: transfers may run until the very end.
  HMODULE library = LoadLibraryA(kLibraryName);
  if (library == nullptr) {
    OutputDebugStringW(
        (L"cannot load libcurl (error " + std::to_wstring(GetLastError()) + L")").c_str());
    return nullptr;
  }
  static CurlLibrary curl;
  decltype(&curl_global_init) global_init = nullptr;
  if (!Find(library, "curl_easy_init", curl.easy_init) ||
      !Find(library, "curl_easy_setopt", curl.easy_setopt) ||
      !Find(library, "curl_easy_perform", curl.easy_perform) ||
      !Find(library, "curl_easy_cleanup", curl.easy_cleanup) ||
      !Find(library, "curl_easy_getinfo", curl.easy_getinfo) ||
      !Find(library, "curl_url", curl.url) || !Find(library, "curl_url_set", curl.url_set) ||
      !Find(library, "curl_url_get", curl.url_get) ||
      !Find(library, "curl_url_cleanup", curl.url_cleanup) ||
      !Find(library, "curl_free", curl.free) || !Find(library, "curl_global_init", global_init) ||
      global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    OutputDebugStringW(L"libcurl cannot be initialised");
    return nullptr;
  }
  return &curl;
}

}  // namespace

const CurlLibrary* Curl() {
  // Thread-safe once: libcurl's global initialisation must not run twice at the same time.
  static const CurlLibrary* const loaded = Load();
  return loaded;
}
