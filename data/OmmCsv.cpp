// OMM as comma-separated values: a header line of field names, then one record per line.
// Fields may be quoted ("A, B" and "" for a quote inside); a record never spans lines.
#include "data/ElementSetReaders.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace earth {
namespace {

// The fields of one line, or nothing when a quote is left open.
std::optional<std::vector<std::string>> splitCsvLine(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                fields.back() += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted) return std::nullopt;
    return fields;
}

}  // namespace

ElementSetText readOmmCsv(std::string_view text) {
    ElementSetText out;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string> header;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty()) continue;

        const auto fields = splitCsvLine(line);
        if (!fields) {
            out.skip(lineNumber, "a quoted field is not closed");
            continue;
        }
        if (header.empty()) {
            for (const std::string& name : *fields) header.emplace_back(trimmed(name));
            continue;
        }
        if (fields->size() != header.size()) {
            out.skip(lineNumber, std::to_string(fields->size()) + " fields where the header has " +
                                     std::to_string(header.size()));
            continue;
        }
        OmmFields record;
        for (std::size_t i = 0; i < header.size(); ++i) {
            if (isOmmFieldRead(header[i])) record[header[i]] = std::string(trimmed((*fields)[i]));
        }
        try {
            out.sets.push_back(elementSetFromOmm(record));
        } catch (const std::exception& e) {
            out.skip(lineNumber, e.what());
        }
    }
    return out;
}

}  // namespace earth
