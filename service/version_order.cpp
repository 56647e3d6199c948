#include "service/version_order.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<std::string> Parts(const std::string& version) {
  std::vector<std::string> parts;
  for (size_t start = 0;;) {
    const size_t dot = version.find('.', start);
    parts.push_back(version.substr(start, dot - start));
    if (dot == std::string::npos) return parts;
    start = dot + 1;
  }
}

bool IsNumber(const std::string& part) {
  return !part.empty() &&
         std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Negative, zero or positive as a is before, equal to or after b. Numbers of any length
// compare without conversion: leading zeros dropped, then the longer is the larger.
int ComparePart(const std::string& a, const std::string& b) {
  if (!IsNumber(a) || !IsNumber(b)) return a.compare(b);
  const std::string x = a.substr(std::min(a.find_first_not_of('0'), a.size()));
  const std::string y = b.substr(std::min(b.find_first_not_of('0'), b.size()));
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  return x.compare(y);
}

}  // namespace

bool IsNewerVersion(const std::string& offered, const std::string& current) {
  std::vector<std::string> a = Parts(offered);
  std::vector<std::string> b = Parts(current);
  const size_t count = std::max(a.size(), b.size());
  a.resize(count, "0");
  b.resize(count, "0");
  for (size_t i = 0; i < count; ++i) {
    if (const int order = ComparePart(a[i], b[i]); order != 0) return order > 0;
  }
  return false;
}
