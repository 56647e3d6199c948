// The one transport to the lesson service: a blocking form POST whose answer is the reply
// body as text, or one of two error texts that are never JSON.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

// Bounds that keep a broken or hostile service from holding a worker or its memory.
struct TransferLimits {
  std::chrono::seconds connect_timeout{30};
  // Once connected, a transfer that moves no byte for this long is abandoned.
  std::chrono::seconds stall_timeout{30};
  // However steadily a service trickles, the request ends after this, redirects included.
  std::chrono::seconds total_timeout{60};
  size_t max_reply_bytes = 8 * 1024 * 1024;
  // A service redirecting in a circle would otherwise hold the worker for ever.
  size_t max_redirects = 10;
};

// Posts the form (application/x-www-form-urlencoded) to the address, following redirects
// only to the same scheme, host and port: the form may carry a lesson code or a token.
// The result is the body up to its first zero byte whatever the HTTP status,
// "NETWORK ERROR,CODE:%d" with libcurl's result code when the exchange failed (a stall, the
// total bound or a body over the limit included; a redirect elsewhere gives 1, as libcurl
// answers a redirect to a protocol it may not follow), or "NETWORK INIT FAILED" without
// libcurl or a handle. A transfer also ends, as a network error, as soon as `cancel` (when
// given) becomes true.
std::string HttpPost(const std::string& url, const std::string& form,
                     const TransferLimits& limits = {}, const std::atomic<bool>* cancel = nullptr);
