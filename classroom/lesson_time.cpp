#include "classroom/lesson_time.h"

#include <windows.h>

#include <cwchar>

namespace {

constexpr std::size_t kMaxSentenceLength = 256;

// The length of the integer placeholder starting at format[at] (a '%'), or 0 if there is none.
std::size_t IntegerPlaceholderLength(const std::wstring& format, std::size_t at) {
  for (const wchar_t* placeholder : {L"%d", L"%ld", L"%lld", L"%I64d"}) {
    if (format.compare(at, std::wcslen(placeholder), placeholder) == 0)
      return std::wcslen(placeholder);
  }
  return 0;
}

}  // namespace

std::int64_t NowSeconds() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const std::int64_t intervals = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  constexpr std::int64_t kIntervalsTo1970 = 116444736000000000;
  constexpr std::int64_t kIntervalsPerSecond = 10000000;
  return (intervals - kIntervalsTo1970) / kIntervalsPerSecond;
}

std::int64_t MinutesRoundedUp(std::int64_t seconds) {
  if (seconds <= 0) return 0;
  return seconds / 60 + (seconds % 60 != 0 ? 1 : 0);
}

std::wstring FormatMinutes(const std::wstring& format, std::int64_t minutes) {
  std::wstring sentence;
  bool filled = false;
  for (std::size_t at = 0; at < format.size();) {
    if (format[at] == L'%' && format.compare(at, 2, L"%%") == 0) {
      sentence += L'%';
      at += 2;
      continue;
    }
    const std::size_t placeholder = format[at] == L'%' ? IntegerPlaceholderLength(format, at) : 0;
    if (placeholder > 0 && !filled) {
      sentence += std::to_wstring(minutes);
      filled = true;
      at += placeholder;
      continue;
    }
    sentence += format[at];
    ++at;
  }
  if (sentence.size() > kMaxSentenceLength) sentence.resize(kMaxSentenceLength);
  return sentence;
}
