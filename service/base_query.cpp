#include "service/base_query.h"

#include "service/data_holder.h"

std::string BuildBaseQuery(DataHolder& holder) {
  return std::string("ver=") + "0.9.0" + "&app=" + "win" + "&lan=" + holder.GetLanguage() +
         "&business=" + "quorv";
}

std::string FormEncode(const std::string& value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(value.size());
  for (char c : value) {
    auto byte = static_cast<unsigned char>(c);
    bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                      (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                      byte == '~';
    if (unreserved) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

std::string FormParameter(const char* name, const std::string& value) {
  return std::string("&") + name + "=" + FormEncode(value);
}
