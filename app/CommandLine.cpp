#include "app/CommandLine.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <ostream>

namespace earth {
namespace {

// Paths: one or more arguments up to the next option. Instant: "now" or a UTC instant.
enum class ArgumentCheck { None, Numeric, Paths, Instant };

struct OptionRow {
    int index;
    const char* shortNames;
    const char* longName;
    ArgumentCheck check;
    const char* help;
};

constexpr int kCatchAll = 0;
constexpr int kHelp = 1;
constexpr int kNoVr = 2;
constexpr int kNoTour = 3;
constexpr int kWidth = 4;
constexpr int kHeight = 5;
constexpr int kVrPreview = 6;
constexpr int kTrueSun = 7;
constexpr int kElements = 8;
constexpr int kTime = 9;
constexpr int kOptionCount = 10;

const std::array<OptionRow, kOptionCount> kOptions = {{
    {kCatchAll, "", "", ArgumentCheck::None, "Available command line options:"},
    {kHelp, "?", "help", ArgumentCheck::None, " --help, -?   \tSee available command line options"},
    {kNoVr, "", "novr", ArgumentCheck::None,
     " --novr       \tDisable VR support, render to a single viewport"},
    {kNoTour, "", "notour", ArgumentCheck::None,
     " --notour     \tSkip the tour, and go straight to free exploration of the simulation"},
    {kTrueSun, "", "true-sun", ArgumentCheck::None,
     " --true-sun   \tLight the Earth from where the Sun was at the simulated time (L toggles)"},
    {kWidth, "w", "width", ArgumentCheck::Numeric,
     " --width, -w  \tWidth of the window (only honored in NoVR mode)"},
    {kHeight, "h", "height", ArgumentCheck::Numeric,
     " --height, -h \tHeight of the window (only honored in NoVR mode)"},
    {kVrPreview, "", "vr-preview", ArgumentCheck::None,
     " --vr-preview \tShow the built-in virtual headset in a window, without a headset"},
    {kElements, "", "elements", ArgumentCheck::Paths,
     " --elements   \tShow the element sets of these files or folders instead of the "
     "embedded 2014 sky, and start in free exploration. Two- or three-line sets, or OMM as "
     "CSV, JSON or XML; each file is a category named after it"},
    {kTime, "", "time", ArgumentCheck::Instant,
     " --time       \tSimulated start: now, or a UTC instant such as 2025-03-01T12:00:00Z. "
     "Default: 2014-11-21 for the embedded sky (at most a year from it); for own files now, "
     "or their newest epoch when it is more than 30 days old"},
}};

const OptionRow* findLong(const std::string& name) {
    for (const OptionRow& row : kOptions) {
        if (row.longName[0] != '\0' && name == row.longName) return &row;
    }
    return nullptr;
}

const OptionRow* findShort(char letter) {
    for (const OptionRow& row : kOptions) {
        for (const char* c = row.shortNames; *c != '\0'; ++c) {
            if (*c == letter) return &row;
        }
    }
    return nullptr;
}

struct Occurrences {
    std::array<bool, kOptionCount> seen{};
    std::array<int, kOptionCount> value{};
    std::vector<std::string> paths;  // every --elements occurrence adds its paths
    StartTime time;

    void add(int index, int v = 0) {
        if (seen[index]) return;  // the first occurrence gives the value
        seen[index] = true;
        value[index] = v;
    }
};

// A whole base-10 integer too large for an int: a number, but not one we can use.
bool integerOutOfRange(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(begin, &end, 10);
    return end != begin && *end == '\0' && (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX);
}

// Checks a numeric occurrence; `argument` is empty when none was given.
bool acceptNumeric(const std::optional<std::string>& argument, const std::string& written,
                   std::ostream& err, int& value) {
    if (!argument) return false;
    if (parseNumericArgument(*argument, value)) return true;
    err << "Option " << written
        << (integerOutOfRange(*argument) ? " is out of range\n" : " requires a numeric argument\n");
    return false;
}

// --elements and --time: `attached` is the text after "=", if any; the paths option also
// takes the arguments after it up to the next option. Advances `i` past what it took.
bool acceptText(const OptionRow& row, const std::string& written,
                const std::optional<std::string>& attached, const std::vector<std::string>& args,
                std::size_t& i, Occurrences& found, std::ostream& err) {
    std::vector<std::string> values;
    if (attached) values.push_back(*attached);
    const bool many = row.check == ArgumentCheck::Paths;
    while ((many || values.empty()) && i + 1 < args.size() && !args[i + 1].empty() &&
           args[i + 1][0] != '-') {
        values.push_back(args[++i]);
    }
    if (many) {
        const bool empty = values.empty() ||
                           std::any_of(values.begin(), values.end(),
                                       [](const std::string& v) { return v.empty(); });
        if (empty) {
            err << "Option " << written << " requires element-set files or folders\n";
            return false;
        }
        found.paths.insert(found.paths.end(), values.begin(), values.end());
        found.seen[row.index] = true;
        return true;
    }
    const std::optional<StartTime> time =
        values.empty() ? std::nullopt : parseStartTime(values.front());
    if (!time) {
        err << "Option " << written
            << " requires now or a UTC instant such as 2025-03-01T12:00:00Z\n";
        return false;
    }
    if (!found.seen[row.index]) found.time = *time;  // the first occurrence gives the value
    found.seen[row.index] = true;
    return true;
}

}  // namespace

bool parseNumericArgument(const std::string& text, int& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    if (end == begin || *end != '\0') return false;
    // A value outside int would silently wrap into a different window size.
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

CommandLine parseCommandLine(const std::vector<std::string>& args, std::ostream& err) {
    Occurrences found;
    bool failed = false;
    // Unknown options go to the catch-all row; options without an argument are done here.
    const auto recordWithoutArgument = [&found](const OptionRow* row) {
        if (row == nullptr) {
            found.add(kCatchAll);
            return true;
        }
        if (row->check != ArgumentCheck::None) return false;
        found.add(row->index);
        return true;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") break;
        if (arg.size() < 2 || arg[0] != '-') break;  // the first non-option ends parsing

        const auto nextArgument = [&]() -> std::optional<std::string> {
            if (i + 1 < args.size()) return args[i + 1];
            return std::nullopt;
        };

        if (arg[1] == '-') {
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos
                                                                              : equals - 2);
            const OptionRow* row = findLong(name);
            if (recordWithoutArgument(row)) continue;
            if (row->check == ArgumentCheck::Paths || row->check == ArgumentCheck::Instant) {
                std::optional<std::string> attached;
                if (equals != std::string::npos) attached = arg.substr(equals + 1);
                if (!acceptText(*row, arg, attached, args, i, found, err)) failed = true;
                continue;
            }
            int value = 0;
            if (equals != std::string::npos) {
                if (!acceptNumeric(arg.substr(equals + 1), arg, err, value)) failed = true;
            } else {
                const auto next = nextArgument();
                if (acceptNumeric(next, arg, err, value)) {
                    ++i;
                } else {
                    failed = true;
                }
            }
            if (!failed) found.add(row->index, value);
            continue;
        }

        // A cluster of short options: "-?", "-w800", "-w 800".
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const OptionRow* row = findShort(arg[k]);
            if (recordWithoutArgument(row)) continue;
            const std::string written = arg.substr(k);
            int value = 0;
            bool ok = false;
            if (k + 1 < arg.size()) {
                ok = acceptNumeric(arg.substr(k + 1), written, err, value);
            } else {
                ok = acceptNumeric(nextArgument(), written, err, value);
                if (ok) ++i;
            }
            if (ok) {
                found.add(row->index, value);
            } else {
                failed = true;
            }
            break;  // the rest of the argument was this option's value
        }
    }

    CommandLine result;
    if (failed) {
        result.outcome = CommandLineOutcome::Invalid;
        return result;
    }
    if (found.seen[kHelp]) {
        result.outcome = CommandLineOutcome::Help;
        return result;
    }
    result.settings.noVr = found.seen[kNoVr];
    result.settings.noTour = found.seen[kNoTour];
    result.settings.vrPreview = found.seen[kVrPreview];
    result.settings.trueSun = found.seen[kTrueSun];
    if (found.seen[kWidth]) result.settings.width = found.value[kWidth];
    if (found.seen[kHeight]) result.settings.height = found.value[kHeight];
    result.settings.elementPaths = found.paths;
    result.settings.startTime = found.time;
    return result;
}

std::string usageText(int lineWidth) {
    std::string out;
    for (const OptionRow& row : kOptions) {
        const std::string help = row.help;
        const std::size_t tab = help.find('\t');
        if (tab == std::string::npos) {
            out += help + "\n";
            continue;
        }
        const std::string option = help.substr(0, tab);
        const std::string description = help.substr(tab + 1);
        const std::size_t column = option.size();
        std::size_t width = static_cast<std::size_t>(lineWidth) > column
                                ? static_cast<std::size_t>(lineWidth) - column
                                : 0;
        bool ownLines = false;
        if (width * 2 < static_cast<std::size_t>(lineWidth)) {
            // Too narrow beside the option: the description gets lines of its own.
            ownLines = true;
            width = static_cast<std::size_t>(lineWidth) * 3 / 4;
        }
        // Break at blanks so that no line runs past the description column's width.
        std::vector<std::string> lines;
        std::string line;
        std::size_t pos = 0;
        while (pos < description.size()) {
            std::size_t end = description.find(' ', pos);
            if (end == std::string::npos) end = description.size();
            std::string word = description.substr(pos, end - pos);
            if (!line.empty() && line.size() + 1 + word.size() > width) {
                lines.push_back(line);
                line.clear();
            }
            // A word longer than the column is cut where the column ends.
            while (width > 0 && line.empty() && word.size() > width) {
                lines.push_back(word.substr(0, width));
                word.erase(0, width);
            }
            line += (line.empty() ? "" : " ") + word;
            pos = end + 1;
        }
        if (!line.empty()) lines.push_back(line);

        if (ownLines) {
            out += option + "\n";
            for (const std::string& l : lines) out += l + "\n";
        } else {
            for (std::size_t n = 0; n < lines.size(); ++n) {
                out += (n == 0 ? option : std::string(column, ' ')) + lines[n] + "\n";
            }
        }
    }
    return out;
}

}  // namespace earth
