// Two- and three-line element sets as users have them: name lines optional (and sometimes
// written "0 NAME"), blank lines between sets, any line end. A set that does not parse is
// skipped and the reader goes on at the next line.
#include "data/ElementSetReaders.h"

#include "data/OrbitGeometry.h"

#include <exception>
#include <stdexcept>
#include <optional>

namespace earth {
namespace {

bool isElementLine(std::string_view line, char number) {
    return line.size() >= 2 && line[0] == number && line[1] == ' ';
}

class Lines {
public:
    explicit Lines(std::string_view text) : rest_(text) {}
    // The next line, trimmed, or nothing at the end.
    std::optional<std::string_view> next() {
        if (done_) return std::nullopt;
        const std::size_t end = rest_.find('\n');
        const std::string_view line = rest_.substr(0, end);
        if (end == std::string_view::npos) {
            done_ = true;
        } else {
            rest_.remove_prefix(end + 1);
        }
        ++number_;
        return trimmed(line);
    }
    std::size_t number() const { return number_; }  // of the line last returned

private:
    std::string_view rest_;
    std::size_t number_ = 0;
    bool done_ = false;
};

}  // namespace

ElementSetText readTleText(std::string_view text) {
    ElementSetText out;
    Lines lines(text);
    std::string name;
    std::size_t nameLine = 0;  // 0 while no name line waits for its element lines
    auto noteUnusedName = [&]() {
        if (nameLine != 0) out.skip(nameLine, "name line without element lines");
        nameLine = 0;
    };

    std::optional<std::string_view> line = lines.next();
    while (line) {
        if (line->empty()) {
            line = lines.next();
            continue;
        }
        const std::size_t at = lines.number();
        if (isElementLine(*line, '2')) {
            noteUnusedName();
            out.skip(at, "element line 2 without line 1");
            line = lines.next();
            continue;
        }
        if (!isElementLine(*line, '1')) {
            noteUnusedName();
            std::string_view title = *line;
            if (title.size() > 2 && title[0] == '0' && title[1] == ' ') title.remove_prefix(2);
            name = std::string(trimmed(title));
            nameLine = at;
            line = lines.next();
            continue;
        }
        const std::size_t start = nameLine != 0 ? nameLine : at;
        if (nameLine == 0) name.clear();
        const std::string line1(*line);
        line = lines.next();
        if (!line || !isElementLine(*line, '2')) {
            nameLine = 0;
            out.skip(start, "element line 1 without line 2");
            continue;  // the line after it is looked at afresh
        }
        try {
            TleRecord record = parseElementLines(name, line1, std::string(*line));
            checkElementSet(record);
            out.sets.push_back(std::move(record));
        } catch (const std::logic_error&) {  // the standard conversions' failures
            out.skip(start, "a field of the element lines is not a number");
        } catch (const std::exception& e) {
            out.skip(start, e.what());
        }
        nameLine = 0;
        line = lines.next();
    }
    noteUnusedName();
    return out;
}

}  // namespace earth
