// What the lesson's two clocks (the alarm bar before the start, the status bar during the
// lesson) share: "now" by the computer's clock, and the sentences that the skins bring with
// one integer placeholder for a count of minutes.
#pragma once

#include <cstdint>
#include <string>

// Whole seconds since 1970-01-01 UTC.
std::int64_t NowSeconds();

// Seconds to a moment as whole minutes, rounded up (3601 s give 61); 0 for a moment passed.
std::int64_t MinutesRoundedUp(std::int64_t seconds);

// format with its one integer placeholder ("%d", "%ld", "%lld" or "%I64d"; "%%" is a percent
// sign) replaced by minutes, at most 256 characters. Any other "%" sequence is kept as written,
// so a skin's text can never read arguments it lacks.
std::wstring FormatMinutes(const std::wstring& format, std::int64_t minutes);
