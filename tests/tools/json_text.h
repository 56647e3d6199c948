// Parsing the service's JSON text in tests.
#pragma once

#include <gtest/gtest.h>
#include <json/json.h>

#include <memory>
#include <string>

namespace testing_support {

inline Json::Value ParseJson(const std::string& text) {
  Json::Value root;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
  EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << text;
  return root;
}

inline bool IsJson(const std::string& text) {
  Json::Value ignored;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
  return reader->parse(text.data(), text.data() + text.size(), &ignored, &errors);
}

}  // namespace testing_support
