// Any bytes as the lesson service's reply, read as each of the three request kinds would
// read it (configuration, login and access, media-log report). Beyond the sanitizers, it
// checks what the readers promise: no exception, the fallbacks on every failure, and the
// text (at most its first 300 characters and an ellipsis) as the message of a reply that is
// not JSON or refused.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/support/fuzz_support.h"
#include "service/config_reply.h"
#include "service/login_reply.h"
#include "service/reply_envelope.h"

namespace {

using fuzz_support::Require;

// The text itself, or a beginning of it short enough for the notice, and an ellipsis.
bool ShownAs(const std::string& message, const std::string& text) {
  if (message == text) return true;
  const std::string ellipsis = "\xe2\x80\xa6";
  const size_t kept = message.size() - ellipsis.size();
  return message.size() > ellipsis.size() && kept <= 300 * 4 &&
         message.compare(kept, ellipsis.size(), ellipsis) == 0 &&
         text.compare(0, kept, message, 0, kept) == 0;
}

template <typename Data>
void CheckStep(const StepOutcome<Data>& outcome, const ReplyEnvelope& envelope,
               const std::string& reply) {
  if (envelope.verdict == ReplyVerdict::kNotJson) {
    Require(!outcome.succeeded() && ShownAs(outcome.failure_message, reply));
  }
  if (envelope.verdict == ReplyVerdict::kRefused) {
    Require(!outcome.succeeded() && ShownAs(outcome.failure_message, envelope.refusal_message));
  }
  if (envelope.verdict == ReplyVerdict::kMalformed) Require(!outcome.succeeded());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string reply(reinterpret_cast<const char*>(data), size);
  const ReplyEnvelope envelope = ReadEnvelope(reply, DataRequirement::kNotEmpty);

  ConfigResult config = ReadConfigReply(reply);
  if (!config.accepted) {
    Require(config.app_id == kBuiltInAppId && config.update == 0 && config.new_version.empty());
  }
  if (envelope.verdict != ReplyVerdict::kAccepted) Require(!config.accepted);

  for (bool chinese_ui : {false, true}) {
    StepOutcome<LoginData> login = ReadLoginReply(reply, chinese_ui);
    CheckStep(login, envelope, reply);
    if (login.succeeded()) Require(AccessPathFor(RoleOfUserType(login.data->user_type)) != nullptr);
    CheckStep(ReadAccessReply(reply, chinese_ui), envelope, reply);
  }

  bool accepted = IsAcceptedReply(reply);
  if (envelope.verdict == ReplyVerdict::kNotJson) Require(!accepted);
  return 0;
}
