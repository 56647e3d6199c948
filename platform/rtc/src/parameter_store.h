// The engine's named parameters. A value is kept only when the engine accepted it: every set
// goes through the apply function first, which acts on the names that mean something.
#pragma once

#include <json/value.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "rtc/rtc_parameter.h"

namespace rtc {

class ParameterStore {
 public:
  // Returns 0 to keep the value, or the error code the set then returns.
  using ApplyFunction = std::function<int(const std::string& key, const Json::Value& value)>;

  explicit ParameterStore(ApplyFunction apply);

  int Set(const std::string& key, const Json::Value& value);
  // A JSON object, each member set in turn; the first failure is returned.
  int SetJson(const char* json);
  // Null value when the key was never set.
  Json::Value Get(const std::string& key) const;

  // A new handle on this store for queryInterface; the caller releases it.
  IRtcEngineParameter* NewHandle();

 private:
  ApplyFunction apply_;
  mutable std::mutex mutex_;
  std::map<std::string, Json::Value> values_;
};

}  // namespace rtc
