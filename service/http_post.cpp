#include "service/http_post.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>

#include "service/curl_library.h"
#include "service/reply_buffer.h"

namespace {

struct CurlCleanup {
  void operator()(CURL* handle) const { Curl()->easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

struct UrlCleanup {
  void operator()(CURLU* handle) const { Curl()->url_cleanup(handle); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlCleanup>;

struct Transfer {
  ReplyBuffer body;
  size_t max_reply_bytes = 0;
  const std::atomic<bool>* cancel = nullptr;
};

size_t AppendChunk(char* data, size_t size, size_t count, void* user_data) {
  auto* transfer = static_cast<Transfer*>(user_data);
  size_t chunk = size * count;
  // Returning less than the chunk makes libcurl fail the transfer with a write error.
  if (transfer->body.size() + chunk > transfer->max_reply_bytes) return 0;
  transfer->body.Append(data, chunk);
  return chunk;
}

int CheckCancelled(void* user_data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user_data);
  return transfer->cancel != nullptr && transfer->cancel->load() ? 1 : 0;
}

std::string NetworkError(CURLcode code) {
  char text[260];
  std::snprintf(text, sizeof text, "NETWORK ERROR,CODE:%d", static_cast<int>(code));
  return text;
}

// Scheme, host and port, lower-cased, the port filled in from the scheme when not given.
using Origin = std::array<std::string, 3>;

std::optional<Origin> OriginOf(const CurlLibrary& library, const std::string& address) {
  UrlHandle url(library.url());
  if (!url || library.url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  const CURLUPart parts[] = {CURLUPART_SCHEME, CURLUPART_HOST, CURLUPART_PORT};
  Origin origin;
  for (size_t i = 0; i < origin.size(); ++i) {
    char* text = nullptr;
    if (library.url_get(url.get(), parts[i], &text, CURLU_DEFAULT_PORT) != CURLUE_OK) {
      return std::nullopt;
    }
    origin[i] = text;
    library.free(text);
    std::transform(origin[i].begin(), origin[i].end(), origin[i].begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  }
  return origin;
}

}  // namespace

std::string HttpPost(const std::string& url, const std::string& form, const TransferLimits& limits,
                     const std::atomic<bool>* cancel) {
  using std::chrono::milliseconds;
  const auto deadline = std::chrono::steady_clock::now() + limits.total_timeout;
  const CurlLibrary* library = Curl();
  if (library == nullptr) return "NETWORK INIT FAILED";
  Transfer transfer;
  transfer.max_reply_bytes = limits.max_reply_bytes;
  transfer.cancel = cancel;
  CurlHandle handle(library->easy_init());
  if (!handle) return "NETWORK INIT FAILED";
  CURL* curl = handle.get();
  const auto setopt = library->easy_setopt;
  setopt(curl, CURLOPT_POSTFIELDS, form.c_str());
  setopt(curl, CURLOPT_WRITEFUNCTION, AppendChunk);
  setopt(curl, CURLOPT_WRITEDATA, &transfer);
  setopt(curl, CURLOPT_POST, 1L);
  setopt(curl, CURLOPT_VERBOSE, 0L);
  setopt(curl, CURLOPT_HEADER, 0L);
  setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connect_timeout.count()));
  // Below one byte a second for the stall time counts as a stalled service.
  setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stall_timeout.count()));
  // Time-outs must not use signals on worker threads.
  setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  setopt(curl, CURLOPT_NOSIGNAL, 1L);
  if (cancel != nullptr) {
    setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckCancelled);
    setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }
  // Redirects are followed here rather than by libcurl, which would follow them anywhere.
  const std::optional<Origin> origin = OriginOf(*library, url);
  std::string address = url;
  for (size_t redirects = 0;; ++redirects) {
    const auto left =
        std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left <= milliseconds(0)) return NetworkError(CURLE_OPERATION_TIMEDOUT);
    setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
    setopt(curl, CURLOPT_URL, address.c_str());
    transfer.body = ReplyBuffer();
    // https keeps libcurl's certificate and host-name verification, which is on by default.
    CURLcode result = library->easy_perform(curl);
    if (result != CURLE_OK) return NetworkError(result);
    char* location = nullptr;
    library->easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location);
    if (location == nullptr) return transfer.body.Text();
    if (redirects == limits.max_redirects) return NetworkError(CURLE_TOO_MANY_REDIRECTS);
    if (!origin || OriginOf(*library, location) != origin) {
      return NetworkError(CURLE_UNSUPPORTED_PROTOCOL);
    }
    long status = 0;
    library->easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    // As libcurl follows them: these three ask for the new address without the form.
    if (status == 301 || status == 302 || status == 303) setopt(curl, CURLOPT_HTTPGET, 1L);
    address = location;
  }
}
