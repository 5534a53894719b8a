// Entry point: log files, options, display kept awake, then the program proper.

#include "app/CommandLine.h"
#include "app/DisplayAwake.h"
#include "app/Run.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The program has no console: everything it reports goes to these two files.
    std::FILE* out = std::freopen("log.txt", "w", stdout);
    std::FILE* err = std::freopen("err.txt", "w", stderr);

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
            earth::run(settings.noVr, settings.noTour, settings.width, settings.height,
                       settings.elementPaths, settings.startTime);
        } catch (const std::exception& e) {
            std::cerr << e.what() << std::endl;
            exitCode = 1;
        }
    }

    std::cout.flush();
    std::cerr.flush();
    if (out != nullptr) std::fclose(out);
    if (err != nullptr) std::fclose(err);
    return exitCode;
}
