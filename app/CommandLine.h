#pragma once
// The program's command-line options: table, parser and usage text.

#include "data/Sky.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace earth {

struct Settings {
    bool noVr = false;
    bool noTour = false;
    int width = 1024;
    int height = 768;
    bool vrPreview = false;  // the virtual headset even when no headset is connected
    bool trueSun = false;    // light the globe from the Sun of the simulated instant
    std::vector<std::string> elementPaths;  // --elements: the user's files or folders
    StartTime startTime;                    // --time
};

enum class CommandLineOutcome { Run, Help, Invalid };

struct CommandLine {
    CommandLineOutcome outcome = CommandLineOutcome::Run;
    Settings settings;
};

// Parses the arguments after the program name. Rejected numeric arguments are described on
// `err` ("Option --width=abc requires a numeric argument"); the caller reports the outcome.
CommandLine parseCommandLine(const std::vector<std::string>& args, std::ostream& err);

// The usage table laid out for a line of `lineWidth` columns.
std::string usageText(int lineWidth = 80);

// Whole argument as base-10 integer the way strtol reads it, fitting in an int.
bool parseNumericArgument(const std::string& text, int& value);

}  // namespace earth
