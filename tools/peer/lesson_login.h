// Entering a lesson as the client does, through the service client's own requests and reply
// readers: the configuration (the media application id), the login with the lesson code, then
// the access on the role's path.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <variant>

#include "service/login_reply.h"

struct LessonEntry {
  std::string app_id;
  AccessData access;
  std::optional<std::string> media_server;  // the access reply's "media_server", when given
};

// The lesson, or the step and the service's message ("login: Unknown lesson code"). The
// service is the one ApiBase() names; a transfer ends early once cancel becomes true.
std::variant<LessonEntry, std::string> EnterLesson(const std::string& code,
                                                   const std::atomic<bool>& cancel);
