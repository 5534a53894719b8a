#include "data/StartupTimings.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace earth {
namespace {

std::array<double, static_cast<std::size_t>(StartupStage::Count)>& totals() {
    static std::array<double, static_cast<std::size_t>(StartupStage::Count)> seconds{};
    return seconds;
}

}  // namespace

void addStartupTime(StartupStage stage, double seconds) {
    totals()[static_cast<std::size_t>(stage)] += seconds;
}

double startupTime(StartupStage stage) { return totals()[static_cast<std::size_t>(stage)]; }

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
    char line[256];
    const double stages[] = {startupTime(StartupStage::Catalogue), startupTime(StartupStage::Mesh),
                             startupTime(StartupStage::Textures), startupTime(StartupStage::Shaders),
                             startupTime(StartupStage::Audio)};
    double sum = 0.0;
    for (double s : stages) sum += s;
    std::snprintf(line, sizeof line,
                  "startup: first frame %.3f s, catalogue %.3f, mesh %.3f, textures %.3f, "
                  "shaders %.3f, audio %.3f, other %.3f",
                  firstFrameSeconds, stages[0], stages[1], stages[2], stages[3], stages[4],
                  firstFrameSeconds - sum);
    return line;
}

}  // namespace earth
