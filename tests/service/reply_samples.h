// Replies of the lesson service written out by hand, for the cases the service itself
// never sends.
#pragma once

#include <string>

namespace testing_support {

// A successful login reply with the given JSON as "user_type" (none when empty), the token
// "fixed-token", the meeting id "m1" and no "config".
inline std::string LoginReplyWithUserType(const std::string& user_type_json) {
  std::string member = user_type_json.empty() ? "" : "\"user_type\":" + user_type_json + ",";
  return "{\"code\":0,\"msg\":\"\",\"data\":{" + member +
         "\"token\":\"fixed-token\",\"meeting_id\":\"m1\"}}";
}

}  // namespace testing_support
