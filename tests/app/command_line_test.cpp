#include "app/CommandLine.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace earth {
namespace {

struct Case {
    const char* name;
    std::vector<std::string> args;
    CommandLineOutcome outcome;
    Settings settings;
    std::string err;
    std::vector<std::string> elements = {};
    std::string time = "";  // "now", an instant as boost writes it, or empty for the default
};

Settings settings(bool noVr, bool noTour, int width, int height, bool vrPreview = false,
                  bool trueSun = false) {
    Settings s;
    s.noVr = noVr;
    s.noTour = noTour;
    s.width = width;
    s.height = height;
    s.vrPreview = vrPreview;
    s.trueSun = trueSun;
    return s;
}

class CommandLineCases : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineCases, ParsesAsDocumented) {
    const Case& c = GetParam();
    std::ostringstream err;
    const CommandLine parsed = parseCommandLine(c.args, err);
    EXPECT_EQ(parsed.outcome, c.outcome);
    EXPECT_EQ(err.str(), c.err);
    if (c.outcome == CommandLineOutcome::Run) {
        EXPECT_EQ(parsed.settings.noVr, c.settings.noVr);
        EXPECT_EQ(parsed.settings.noTour, c.settings.noTour);
        EXPECT_EQ(parsed.settings.width, c.settings.width);
        EXPECT_EQ(parsed.settings.height, c.settings.height);
        EXPECT_EQ(parsed.settings.elementPaths, c.elements);
        const StartTime& t = parsed.settings.startTime;
        EXPECT_EQ(t.now ? "now" : t.instant ? boost::posix_time::to_simple_string(*t.instant) : "",
                  c.time);
        EXPECT_EQ(parsed.settings.trueSun, c.settings.trueSun);
    }
}

const Settings kDefaults{};
constexpr auto Run = CommandLineOutcome::Run;
constexpr auto Help = CommandLineOutcome::Help;
constexpr auto Invalid = CommandLineOutcome::Invalid;

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineCases,
    ::testing::Values(
        Case{"Empty", {}, Run, kDefaults, ""},
        Case{"Flags", {"--novr", "--notour"}, Run, settings(true, true, 1024, 768), ""},
        Case{"TrueSun", {"--true-sun", "--novr"}, Run, settings(true, false, 1024, 768, false, true), ""},
        Case{"EqualsAndSeparate", {"--width=800", "-h", "600", "--novr"}, Run,
             settings(true, false, 800, 600), ""},
        Case{"AttachedShort", {"-w800", "-h600"}, Run, settings(false, false, 800, 600), ""},
        Case{"SeparateLong", {"--height", "640"}, Run, settings(false, false, 1024, 640), ""},
        Case{"FirstOccurrenceWins", {"--width", "800", "--width", "900"}, Run,
             settings(false, false, 800, 768), ""},
        Case{"NegativeAccepted", {"--width=-5"}, Run, settings(false, false, -5, 768), ""},
        Case{"LeadingBlanksAndSign", {"--width= +12"}, Run, settings(false, false, 12, 768), ""},
        Case{"UnknownIgnored", {"--foo", "-x", "--novr"}, Run, settings(true, false, 1024, 768), ""},
        Case{"StopsAtNonOption", {"movie.txt", "--novr"}, Run, kDefaults, ""},
        Case{"StopsAtDoubleDash", {"--", "--novr"}, Run, kDefaults, ""},
        Case{"LoneDashIsNonOption", {"-", "--novr"}, Run, kDefaults, ""},
        Case{"NoAbbreviations", {"--nov"}, Run, kDefaults, ""},
        Case{"CaseSensitive", {"--NOVR"}, Run, kDefaults, ""},
        Case{"SingleDashNeverLong", {"-novr"}, Run, kDefaults, ""},
        Case{"HelpLong", {"--help", "--novr"}, Help, kDefaults, ""},
        Case{"HelpShort", {"-?"}, Help, kDefaults, ""},
        Case{"NonNumericLong", {"--width=abc"}, Invalid, kDefaults,
             "Option --width=abc requires a numeric argument\n"},
        Case{"TrailingGarbage", {"--width=12x"}, Invalid, kDefaults,
             "Option --width=12x requires a numeric argument\n"},
        Case{"EmptyAttached", {"--height="}, Invalid, kDefaults,
             "Option --height= requires a numeric argument\n"},
        Case{"NonNumericSeparate", {"--width", "abc"}, Invalid, kDefaults,
             "Option --width requires a numeric argument\n"},
        Case{"NonNumericShortAttached", {"-wabc"}, Invalid, kDefaults,
             "Option wabc requires a numeric argument\n"},
        Case{"NonNumericShortSeparate", {"-w", "abc"}, Invalid, kDefaults,
             "Option w requires a numeric argument\n"},
        Case{"MissingValueIsSilent", {"--width"}, Invalid, kDefaults, ""},
        Case{"MissingShortValueIsSilent", {"-h"}, Invalid, kDefaults, ""},
        Case{"HelpWithBadWidth", {"--help", "--width=abc"}, Invalid, kDefaults,
             "Option --width=abc requires a numeric argument\n"},
        Case{"OutOfIntRange", {"--width=99999999999"}, Invalid, kDefaults,
             "Option --width=99999999999 is out of range\n"},

        Case{"ElementsUpToTheNextOption", {"--elements", "a.txt", "dir", "--novr", "b.json"}, Run,
             settings(true, false, 1024, 768), "", {"a.txt", "dir"}},
        Case{"ElementsAttachedAndRepeated", {"--elements=a.txt", "b", "--elements", "c"}, Run,
             kDefaults, "", {"a.txt", "b", "c"}},
        Case{"ElementsWithoutFile", {"--elements", "--novr"}, Invalid, kDefaults,
             "Option --elements requires element-set files or folders\n"},
        Case{"TimeNowFirstWins", {"--time", "now", "--time=2025-03-01T12:00:00Z"}, Run, kDefaults,
             "", {}, "now"},
        Case{"TimeInstant", {"--time=2025-03-01T12:00:00.5Z"}, Run, kDefaults, "", {},
             "2025-Mar-01 12:00:00.500000"},
        Case{"TimeWithoutZone", {"--time", "2025-03-01T12:00:00"}, Invalid, kDefaults,
             "Option --time requires now or a UTC instant such as 2025-03-01T12:00:00Z\n"},
        Case{"TimeNotInTheCalendar", {"--time", "2023-02-29T24:00Z"}, Invalid, kDefaults,
             "Option --time requires now or a UTC instant such as 2025-03-01T12:00:00Z\n"},
        Case{"TimeMissing", {"--time"}, Invalid, kDefaults,
             "Option --time requires now or a UTC instant such as 2025-03-01T12:00:00Z\n"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(UsageText, ListsEveryOptionInTableOrderWithinEightyColumns) {
    const std::string usage = usageText(80);
    std::istringstream lines(usage);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), 80u) << line;
        all.push_back(line);
    }
    ASSERT_GE(all.size(), 6u);
    EXPECT_EQ(all[0], "Available command line options:");
    EXPECT_EQ(all[1], " --help, -?   See available command line options");
    EXPECT_EQ(all[2], " --novr       Disable VR support, render to a single viewport");
    // The long description wraps onto a continuation line aligned with the column.
    EXPECT_EQ(all[3].substr(0, 14), " --notour     ");
    EXPECT_NE(usage.find("\n              simulation\n"), std::string::npos) << usage;
    EXPECT_NE(usage.find(" --true-sun   Light the Earth from where the Sun was"), std::string::npos);
    EXPECT_NE(usage.find(" --width, -w  Width of the window (only honored in NoVR mode)"),
              std::string::npos);
    EXPECT_NE(usage.find(" --height, -h Height of the window (only honored in NoVR mode)"),
              std::string::npos);
    EXPECT_NE(usage.find(" --elements   Show the element sets of these files"), std::string::npos);
    EXPECT_NE(usage.find(" --time       Simulated start: now, or a UTC instant"), std::string::npos);
}

TEST(UsageText, NarrowLinesPutDescriptionsOnLinesOfTheirOwn) {
    // Beside a 14-column option a 24-column line leaves under half for the description.
    const std::string usage = usageText(24);
    EXPECT_NE(usage.find(" --novr       \nDisable VR\n"), std::string::npos) << usage;
    std::istringstream lines(usage);
    std::string line;
    std::getline(lines, line);  // the heading line is not a description
    while (std::getline(lines, line)) {
        if (line[0] != ' ') {
            EXPECT_LE(line.size(), 18u) << line;  // three quarters of 24
        }
    }
}

}  // namespace
}  // namespace earth
