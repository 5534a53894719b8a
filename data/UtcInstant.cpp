#include "data/UtcInstant.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

namespace earth {
namespace {

// Exactly `count` digits at `at`, advancing it.
bool digits(std::string_view text, std::size_t& at, std::size_t count, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[at + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    at += count;
    return true;
}

bool expect(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

}  // namespace

std::optional<boost::posix_time::ptime> parseUtcInstant(std::string_view text, bool zoneOptional) {
    std::size_t at = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!digits(text, at, 4, year) || !expect(text, at, '-') || !digits(text, at, 2, month) ||
        !expect(text, at, '-') || !digits(text, at, 2, day) || !expect(text, at, 'T') ||
        !digits(text, at, 2, hour) || !expect(text, at, ':') || !digits(text, at, 2, minute)) {
        return std::nullopt;
    }
    std::int64_t micros = 0;
    if (at < text.size() && text[at] == ':') {
        ++at;
        if (!digits(text, at, 2, second)) return std::nullopt;
        if (at < text.size() && text[at] == '.') {
            ++at;
            const std::size_t first = at;
            std::int64_t scale = 100000;
            while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
                micros += (text[at] - '0') * scale;  // digits beyond the microsecond drop out
                scale /= 10;
                ++at;
            }
            if (at == first) return std::nullopt;
        }
    }
    const bool zone = at < text.size() && text[at] == 'Z';
    if (zone) ++at;
    if (at != text.size() || (!zone && !zoneOptional)) return std::nullopt;
    if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
    try {
        const boost::gregorian::date date(year, month, day);
        return boost::posix_time::ptime(date, boost::posix_time::hours(hour) +
                                                  boost::posix_time::minutes(minute) +
                                                  boost::posix_time::seconds(second) +
                                                  boost::posix_time::microseconds(micros));
    } catch (const std::exception&) {
        return std::nullopt;  // a day the calendar does not have, or a year out of range
    }
}

std::string formatUtcInstant(const boost::posix_time::ptime& instant) {
    const auto date = instant.date();
    const auto time = instant.time_of_day();
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", int(date.year()),
                  int(date.month()), int(date.day()), int(time.hours()), int(time.minutes()),
                  int(time.seconds()));
    std::string out = text;
    if (const auto micros = time.fractional_seconds(); micros != 0) {
        std::snprintf(text, sizeof text, ".%06lld", static_cast<long long>(micros));
        out += text;
        while (out.back() == '0') out.pop_back();
    }
    return out + "Z";
}

}  // namespace earth
