// Entry point: log files, options, display kept awake, then the program proper.

#include "app/CommandLine.h"
#include "app/DisplayAwake.h"
#include "app/LogFiles.h"
#include "app/Run.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The program has no console: everything it reports goes to two files.
    earth::redirectToLogFiles();

    earth::Settings settings;
    if (argc > 1) {
        const std::vector<std::string> args(argv + 1, argv + argc);
        const earth::CommandLine parsed = earth::parseCommandLine(args, std::cerr);
        if (parsed.outcome == earth::CommandLineOutcome::Invalid) {
            std::cerr << "Invalid command line arguments" << std::endl;
            return 1;
        }
        if (parsed.outcome == earth::CommandLineOutcome::Help) {
            std::cout << earth::usageText(80) << std::flush;
            return 0;
        }
        settings = parsed.settings;
    }

    int exitCode = 0;
    {
        const earth::DisplayAwake awake;
        try {
            earth::run(settings);
        } catch (const std::exception& e) {
            std::cerr << e.what() << std::endl;
            exitCode = 1;
        }
    }

    // The streams stay open: the sound system, a static object, is released after main returns
    // and may still report; the C runtime closes them after that.
    std::cout.flush();
    std::cerr.flush();
    return exitCode;
}
