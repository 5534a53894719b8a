#pragma once
// Where start-up time goes, measured from the outside: the scene places a mark after each of
// its members, and each mark adds the time since the previous one to that member's stage, so
// no subsystem needs to know it is timed. Printed only when ORBITARIUM_TIMINGS=1 (see
// bench/README.md).

#include <string>

namespace earth {

enum class StartupStage { Catalogue, Splash, Stars, Globe, Satellites, Panels, Script, Count };

// Adds the time since the previous mark (or since `startupMarkBegin`) to `stage`.
void startupMark(StartupStage stage);
// Forgets the previous mark: what follows is timed from now.
void startupMarkBegin();
double startupTime(StartupStage stage);
// Seconds from the process's start (as the kernel recorded it) to now; negative if unknown.
double secondsSinceProcessStart();
// Whether ORBITARIUM_TIMINGS=1 is set.
bool timingsRequested();
// "startup: first frame 0.812 s, catalogue 0.201, splash ..." — one line, without its end.
std::string startupTimingLine(double firstFrameSeconds);

// A scene member that marks the end of the member declared before it.
struct StartupMark {
    explicit StartupMark(StartupStage stage) { startupMark(stage); }
};
struct StartupMarkBegin {
    StartupMarkBegin() { startupMarkBegin(); }
};

}  // namespace earth
