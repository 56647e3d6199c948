#include "service/reply_envelope.h"

#include <limits>
#include <memory>

namespace reply_value {

namespace {

std::string PathOf(const std::string& path, const char* key) {
  return path.empty() ? key : path + "/" + key;
}

template <typename Integer>
Integer ReadInteger(const Json::Value& object, const char* key, const std::string& path) {
  const Json::Value& value = Member(object, key, path);
  constexpr auto kMin = std::numeric_limits<Integer>::min();
  constexpr auto kMax = std::numeric_limits<Integer>::max();
  if (value.isNull()) return 0;
  if (value.isBool()) return value.asBool() ? 1 : 0;
  if (value.isInt64() && value.asInt64() >= kMin && value.asInt64() <= kMax) {
    return static_cast<Integer>(value.asInt64());
  }
  // A whole-valued real within range converts as jsoncpp converts it: truncated.
  if (value.isDouble() && !value.isIntegral() && value.asDouble() >= static_cast<double>(kMin) &&
      value.asDouble() <= static_cast<double>(kMax)) {
    return static_cast<Integer>(value.asDouble());
  }
  throw ReplyShapeError{PathOf(path, key)};
}

}  // namespace

const Json::Value& Member(const Json::Value& object, const char* key, const std::string& path) {
  static const Json::Value kNull;
  if (object.isNull()) return kNull;
  if (!object.isObject()) throw ReplyShapeError{path};
  const Json::Value* member = object.find(key, key + std::char_traits<char>::length(key));
  return member ? *member : kNull;
}

bool IsPresent(const Json::Value& value) { return !value.empty(); }

std::string Text(const Json::Value& object, const char* key, const std::string& path) {
  const Json::Value& value = Member(object, key, path);
  if (value.isArray() || value.isObject()) throw ReplyShapeError{PathOf(path, key)};
  return value.asString();
}

int32_t Int32(const Json::Value& object, const char* key, const std::string& path) {
  return ReadInteger<int32_t>(object, key, path);
}

int64_t Int64(const Json::Value& object, const char* key, const std::string& path) {
  return ReadInteger<int64_t>(object, key, path);
}

bool Bool(const Json::Value& object, const char* key, const std::string& path) {
  const Json::Value& value = Member(object, key, path);
  if (value.isNull() || value.isBool() || value.isNumeric()) return value.asBool();
  throw ReplyShapeError{PathOf(path, key)};
}

}  // namespace reply_value

namespace {

bool Parse(const std::string& text, Json::Value& root) {
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string ignored_errors;
  try {
    return reader->parse(text.data(), text.data() + text.size(), &root, &ignored_errors);
  } catch (const Json::Exception&) {
    // jsoncpp throws, rather than failing, on nesting deeper than its stack limit.
    return false;
  }
}

}  // namespace

ReplyEnvelope ReadEnvelope(const std::string& text, DataRequirement data) {
  ReplyEnvelope envelope;
  if (!Parse(text, envelope.root)) return envelope;
  try {
    const Json::Value& root = envelope.root;
    bool refused = reply_value::Int32(root, "code", "") != 0 ||
                   (data == DataRequirement::kNotEmpty &&
                    !reply_value::IsPresent(reply_value::Member(root, "data", "")));
    if (refused) {
      envelope.refusal_message = reply_value::Text(root, "msg", "");
      envelope.verdict = ReplyVerdict::kRefused;
    } else {
      envelope.verdict = ReplyVerdict::kAccepted;
    }
  } catch (const ReplyShapeError& error) {
    envelope.verdict = ReplyVerdict::kMalformed;
    envelope.malformed_key = error.key;
  }
  return envelope;
}

bool IsAcceptedReply(const std::string& text) {
  return ReadEnvelope(text, DataRequirement::kNone).verdict == ReplyVerdict::kAccepted;
}

std::string MalformedReplyMessage(const std::string& key, bool chinese_ui) {
  if (key.empty()) {
    return chinese_ui ? "课程服务的回复无法读取：回复不是 JSON 对象"
                      : "The lesson service sent an unreadable reply: it is not a JSON object";
  }
  return chinese_ui ? "课程服务的回复无法读取：\"" + key + "\" 的类型或取值有误"
                    : "The lesson service sent an unreadable reply: \"" + key +
                          "\" has the wrong type or is out of range";
}
