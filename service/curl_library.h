// libcurl, loaded on the first transfer instead of at program start: it brings some twenty
// libraries of its own (TLS, Kerberos, LDAP, SSH...) whose loading and relocation would
// otherwise be paid before the first window is painted. Loaded and initialised once, on the
// first worker thread that asks; the others wait for that one.
#pragma once

#include <curl/curl.h>

struct CurlLibrary {
  decltype(&curl_easy_init) easy_init;
  decltype(&curl_easy_setopt) easy_setopt;
  decltype(&curl_easy_perform) easy_perform;
  decltype(&curl_easy_cleanup) easy_cleanup;
  decltype(&curl_easy_getinfo) easy_getinfo;
  decltype(&curl_url) url;
  decltype(&curl_url_set) url_set;
  decltype(&curl_url_get) url_get;
  decltype(&curl_url_cleanup) url_cleanup;
  decltype(&curl_free) free;
};

// The loaded and initialised library; null when it cannot be loaded or initialised.
const CurlLibrary* Curl();
