#pragma once
// Where start-up time goes: each stage adds the wall time of its work to a per-process total.
// Printed only when ORBITARIUM_TIMINGS=1 (see bench/README.md); otherwise nothing is read.

#include <chrono>
#include <string>

namespace earth {

enum class StartupStage { Catalogue, Mesh, Textures, Shaders, Audio, Count };

void addStartupTime(StartupStage stage, double seconds);
double startupTime(StartupStage stage);
// Seconds from the process's start (as the kernel recorded it) to now; negative if unknown.
double secondsSinceProcessStart();
// Whether ORBITARIUM_TIMINGS=1 is set.
bool timingsRequested();
// "startup: first frame 0.812 s, catalogue 0.201, mesh ..." — one line, without its end.
std::string startupTimingLine(double firstFrameSeconds);

// Adds the lifetime of the object to a stage. Stages do not nest.
class StageTimer {
public:
    explicit StageTimer(StartupStage stage)
        : stage_(stage), begin_(std::chrono::steady_clock::now()) {}
    ~StageTimer() {
        addStartupTime(stage_, std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                                             begin_).count());
    }
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;

private:
    StartupStage stage_;
    std::chrono::steady_clock::time_point begin_;
};

}  // namespace earth
