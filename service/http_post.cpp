#include "service/http_post.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "service/reply_buffer.h"

namespace {

struct CurlCleanup {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

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

}  // namespace

void InitializeHttpOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string HttpPost(const std::string& url, const std::string& form,
                     const TransferLimits& limits, const std::atomic<bool>* cancel) {
  InitializeHttpOnce();
  Transfer transfer;
  transfer.max_reply_bytes = limits.max_reply_bytes;
  transfer.cancel = cancel;
  CurlHandle handle(curl_easy_init());
  if (!handle) return "NETWORK INIT FAILED";
  CURL* curl = handle.get();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, form.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendChunk);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 0L);
  curl_easy_setopt(curl, CURLOPT_HEADER, 0L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(limits.max_redirects));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connect_timeout.count()));
  // Below one byte a second for the stall time counts as a stalled service.
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stall_timeout.count()));
  // Redirects stay on the web; time-outs must not use signals on worker threads.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  if (cancel != nullptr) {
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckCancelled);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }
  // https keeps libcurl's certificate and host-name verification, which is on by default.
  CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) return NetworkError(result);
  return transfer.body.Text();
}
