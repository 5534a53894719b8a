#pragma once
// The desktop status line: the simulated instant as a UTC date, the rate, the pause and how
// many objects are shown. Fixed-size results, so a frame builds the line without the heap.

#include <array>
#include <cstddef>

namespace earth {

// "2014-11-21 03:12:45 UTC" for `seconds` simulated seconds since the catalogue's epoch
// (2014-11-21 00:00:00 UTC), rounded down to the whole second; proleptic Gregorian calendar,
// so far past and future years still get a date. Beyond about 3 billion years, or not a
// number: "time out of range".
std::array<char, 64> utcText(double seconds);

// "2014-11-21 03:12:45 UTC   x1000   5123 objects", with "   Paused" at the end while paused.
// The rate is shown whole, or with one decimal where it is not (close to) a whole number.
std::array<char, 160> statusText(double seconds, float rate, bool paused, std::size_t shown);

}  // namespace earth
