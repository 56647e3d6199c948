#include "parameter_store.h"

#include <json/reader.h>

#include <cstring>
#include <filesystem>
#include <memory>

namespace rtc {
namespace {

class ParameterHandle final : public IRtcEngineParameter {
 public:
  explicit ParameterHandle(ParameterStore& store) : store_(store) {}

  int setBool(const char* key, bool value) override { return Set(key, Json::Value(value)); }
  int setInt(const char* key, int value) override { return Set(key, Json::Value(value)); }
  int setString(const char* key, const char* value) override {
    if (value == nullptr) return ERR_INVALID_ARGUMENT;
    return Set(key, Json::Value(value));
  }
  int setParameters(const char* json) override { return store_.SetJson(json); }

  int getBool(const char* key, bool& value) override {
    Json::Value stored = Get(key);
    if (!stored.isBool()) return ERR_INVALID_ARGUMENT;
    value = stored.asBool();
    return ERR_OK;
  }
  int getInt(const char* key, int& value) override {
    Json::Value stored = Get(key);
    if (!stored.isInt()) return ERR_INVALID_ARGUMENT;
    value = stored.asInt();
    return ERR_OK;
  }
  int getString(const char* key, char* buffer, std::size_t size) override {
    Json::Value stored = Get(key);
    if (!stored.isString() || buffer == nullptr) return ERR_INVALID_ARGUMENT;
    return CopyText(stored.asString(), buffer, size);
  }

  int convertPath(const char* path, char* buffer, std::size_t size) override {
    if (path == nullptr || *path == '\0' || buffer == nullptr) return ERR_INVALID_ARGUMENT;
    std::string text(path);
    for (char& c : text) {
      if (c == '\\') c = '/';
    }
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(text, error);
    if (error) return ERR_FAILED;
    return CopyText(absolute.lexically_normal().string(), buffer, size);
  }

  void release() override { delete this; }

 private:
  int Set(const char* key, const Json::Value& value) {
    if (key == nullptr || *key == '\0') return ERR_INVALID_ARGUMENT;
    return store_.Set(key, value);
  }
  Json::Value Get(const char* key) const {
    return key == nullptr ? Json::Value() : store_.Get(key);
  }
  static int CopyText(const std::string& text, char* buffer, std::size_t size) {
    if (text.size() + 1 > size) return ERR_INVALID_ARGUMENT;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return ERR_OK;
  }

  ParameterStore& store_;
};

}  // namespace

ParameterStore::ParameterStore(ApplyFunction apply) : apply_(std::move(apply)) {}

int ParameterStore::Set(const std::string& key, const Json::Value& value) {
  int result = apply_(key, value);
  if (result != ERR_OK) return result;
  std::lock_guard<std::mutex> lock(mutex_);
  values_[key] = value;
  return ERR_OK;
}

int ParameterStore::SetJson(const char* json) {
  if (json == nullptr) return ERR_INVALID_ARGUMENT;
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value parsed;
  std::size_t length = std::strlen(json);
  if (!reader->parse(json, json + length, &parsed, nullptr) || !parsed.isObject()) {
    return ERR_INVALID_ARGUMENT;
  }
  for (const std::string& key : parsed.getMemberNames()) {
    int result = Set(key, parsed[key]);
    if (result != ERR_OK) return result;
  }
  return ERR_OK;
}

Json::Value ParameterStore::Get(const std::string& key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = values_.find(key);
  return it == values_.end() ? Json::Value() : it->second;
}

IRtcEngineParameter* ParameterStore::NewHandle() { return new ParameterHandle(*this); }

}  // namespace rtc
