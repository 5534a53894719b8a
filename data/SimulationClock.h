#pragma once
// Simulated time: an absolute start instant (UTC) and the seconds simulated since it.

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include <cmath>
#include <cstdint>

namespace earth {

class SimulationClock {
public:
    // The embedded sky's instant, 2014-11-21 00:00:00 UTC.
    static boost::posix_time::ptime embeddedSkyStart() {
        return boost::posix_time::ptime(boost::gregorian::date(2014, boost::gregorian::Nov, 21));
    }

    SimulationClock() : epoch_(embeddedSkyStart()) {}
    explicit SimulationClock(const boost::posix_time::ptime& start) : epoch_(start) {}

    // Seconds since the start instant. Kept in double precision: a float stops moving at slow
    // rates once it is large (steps of 1 s at 1e7 s). Readers that hand time to the GPU must
    // first reduce it to a small number (see SatelliteRenderer).
    double time() const { return seconds_; }

    // Adds simulated seconds (rate times the real time step).
    void advance(double simulatedSeconds) { seconds_ += simulatedSeconds; }
    // Places the clock at a simulated time (tests of the time's readers).
    void setTime(double seconds) { seconds_ = seconds; }

    // The start instant, and the present one (start plus time, to the microsecond).
    const boost::posix_time::ptime& epoch() const { return epoch_; }
    boost::posix_time::ptime now() const {
        return epoch_ + boost::posix_time::microseconds(
                            static_cast<std::int64_t>(std::llround(seconds_ * 1e6)));
    }

private:
    double seconds_ = 0.0;
    boost::posix_time::ptime epoch_;
};

}  // namespace earth
