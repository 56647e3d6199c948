#include "tools/peer/lesson_login.h"

#include "service/api_address.h"
#include "service/base_query.h"
#include "service/config_reply.h"
#include "service/data_holder.h"
#include "service/http_post.h"
#include "service/lesson_terms.h"

std::variant<LessonEntry, std::string> EnterLesson(const std::string& code,
                                                   const std::atomic<bool>& cancel) {
  // Only for the language of the requests and of the messages; it reads and rewrites the
  // user's settings file as the client's does, within the few seconds of these requests.
  DataHolder holder;
  const std::string base = BuildBaseQuery(holder);
  auto post = [&cancel](const char* path, const std::string& form) {
    return HttpPost(ApiUrl(path), form, {}, &cancel);
  };

  LessonEntry entry;
  entry.app_id = ReadConfigReply(post(request_path::kConfig, base)).app_id;

  StepOutcome<LoginData> login = ReadLoginReply(
      post(request_path::kLogin, base + FormParameter("code", code)), holder.chinese_ui);
  if (!login.succeeded()) return "login: " + login.failure_message;

  const std::string access_reply = post(AccessPathFor(RoleOfUserType(login.data->user_type)),
                                        base + FormParameter("token", login.data->token) +
                                            FormParameter("meeting_id", login.data->meeting_id));
  StepOutcome<AccessData> access = ReadAccessReply(access_reply, holder.chinese_ui);
  if (!access.succeeded()) return "access: " + access.failure_message;
  entry.access = *access.data;
  if (!access.data->media_server.empty()) entry.media_server = access.data->media_server;
  return entry;
}
