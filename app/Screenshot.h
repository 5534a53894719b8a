#pragma once
// F12: the picture in the window as a PNG file in the working directory.

#include <ctime>
#include <string>

namespace earth {

// "orbitarium-YYYYMMDD-HHMMSS.png" for the local time `when`.
std::string screenshotName(std::time_t when);

// Reads the window's back buffer (width x height, bottom row first) and writes it as `path`;
// says which file it wrote, or why it could not, in one line on standard output.
void writeScreenshot(int width, int height, const std::string& path);

}  // namespace earth
