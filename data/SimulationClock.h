#pragma once
// Simulated time: seconds since the fixed instant 2014-11-21 00:00:00 UTC.

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include <cmath>
#include <cstdint>

namespace earth {

class SimulationClock {
public:
    SimulationClock() : epoch_(boost::gregorian::date(2014, boost::gregorian::Nov, 21)) {}

    // Single-precision seconds since the epoch: what the shaders and the globe read.
    float time() const { return static_cast<float>(seconds_); }
    // The accumulated time itself. It is kept in double precision because a float sum
    // stops moving at slow rates once it is large (steps of 0.25 s at 3.6e6 s).
    double preciseTime() const { return seconds_; }

    // Adds simulated seconds (rate times the real time step).
    void advance(double simulatedSeconds) { seconds_ += simulatedSeconds; }
    // Places the clock at a simulated time (tests of the time's readers).
    void setTime(double seconds) { seconds_ = seconds; }

    const boost::posix_time::ptime& epoch() const { return epoch_; }
    boost::posix_time::ptime now() const {
        return epoch_ + boost::posix_time::microseconds(
                            static_cast<std::int64_t>(std::llround(seconds_ * 1e6)));
    }

    // Simulated seconds from the present instant to the given one (negative when it lies
    // in the past); exact to a microsecond for any instant of the catalogue.
    double secondsUntil(const boost::posix_time::ptime& instant) const {
        const std::int64_t micros = (instant - epoch_).total_microseconds();
        return static_cast<double>(micros) / 1e6 - seconds_;
    }

private:
    double seconds_ = 0.0;
    boost::posix_time::ptime epoch_;
};

}  // namespace earth
