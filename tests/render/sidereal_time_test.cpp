#include "render/SiderealTime.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace earth {
namespace {

using boost::gregorian::date;
using boost::posix_time::hours;
using boost::posix_time::ptime;

constexpr double kPi = 3.14159265358979323846;

// Greenwich mean sidereal time in degrees by the published formula, in double precision.
double gmstDegrees(const ptime& instant) {
    const ptime j2000(date(2000, 1, 1), hours(12));
    const double days = (instant - j2000).total_microseconds() / 86400e6;
    return std::fmod(18.697374558 + 24.06570982441908 * days, 24.0) * 15.0;
}

double angleDegrees(float time, float offset) {
    return std::fmod(earthRotationAngle(time, offset) * 180.0 / kPi + 360.0, 360.0);
}

// Difference of two angles in degrees, folded into [-180, 180).
double angleBetween(double a, double b) { return std::remainder(a - b, 360.0); }

TEST(SiderealTimeTest, FollowsTheMeanSiderealTime) {
    const ptime epoch(date(2014, 11, 21));
    const float offset = siderealOffsetSeconds(epoch);
    EXPECT_GE(offset, 0.0f);
    EXPECT_LT(offset, 86164.1f);
    struct Case {
        const char* name;
        float seconds;
    };
    const Case cases[] = {{"epoch", 0.0f},           {"an hour on", 3600.0f},
                          {"a day on", 86400.0f},    {"a month on", 30.0f * 86400.0f},
                          {"an hour back", -3600.0f}};
    for (const Case& c : cases) {
        const ptime instant = epoch + boost::posix_time::seconds(static_cast<long>(c.seconds));
        // Single precision over a month of seconds leaves a few hundredths of a degree.
        EXPECT_NEAR(angleBetween(angleDegrees(c.seconds, offset), gmstDegrees(instant)), 0.0, 0.05)
            << c.name;
    }
    // The value at the program's epoch, 5437.5 days after J2000: about 3.99 hours.
    EXPECT_NEAR(gmstDegrees(epoch), 59.918, 0.01);
    // One sidereal day turns the globe once round, a quarter of one by 90 degrees.
    const double start = angleDegrees(0.0f, offset);
    EXPECT_NEAR(angleBetween(angleDegrees(86164.09f, offset), start), 0.0, 0.01);
    EXPECT_NEAR(angleBetween(angleDegrees(86164.09f / 4.0f, offset), start), 90.0, 0.01);
}

TEST(SiderealTimeTest, OffsetIsTheTimeIntoTheSiderealDay) {
    const ptime j2000(date(2000, 1, 1), hours(12));
    EXPECT_FLOAT_EQ(siderealOffsetSeconds(j2000), 0.0f);
    EXPECT_FLOAT_EQ(siderealOffsetSeconds(j2000 + boost::posix_time::seconds(1000)), 1000.0f);
    // One sidereal day (86164.09053 s) after J2000 the count starts again.
    const ptime nextDay = j2000 + boost::posix_time::microseconds(86164090530 + 2500000);
    EXPECT_FLOAT_EQ(siderealOffsetSeconds(nextDay), 2.5f);
}

}  // namespace
}  // namespace earth
