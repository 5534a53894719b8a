#include "app/CommandLine.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace earth {
namespace {

// A run's settings as one line: size, then what differs from the defaults.
std::string summary(const Settings& s) {
    std::ostringstream out;
    out << s.width << "x" << s.height << (s.noVr ? " novr" : "") << (s.noTour ? " notour" : "")
        << (s.trueSun ? " true-sun" : "") << (s.vrPreview ? " vr-preview" : "");
    for (const std::string& path : s.elementPaths) out << " " << path;
    if (s.startTime.now) out << " now";
    if (s.startTime.instant) out << " " << boost::posix_time::to_simple_string(*s.startTime.instant);
    return out.str();
}

struct Case {
    const char* name;
    std::vector<std::string> args;
    CommandLineOutcome outcome;
    std::string settings;  // summary() of a run's settings, empty for the others
    std::string err = "";
};

class CommandLineCases : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineCases, ParsesAsDocumented) {
    const Case& c = GetParam();
    std::ostringstream err;
    const CommandLine parsed = parseCommandLine(c.args, err);
    EXPECT_EQ(parsed.outcome, c.outcome);
    EXPECT_EQ(err.str(), c.err);
    EXPECT_EQ(c.outcome == CommandLineOutcome::Run ? summary(parsed.settings) : "", c.settings);
}

constexpr auto Run = CommandLineOutcome::Run;
constexpr auto Help = CommandLineOutcome::Help;
constexpr auto Invalid = CommandLineOutcome::Invalid;
const char* const kDefaults = "1024x768";
const std::string kNeedsNumber = " requires a numeric argument\n";
const std::string kNeedsTime = "Option --time requires now or a UTC instant such as 2025-03-01T12:00:00Z\n";

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineCases,
    ::testing::Values(
        Case{"Empty", {}, Run, kDefaults},
        Case{"Flags", {"--novr", "--notour", "--true-sun", "--vr-preview"}, Run,
             "1024x768 novr notour true-sun vr-preview"},
        Case{"EqualsAndSeparate", {"--width=800", "-h", "600", "--novr"}, Run, "800x600 novr"},
        Case{"AttachedShort", {"-w800", "-h600"}, Run, "800x600"},
        Case{"SeparateLong", {"--height", "640"}, Run, "1024x640"},
        Case{"FirstOccurrenceWins", {"--width", "800", "--width", "900"}, Run, "800x768"},
        Case{"NegativeAccepted", {"--width=-5"}, Run, "-5x768"},
        Case{"LeadingBlanksAndSign", {"--width= +12"}, Run, "12x768"},
        Case{"UnknownIgnored", {"--foo", "-x", "--novr"}, Run, "1024x768 novr"},
        Case{"StopsAtNonOption", {"movie.txt", "--novr"}, Run, kDefaults},
        Case{"StopsAtDoubleDash", {"--", "--novr"}, Run, kDefaults},
        Case{"LoneDashIsNonOption", {"-", "--novr"}, Run, kDefaults},
        Case{"NoAbbreviations", {"--nov"}, Run, kDefaults},
        Case{"CaseSensitive", {"--NOVR"}, Run, kDefaults},
        Case{"SingleDashNeverLong", {"-novr"}, Run, kDefaults},
        Case{"HelpLong", {"--help", "--novr"}, Help, ""},
        Case{"HelpShort", {"-?"}, Help, ""},
        Case{"NonNumericLong", {"--width=abc"}, Invalid, "", "Option --width=abc" + kNeedsNumber},
        Case{"TrailingGarbage", {"--width=12x"}, Invalid, "", "Option --width=12x" + kNeedsNumber},
        Case{"EmptyAttached", {"--height="}, Invalid, "", "Option --height=" + kNeedsNumber},
        Case{"NonNumericSeparate", {"--width", "abc"}, Invalid, "", "Option --width" + kNeedsNumber},
        Case{"NonNumericShortAttached", {"-wabc"}, Invalid, "", "Option wabc" + kNeedsNumber},
        Case{"NonNumericShortSeparate", {"-w", "abc"}, Invalid, "", "Option w" + kNeedsNumber},
        Case{"MissingValueIsSilent", {"--width"}, Invalid, ""},
        Case{"MissingShortValueIsSilent", {"-h"}, Invalid, ""},
        Case{"HelpWithBadWidth", {"--help", "--width=abc"}, Invalid, "", "Option --width=abc" + kNeedsNumber},
        Case{"OutOfIntRange", {"--width=99999999999"}, Invalid, "", "Option --width=99999999999 is out of range\n"},
        Case{"ElementsUpToTheNextOption", {"--elements", "a.txt", "dir", "--novr", "b.json"}, Run,
             "1024x768 novr a.txt dir"},
        Case{"ElementsAttachedAndRepeated", {"--elements=a.txt", "b", "--elements", "c"}, Run, "1024x768 a.txt b c"},
        Case{"ElementsWithoutFile", {"--elements", "--novr"}, Invalid, "",
             "Option --elements requires element-set files or folders\n"},
        Case{"TimeNowFirstWins", {"--time", "now", "--time=2025-03-01T12:00:00Z"}, Run, "1024x768 now"},
        Case{"TimeInstant", {"--time=2025-03-01T12:00:00.5Z"}, Run, "1024x768 2025-Mar-01 12:00:00.500000"},
        Case{"TimeWithoutZone", {"--time", "2025-03-01T12:00:00"}, Invalid, "", kNeedsTime},
        Case{"TimeNotInTheCalendar", {"--time", "2023-02-29T24:00Z"}, Invalid, "", kNeedsTime},
        Case{"TimeMissing", {"--time"}, Invalid, "", kNeedsTime}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// The rows' own words are the table's; these check the layout: the description column, wrapping
// within the line, and descriptions on lines of their own when the line is too narrow.
TEST(UsageText, WrapsDescriptionsInTheirColumnWithinTheLine) {
    for (const int width : {80, 24}) {
        const std::string usage = usageText(width);
        std::istringstream lines(usage);
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line, "Available command line options:");
        while (std::getline(lines, line)) EXPECT_LE(line.size(), static_cast<std::size_t>(width)) << line;
    }
    const std::string usage = usageText(80);
    EXPECT_NE(usage.find("\n              simulation\n"), std::string::npos) << usage;
    // Beside a 14-column option a 24-column line leaves under half for the description.
    EXPECT_NE(usageText(24).find(" --novr       \nDisable VR\n"), std::string::npos) << usageText(24);
}

}  // namespace
}  // namespace earth
