// Where the lesson service is: one base address for all six request paths.
#pragma once

#include <string>

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
