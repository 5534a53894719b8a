#include "data/StatusText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace earth {
namespace {

// Days since 1970-01-01 to a civil date (H. Hinnant's algorithm, exact for any int64 day
// count that the caller's range check lets through).
void civilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // March is 0
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

std::array<char, 64> utcText(double seconds) {
    std::array<char, 64> out{};
    constexpr double kEpochUnix = 1416528000.0;  // 2014-11-21 00:00:00 UTC
    constexpr double kLimit = 1e17;              // about 3 billion years either way
    if (!(std::fabs(seconds) < kLimit)) {
        std::snprintf(out.data(), out.size(), "time out of range");
        return out;
    }
    const auto total = static_cast<std::int64_t>(std::floor(seconds + kEpochUnix));
    std::int64_t days = total / 86400;
    std::int64_t rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        days -= 1;
    }
    std::int64_t year = 0;
    int month = 0;
    int day = 0;
    civilFromDays(days, year, month, day);
    std::snprintf(out.data(), out.size(), "%04lld-%02d-%02d %02d:%02d:%02d UTC",
                  static_cast<long long>(year), month, day, static_cast<int>(rest / 3600),
                  static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return out;
}

std::array<char, 160> statusText(double seconds, float rate, bool paused, std::size_t shown) {
    std::array<char, 160> out{};
    const bool whole = std::fabs(rate - std::round(rate)) < 0.05f;
    // Adding zero turns a rounded -0 into 0: a stopped clock shows "x0".
    const double shownRate = whole ? std::round(static_cast<double>(rate)) + 0.0 : rate;
    std::snprintf(out.data(), out.size(), "%s   x%.*f   %zu object%s%s", utcText(seconds).data(),
                  whole ? 0 : 1, shownRate, shown, shown == 1 ? "" : "s",
                  paused ? "   Paused" : "");
    return out;
}

}  // namespace earth
