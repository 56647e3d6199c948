// Reading the lesson service's replies: the envelope {"code", "msg", "data"} and the values
// inside it, with a reply of the wrong shape turned into a verdict instead of an exception.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <string>

enum class ReplyVerdict {
  kNotJson,    // the text does not parse (the transport's error texts included)
  kMalformed,  // JSON, but a value the request reads has the wrong type or range
  kRefused,    // "code" is not 0, or "data" is required and empty
  kAccepted,
};

enum class DataRequirement { kNone, kNotEmpty };

struct ReplyEnvelope {
  ReplyVerdict verdict = ReplyVerdict::kNotJson;
  Json::Value root;
  std::string refusal_message;  // "msg" as text when refused
  std::string malformed_key;    // what was of the wrong shape ("" for the top level)
};

// Parses the text with jsoncpp ("collectComments" off) and judges its envelope.
ReplyEnvelope ReadEnvelope(const std::string& text, DataRequirement data);

// True when the text parses and its "code" is 0.
bool IsAcceptedReply(const std::string& text);

// The user's text for a reply whose `key` has the wrong shape ("" for the top level).
std::string MalformedReplyMessage(const std::string& key, bool chinese_ui);

// Thrown by the readers below for a value of the wrong shape; the request readers catch it
// and turn it into ReplyVerdict::kMalformed, so it never leaves them.
struct ReplyShapeError {
  std::string key;
};

namespace reply_value {
// The member of an object; a null value reads as an empty object. The path names it in errors.
const Json::Value& Member(const Json::Value& object, const char* key, const std::string& path);
// Not null, not an empty object or array (jsoncpp's empty()).
bool IsPresent(const Json::Value& value);
// Scalars as jsoncpp converts them (null is "", 0 or false); anything else is of the wrong
// shape, as are numbers out of the type's range.
std::string Text(const Json::Value& object, const char* key, const std::string& path);
int32_t Int32(const Json::Value& object, const char* key, const std::string& path);
int64_t Int64(const Json::Value& object, const char* key, const std::string& path);
bool Bool(const Json::Value& object, const char* key, const std::string& path);
}  // namespace reply_value
