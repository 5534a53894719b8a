#pragma once
// Readers of the element-set files that users bring: two- and three-line sets, and the Orbit
// Mean-elements Message (OMM) as CSV, JSON and XML. Unlike the reader of the embedded files
// they skip a malformed record, note why and on which line, and go on.

#include "data/TleReader.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace earth {

struct SkippedRecord {
    std::size_t line = 0;  // 1-based line of the file where the record starts
    std::string reason;
};

struct ElementSetText {
    std::vector<TleRecord> sets;  // every set that passed checkElementSet, in file order
    std::vector<SkippedRecord> skipped;  // the first maxNotedSkips of them
    std::size_t skippedCount = 0;        // all of them

    static constexpr std::size_t maxNotedSkips = 20;
    void skip(std::size_t line, std::string reason);
};

enum class ElementFormat { Unknown, Tle, OmmCsv, OmmJson, OmmXml };

// The format of a file from its first bytes (a byte-order mark and leading blanks aside):
// "[" or "{" JSON, "<" XML, a header line naming OMM fields CSV, an element line 1 followed
// by a line 2 among the first lines two- or three-line sets.
ElementFormat detectElementFormat(std::string_view head);

ElementSetText readTleText(std::string_view text);
ElementSetText readOmmCsv(std::string_view text);
ElementSetText readOmmJson(std::string_view text);
ElementSetText readOmmXml(std::string_view text);
ElementSetText readElementText(ElementFormat format, std::string_view text);

// One OMM record as field name to text. Throws with the reason when a required field is
// missing or does not convert, or the orbit fails checkElementSet.
using OmmFields = std::map<std::string, std::string, std::less<>>;
TleRecord elementSetFromOmm(const OmmFields& fields);
// Whether elementSetFromOmm reads the field; readers keep only those (a record of a
// catalogue's file carries some forty).
bool isOmmFieldRead(std::string_view name);

// Text without leading and trailing white space (ASCII).
inline std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' ||
                                           c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// Where text parsers lose the line: 1-based line of a byte offset.
class LineIndex {
public:
    explicit LineIndex(std::string_view text);
    std::size_t lineOf(std::size_t offset) const;

private:
    std::vector<std::size_t> newlines_;
};

}  // namespace earth
