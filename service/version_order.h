// The order of client versions such as "1.1.7", as the update offer needs it.
#pragma once

#include <string>

// Whether `offered` is later than `current`. Dot-separated parts compare in turn, as numbers
// when both are digits and as text otherwise; a missing part counts as 0, so "1.2" and
// "1.2.0" are the same version.
bool IsNewerVersion(const std::string& offered, const std::string& current);
