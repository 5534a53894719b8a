#include "data/CatalogueReader.h"

#include <boost/algorithm/string/split.hpp>
#include <boost/algorithm/string/trim.hpp>
#include <boost/tokenizer.hpp>

#include <cctype>
#include <cmath>
#include <istream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace earth {
namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

// "1,600" -> "1600", "1, 388" -> "1388": a comma with a digit before it and, after optional
// blanks, a digit after it only separates digit groups. Anything else stays as written.
std::string joinDigitGroups(const std::string& text) {
    std::string joined;
    joined.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ',' && !joined.empty() && isDigit(joined.back())) {
            std::size_t after = i + 1;
            while (after < text.size() && isBlank(text[after])) {
                ++after;
            }
            if (after < text.size() && isDigit(text[after])) {
                i = after - 1;
                continue;
            }
        }
        joined.push_back(text[i]);
    }
    return joined;
}

std::int32_t parseCatalogNumber(const std::string& text) {
    std::size_t consumed = 0;
    const int value = std::stoi(text, &consumed, 10);
    if (consumed == 0) {
        throw std::runtime_error("Malformed number");
    }
    return value;
}

int parseDatePiece(const std::string& piece) {
    std::size_t consumed = 0;
    const int value = std::stoi(piece, &consumed, 10);
    if (consumed == 0) {
        throw std::runtime_error("Malformed date");
    }
    return value;
}

}  // namespace

float parseMass(const std::string& rawText) {
    std::string text = boost::algorithm::trim_copy(rawText);
    if (text.empty()) {
        return 0.0f;
    }
    // A remark in parentheses after the number ("1,050 (BOL)") is not part of it.
    const std::size_t remark = text.find('(');
    if (remark != std::string::npos && remark > 0) {
        const std::string number = boost::algorithm::trim_copy(text.substr(0, remark));
        if (!number.empty()) {
            text = number;
        }
    }
    text = joinDigitGroups(text);
    std::size_t consumed = 0;
    const float mass = std::stof(text, &consumed);
    if (consumed == 0 || !std::isfinite(mass)) {
        throw std::runtime_error("Malformed mass in KG");
    }
    return mass;
}

std::optional<boost::gregorian::date> parseLaunchDate(const std::string& rawText) {
    const std::string text = boost::algorithm::trim_copy(rawText);
    if (text.empty()) {
        return std::nullopt;
    }
    std::vector<std::string> pieces;
    boost::algorithm::split(pieces, text, [](char c) { return c == '/'; });
    if (pieces.size() != 3) {
        throw std::runtime_error("Invalid launch date");
    }
    const int month = parseDatePiece(pieces[0]);
    const int day = parseDatePiece(pieces[1]);
    const int year = parseDatePiece(pieces[2]);
    // Day, then month, then year are validated, each by its own type's constructor; the
    // explicit order keeps the first failure independent of argument evaluation order.
    // A value beyond 16 bits becomes 0, which every one of them rejects, instead of wrapping
    // into a valid one.
    const auto narrow = [](int value) {
        return static_cast<unsigned short>(value < 0 || value > 65535 ? 0 : value);
    };
    const boost::gregorian::greg_day gregDay(narrow(day));
    const boost::gregorian::greg_month gregMonth(narrow(month));
    const boost::gregorian::greg_year gregYear(narrow(year));
    return boost::gregorian::date(gregYear, gregMonth, gregDay);
}

CatalogueReader::CatalogueReader() : CatalogueReader(catalogueResourceId) {}

CatalogueReader::CatalogueReader(std::uint16_t resourceId)
    : stream_(openDataResource(resourceId)) {
    skipHeader();
}

CatalogueReader::CatalogueReader(TextSource source)
    : text_(std::move(source.text)), stream_(text_) {
    skipHeader();
}

void CatalogueReader::skipHeader() {
    if (!stream_.is_open()) {
        throw std::runtime_error("Unable to open UCS file");
    }
    std::string header;
    if (!std::getline(stream_, header)) {
        throw std::runtime_error("Missing header");
    }
}

std::optional<CatalogueRecord> CatalogueReader::next() {
    using Separator = boost::escaped_list_separator<char>;
    using Tokenizer = boost::tokenizer<Separator>;
    const Separator separator('\\', '\t', '"');

    std::string line;
    while (std::getline(stream_, line)) {
        CatalogueRecord record;
        float launchMass = 0.0f;
        const Tokenizer fields(line, separator);
        int index = 0;
        for (auto field = fields.begin(); field != fields.end(); ++field, ++index) {
            const std::string text = boost::algorithm::trim_copy(*field);
            switch (index) {
            case 0:
                if (!text.empty()) {
                    record.catalogNumber = parseCatalogNumber(text);
                }
                break;
            case 1:
                record.country = text;
                break;
            case 2:
                record.users = text;
                break;
            case 3:
                record.purpose = text;
                break;
            case 6:
                launchMass = parseMass(text);
                break;
            case 7:
                record.mass = parseMass(text);
                break;
            case 8:
                record.launchDate = parseLaunchDate(text);
                break;
            case 9:
                record.name = text;
                break;
            default:
                break;
            }
        }
        // Most rows publish only the launch mass; the panel then says so.
        if (record.mass <= 0.0f && launchMass > 0.0f) {
            record.mass = launchMass;
            record.massAtLaunch = true;
        }
        if (record.catalogNumber >= 0) {
            return record;
        }
    }
    return std::nullopt;
}

}  // namespace earth
