#pragma once
// The program between start-up and exit: window, GL context, scene and main loop.

namespace earth {

// Returns once the window has been closed; throws std::runtime_error on a start-up failure.
void run(bool noVr, bool noTour, int width, int height, bool trueSun = false);

}  // namespace earth
