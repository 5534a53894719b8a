#pragma once
// The program between start-up and exit: window, GL context, scene and main loop.

namespace earth {

struct Settings;

// Returns once the window has been closed; throws std::runtime_error on a start-up failure.
// Without --novr a connected headset is used through OpenXR; with none, the desktop window
// (one line in "log.txt" says so), unless --vr-preview asks for the virtual headset. With
// element-set files (--elements) the sky is theirs and the program starts in free exploration.
void run(const Settings& settings);

}  // namespace earth
