#include "app/StartupTimings.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace earth {
namespace {

constexpr std::size_t kStages = static_cast<std::size_t>(StartupStage::Count);

struct Marks {
    std::array<double, kStages> seconds{};
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
};

Marks& marks() {
    static Marks m;
    return m;
}

}  // namespace

void startupMarkBegin() { marks().last = std::chrono::steady_clock::now(); }

void startupMark(StartupStage stage) {
    Marks& m = marks();
    const auto now = std::chrono::steady_clock::now();
    m.seconds[static_cast<std::size_t>(stage)] += std::chrono::duration<double>(now - m.last).count();
    m.last = now;
}

double startupTime(StartupStage stage) { return marks().seconds[static_cast<std::size_t>(stage)]; }

double secondsSinceProcessStart() {
    // Field 22 of /proc/self/stat: start time in clock ticks after boot; CLOCK_BOOTTIME counts
    // from the same origin.
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return -1.0;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const long ticks = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (field.empty() || ticks <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1.0;
    const double started = std::strtod(field.c_str(), nullptr) / static_cast<double>(ticks);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9 - started;
}

bool timingsRequested() {
    const char* value = std::getenv("ORBITARIUM_TIMINGS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::string startupTimingLine(double firstFrameSeconds) {
    static const char* const names[kStages] = {"catalogue",  "splash", "stars", "globe",
                                               "satellites", "panels", "script"};
    std::string line = "startup: first frame ";
    char number[32];
    std::snprintf(number, sizeof number, "%.3f s", firstFrameSeconds);
    line += number;
    double sum = 0.0;
    for (std::size_t i = 0; i < kStages; ++i) {
        const double s = marks().seconds[i];
        sum += s;
        std::snprintf(number, sizeof number, ", %s %.3f", names[i], s);
        line += number;
    }
    std::snprintf(number, sizeof number, ", other %.3f", firstFrameSeconds - sum);
    return line + number;
}

}  // namespace earth
