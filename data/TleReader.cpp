#include "data/TleReader.h"

#include <boost/algorithm/string/trim.hpp>

#include <cfloat>
#include <cmath>
#include <istream>
#include <stdexcept>
#include <utility>

namespace earth {
namespace {

constexpr std::size_t elementLineLength = 69;

std::string fieldText(const std::string& line, std::size_t begin, std::size_t end) {
    if (begin > end || end > line.size()) {
        throw std::runtime_error("Unable to parse value");
    }
    return boost::algorithm::trim_copy(line.substr(begin, end - begin));
}

}  // namespace

std::int32_t parseIntField(const std::string& line, std::size_t begin, std::size_t end) {
    const std::string text = fieldText(line, begin, end);
    std::size_t consumed = 0;
    const int value = std::stoi(text, &consumed, 10);
    if (consumed == 0) {
        throw std::runtime_error("Unable to parse value");
    }
    return value;
}

double parseDoubleField(const std::string& line, std::size_t begin, std::size_t end,
                        bool impliedPoint) {
    std::string text = fieldText(line, begin, end);
    if (impliedPoint) {
        text.insert(0, "0.");
    }
    std::size_t consumed = 0;
    const double value = std::stod(text, &consumed);
    if (consumed == 0) {
        throw std::runtime_error("Unable to parse value");
    }
    return value;
}

float parseFloatField(const std::string& line, std::size_t begin, std::size_t end,
                      bool impliedPoint) {
    const double value = parseDoubleField(line, begin, end, impliedPoint);
    // Narrowing a double beyond the float range is undefined; treat it as the standard
    // conversion would for a float.
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
        throw std::out_of_range("Value out of range for single precision: " +
                                fieldText(line, begin, end));
    }
    return static_cast<float>(value);
}

std::int32_t parseElementNumber(const std::string& line1) {
    const std::string text = fieldText(line1, 2, 7);
    const char first = text.empty() ? '\0' : text[0];
    if (first >= 'A' && first <= 'Z' && first != 'I' && first != 'O' && text.size() == 5) {
        // A=10, ..., H=17, J=18, ..., N=22, P=23, ..., Z=33: the letter stands for the
        // leading two digits.
        const int skipped = (first > 'I' ? 1 : 0) + (first > 'O' ? 1 : 0);
        const int lead = 10 + (first - 'A') - skipped;
        for (std::size_t i = 1; i < 5; ++i) {
            if (text[i] < '0' || text[i] > '9') throw std::runtime_error("Unable to parse value");
        }
        return lead * 10000 + std::stoi(text.substr(1));
    }
    return parseIntField(line1, 2, 7);
}

TleRecord parseElementLines(std::string name, const std::string& line1,
                            const std::string& line2) {
    if (line1.size() != elementLineLength) {
        throw std::runtime_error("Malformed Line 1");
    }
    if (line2.size() != elementLineLength) {
        throw std::runtime_error("Malformed Line 2");
    }
    TleRecord record;
    record.name = std::move(name);
    record.catalogNumber = parseElementNumber(line1);
    record.epochYear = parseIntField(line1, 18, 20);
    record.epochDay = parseDoubleField(line1, 20, 32);
    record.inclination = parseFloatField(line2, 8, 16);
    record.raan = parseFloatField(line2, 17, 25);
    record.eccentricity = parseFloatField(line2, 26, 33, true);
    record.argumentOfPerigee = parseFloatField(line2, 34, 42);
    record.meanAnomaly = parseFloatField(line2, 43, 51);
    record.meanMotion = parseFloatField(line2, 52, 63);
    return record;
}

TleReader::TleReader(std::uint16_t resourceId) : stream_(openDataResource(resourceId)) {
    if (!stream_.is_open()) {
        throw std::runtime_error("Unable to open TLE file");
    }
}

TleReader::TleReader(TextSource source)
    : text_(std::move(source.text)), stream_(text_) {
    if (!stream_.is_open()) {
        throw std::runtime_error("Unable to open TLE file");
    }
}

std::optional<TleRecord> TleReader::next() {
    std::string name;
    if (!std::getline(stream_, name)) {
        return std::nullopt;
    }
    boost::algorithm::trim(name);
    std::string line1;
    if (!std::getline(stream_, line1)) {
        throw std::runtime_error("Missing second line in TLE triple");
    }
    std::string line2;
    if (!std::getline(stream_, line2)) {
        throw std::runtime_error("Missing third line in TLE triple");
    }
    boost::algorithm::trim(line1);
    boost::algorithm::trim(line2);
    return parseElementLines(std::move(name), line1, line2);
}

}  // namespace earth
