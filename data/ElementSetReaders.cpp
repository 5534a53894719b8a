#include "data/ElementSetReaders.h"

#include "data/OrbitGeometry.h"
#include "data/UtcInstant.h"

#include <algorithm>
#include <iterator>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace earth {
namespace {

const std::string& field(const OmmFields& fields, const char* name) {
    const auto it = fields.find(name);
    if (it == fields.end() || trimmed(it->second).empty()) {
        throw std::runtime_error(std::string("missing ") + name);
    }
    return it->second;
}

double number(const OmmFields& fields, const char* name) {
    std::string_view text = trimmed(field(fields, name));
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        std::fabs(value) > FLT_MAX) {
        throw std::runtime_error(std::string(name) + " is not a number: \"" +
                                 std::string(text.substr(0, 40)) + "\"");
    }
    return value;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// The first line of `text` after a byte-order mark and blank lines.
std::string_view firstLine(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        if (!line.empty()) return line;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return {};
}

bool looksLikeElementLine(std::string_view line, char number) {
    return line.size() >= 64 && line[0] == number && line[1] == ' ';
}

}  // namespace

void ElementSetText::skip(std::size_t line, std::string reason) {
    if (skipped.size() < maxNotedSkips) skipped.push_back(SkippedRecord{line, std::move(reason)});
    ++skippedCount;
}

LineIndex::LineIndex(std::string_view text) {
    for (std::size_t at = text.find('\n'); at != std::string_view::npos;
         at = text.find('\n', at + 1)) {
        newlines_.push_back(at);
    }
}

std::size_t LineIndex::lineOf(std::size_t offset) const {
    return static_cast<std::size_t>(
               std::lower_bound(newlines_.begin(), newlines_.end(), offset) - newlines_.begin()) +
           1;
}

ElementFormat detectElementFormat(std::string_view head) {
    const std::string_view line = firstLine(head);
    if (line.empty()) return ElementFormat::Unknown;
    if (line.front() == '[' || line.front() == '{') return ElementFormat::OmmJson;
    if (line.front() == '<') return ElementFormat::OmmXml;
    if (line.find(',') != std::string_view::npos &&
        (line.find("MEAN_MOTION") != std::string_view::npos ||
         line.find("NORAD_CAT_ID") != std::string_view::npos)) {
        return ElementFormat::OmmCsv;
    }
    // An element line 1 directly followed by a line 2 within the first few sets.
    std::string_view previous;
    std::size_t lines = 0;
    while (!head.empty() && lines < 60) {
        const std::size_t end = head.find('\n');
        const std::string_view current = trimmed(head.substr(0, end));
        if (looksLikeElementLine(previous, '1') && looksLikeElementLine(current, '2')) {
            return ElementFormat::Tle;
        }
        previous = current;
        ++lines;
        if (end == std::string_view::npos) break;
        head.remove_prefix(end + 1);
    }
    return ElementFormat::Unknown;
}

ElementSetText readElementText(ElementFormat format, std::string_view text) {
    switch (format) {
    case ElementFormat::Tle: return readTleText(text);
    case ElementFormat::OmmCsv: return readOmmCsv(text);
    case ElementFormat::OmmJson: return readOmmJson(text);
    case ElementFormat::OmmXml: return readOmmXml(text);
    case ElementFormat::Unknown: break;
    }
    return {};
}

bool isOmmFieldRead(std::string_view name) {
    static const std::string_view read[] = {
        "OBJECT_NAME", "OBJECT_ID", "NORAD_CAT_ID", "EPOCH", "MEAN_MOTION", "ECCENTRICITY",
        "INCLINATION", "RA_OF_ASC_NODE", "ARG_OF_PERICENTER", "MEAN_ANOMALY",
        "MEAN_ELEMENT_THEORY"};
    return std::find(std::begin(read), std::end(read), name) != std::end(read);
}

TleRecord elementSetFromOmm(const OmmFields& fields) {
    if (const auto theory = fields.find("MEAN_ELEMENT_THEORY"); theory != fields.end()) {
        const std::string_view name = trimmed(theory->second);
        if (!name.empty() && !equalsIgnoringCase(name, "SGP4") &&
            !equalsIgnoringCase(name, "SGP/SGP4")) {
            throw std::runtime_error("mean elements of the theory " + std::string(name) +
                                     ", not SGP4");
        }
    }
    TleRecord record;
    const double number_ = number(fields, "NORAD_CAT_ID");
    if (number_ < 0.0 || number_ > 2147483647.0 || number_ != std::floor(number_)) {
        throw std::runtime_error("NORAD_CAT_ID is not a catalogue number");
    }
    record.catalogNumber = static_cast<std::int32_t>(number_);

    const std::string& epochText = field(fields, "EPOCH");
    const auto epoch = parseUtcInstant(trimmed(epochText), true);
    if (!epoch) throw std::runtime_error("EPOCH is not a date and time: \"" + epochText + "\"");
    const int year = epoch->date().year();
    if (year < 1957 || year > 2056) {
        throw std::runtime_error("EPOCH year outside 1957 to 2056");
    }
    record.epochYear = year % 100;
    record.epochDay = epoch->date().day_of_year() +
                      static_cast<double>(epoch->time_of_day().total_microseconds()) / 86400e6;

    record.meanMotion = static_cast<float>(number(fields, "MEAN_MOTION"));
    record.eccentricity = static_cast<float>(number(fields, "ECCENTRICITY"));
    record.inclination = static_cast<float>(number(fields, "INCLINATION"));
    record.raan = static_cast<float>(number(fields, "RA_OF_ASC_NODE"));
    record.argumentOfPerigee = static_cast<float>(number(fields, "ARG_OF_PERICENTER"));
    record.meanAnomaly = static_cast<float>(number(fields, "MEAN_ANOMALY"));

    for (const char* name : {"OBJECT_NAME", "OBJECT_ID"}) {
        if (const auto it = fields.find(name); it != fields.end() && !trimmed(it->second).empty()) {
            record.name = std::string(trimmed(it->second));
            break;
        }
    }
    checkElementSet(record);
    return record;
}

}  // namespace earth
