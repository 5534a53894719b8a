#pragma once
// The program between start-up and exit: window, GL context, scene and main loop.

#include "data/Sky.h"

#include <string>
#include <vector>

namespace earth {

// Returns once the window has been closed; throws std::runtime_error on a start-up failure.
// With element-set paths the sky is theirs and the program starts in free exploration;
// `startTime` is the --time choice (data/Sky.h).
void run(bool noVr, bool noTour, int width, int height,
         const std::vector<std::string>& elementPaths = {}, const StartTime& startTime = {});

}  // namespace earth
