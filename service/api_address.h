// Where the lesson service is: one base address for all six request paths.
#pragma once

#include <string>

#include "service/http_post.h"

namespace request_path {
constexpr const char* kConfig = "/init/getPCConfig";
constexpr const char* kLogin = "/User/loginCode";
constexpr const char* kTeacherAccess = "/Meeting/teacherAccess";
constexpr const char* kStudentAccess = "/Meeting/studentAccess";
constexpr const char* kAssistantAccess = "/Meeting/assistantAccess";
constexpr const char* kMediaLog = "/Log/mediaLog";
}  // namespace request_path

// The environment variable QUORVEL_API_BASE when it is set and not empty (development and
// tests), else the address fixed by the build; without a trailing slash.
std::string ApiBase();

// The base address followed by the path.
std::string ApiUrl(const char* path);

// The bounds of every request to the service; QUORVEL_API_STALL_SECONDS (1 to 30) shortens
// the stall bound, for tests that would otherwise wait half a minute of real time.
TransferLimits ApiTransferLimits();
