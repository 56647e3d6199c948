#include "service/http_post.h"

#include <cstdio>
#include <memory>

#include "service/curl_library.h"
#include "service/reply_buffer.h"

namespace {

struct CurlCleanup {
  void operator()(CURL* handle) const { Curl()->easy_cleanup(handle); }
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

std::string HttpPost(const std::string& url, const std::string& form,
                     const TransferLimits& limits, const std::atomic<bool>* cancel) {
  const CurlLibrary* library = Curl();
  if (library == nullptr) return "NETWORK INIT FAILED";
  Transfer transfer;
  transfer.max_reply_bytes = limits.max_reply_bytes;
  transfer.cancel = cancel;
  CurlHandle handle(library->easy_init());
  if (!handle) return "NETWORK INIT FAILED";
  CURL* curl = handle.get();
  const auto setopt = library->easy_setopt;
  setopt(curl, CURLOPT_URL, url.c_str());
  setopt(curl, CURLOPT_POSTFIELDS, form.c_str());
  setopt(curl, CURLOPT_WRITEFUNCTION, AppendChunk);
  setopt(curl, CURLOPT_WRITEDATA, &transfer);
  setopt(curl, CURLOPT_POST, 1L);
  setopt(curl, CURLOPT_VERBOSE, 0L);
  setopt(curl, CURLOPT_HEADER, 0L);
  setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(limits.max_redirects));
  setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connect_timeout.count()));
  // Below one byte a second for the stall time counts as a stalled service.
  setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stall_timeout.count()));
  // Redirects stay on the web; time-outs must not use signals on worker threads.
  setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  setopt(curl, CURLOPT_NOSIGNAL, 1L);
  if (cancel != nullptr) {
    setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckCancelled);
    setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }
  // https keeps libcurl's certificate and host-name verification, which is on by default.
  CURLcode result = library->easy_perform(curl);
  if (result != CURLE_OK) return NetworkError(result);
  return transfer.body.Text();
}
