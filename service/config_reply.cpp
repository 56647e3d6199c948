#include "service/config_reply.h"

#include "service/reply_envelope.h"

ConfigResult ReadConfigReply(const std::string& reply) {
  ReplyEnvelope envelope = ReadEnvelope(reply, DataRequirement::kNotEmpty);
  if (envelope.verdict != ReplyVerdict::kAccepted) return ConfigResult{};
  using namespace reply_value;
  try {
    ConfigResult result;
    const Json::Value& data = Member(envelope.root, "data", "");
    result.app_id = Text(data, "mediaAppId", "data");
    const Json::Value& app = Member(data, "app", "data");
    if (IsPresent(app)) {
      result.new_version = Text(app, "newVer", "data/app");
      result.update = Int32(app, "update", "data/app");
      result.update_message = Text(app, "updateMsg", "data/app");
      result.update_url = Text(app, "updateUrl", "data/app");
    }
    result.accepted = true;
    return result;
  } catch (const ReplyShapeError&) {
    return ConfigResult{};
  }
}
