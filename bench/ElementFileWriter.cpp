#include "ElementFileWriter.h"

#include "data/Catalogue.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

namespace earth::bench {
namespace {

std::string format(const char* pattern, double a, double b = 0, double c = 0, double d = 0,
                   double e = 0, double f = 0) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c, d, e, f);
    return text;
}

// The OMM fields of a set, as text.
std::vector<std::pair<std::string, std::string>> fieldsOf(const TleRecord& r) {
    const int year = fullEpochYear(r.epochYear);
    const double day = std::floor(r.epochDay);
    const double seconds = (r.epochDay - day) * 86400.0;
    // Day of the year to month and day, through a date of the year.
    const auto date = boost::gregorian::date(year, 1, 1) + boost::gregorian::days(long(day) - 1);
    // Every field a catalogue's general-perturbations file carries, so that the sizes are
    // those of real files (about 700 bytes per record as JSON).
    return {{"CCSDS_OMM_VERS", "2.0"},
            {"COMMENT", "GENERATED FOR A BENCHMARK"},
            {"CREATION_DATE", "2014-11-21T00:00:00"},
            {"ORIGINATOR", "18 SPCS"},
            {"OBJECT_NAME", r.name},
            {"OBJECT_ID", "1998-067A"},
            {"CENTER_NAME", "EARTH"},
            {"REF_FRAME", "TEME"},
            {"TIME_SYSTEM", "UTC"},
            {"MEAN_ELEMENT_THEORY", "SGP4"},
            {"EPOCH", format("%04.0f-%02.0f-%02.0fT", year, date.month(), date.day()) +
                          format("%02.0f:%02.0f:%09.6f", std::floor(seconds / 3600),
                                 std::floor(std::fmod(seconds, 3600) / 60), std::fmod(seconds, 60))},
            {"MEAN_MOTION", format("%.8f", r.meanMotion)},
            {"ECCENTRICITY", format("%.7f", r.eccentricity)},
            {"INCLINATION", format("%.4f", r.inclination)},
            {"RA_OF_ASC_NODE", format("%.4f", r.raan)},
            {"ARG_OF_PERICENTER", format("%.4f", r.argumentOfPerigee)},
            {"MEAN_ANOMALY", format("%.4f", r.meanAnomaly)},
            {"EPHEMERIS_TYPE", "0"},
            {"CLASSIFICATION_TYPE", "U"},
            {"NORAD_CAT_ID", std::to_string(r.catalogNumber)},
            {"ELEMENT_SET_NO", "999"},
            {"REV_AT_EPOCH", "12345"},
            {"BSTAR", "0.00010525"},
            {"MEAN_MOTION_DOT", "0.0000649"},
            {"MEAN_MOTION_DDOT", "0"},
            {"SEMIMAJOR_AXIS", "6780.123"},
            {"PERIOD", "92.654"},
            {"APOAPSIS", "420.123"},
            {"PERIAPSIS", "410.456"},
            {"OBJECT_TYPE", "PAYLOAD"},
            {"RCS_SIZE", "LARGE"},
            {"COUNTRY_CODE", "ISS"},
            {"LAUNCH_DATE", "1998-11-20"},
            {"SITE", "TTMTR"},
            {"DECAY_DATE", ""},
            {"FILE", "4471234"},
            {"GP_ID", "270912345"},
            {"TLE_LINE0", "0 " + r.name}};
}

}  // namespace

static const std::vector<TleRecord>& embeddedSets() {
    static const std::vector<TleRecord> base = [] {
        std::map<std::int32_t, TleRecord> unique;
        for (const auto& [name, id] : categoryTable) {
            TleReader reader(id);
            while (auto record = reader.next()) unique.emplace(record->catalogNumber, *record);
        }
        std::vector<TleRecord> out;
        for (auto& [number, record] : unique) out.push_back(record);
        return out;
    }();
    return base;
}

std::size_t embeddedSetCount() { return embeddedSets().size(); }

std::vector<TleRecord> syntheticSets(std::size_t count) {
    const std::vector<TleRecord>& base = embeddedSets();
    std::vector<TleRecord> sets;
    sets.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        TleRecord r = base[i % base.size()];
        const std::size_t repetition = i / base.size();
        r.catalogNumber = static_cast<std::int32_t>(i + 1);
        r.meanAnomaly = static_cast<float>(std::fmod(r.meanAnomaly + 137.5 * repetition, 360.0));
        sets.push_back(r);
    }
    return sets;
}

std::string elementFileText(const std::vector<TleRecord>& sets, ElementFormat kind) {
    std::string text;
    if (kind == ElementFormat::Tle) {
        for (const TleRecord& r : sets) {
            text += r.name + "\n";
            text += format("1 %05.0fU 98067A   %02.0f%012.8f  .00000000  00000-0  00000-0 0  999",
                           r.catalogNumber, r.epochYear, r.epochDay) + "0\n";
            std::string e = format("%.7f", r.eccentricity).substr(2);
            text += format("2 %05.0f %8.4f %8.4f ", r.catalogNumber, r.inclination, r.raan) + e +
                    format(" %8.4f %8.4f %11.8f    10", r.argumentOfPerigee, r.meanAnomaly,
                           r.meanMotion) + "\n";
        }
        return text;
    }
    const auto header = fieldsOf(sets.front());
    if (kind == ElementFormat::OmmCsv) {
        for (const auto& [key, value] : header) text += (text.empty() ? "" : ",") + key;
        text += "\n";
    }
    text += kind == ElementFormat::OmmJson ? "[\n" : kind == ElementFormat::OmmXml ? "<ndm>\n" : "";
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const auto fields = fieldsOf(sets[i]);
        std::string line;
        for (const auto& [key, value] : fields) {
            const bool text_ = !(key == "MEAN_MOTION" || key == "ECCENTRICITY" ||
                                 key == "INCLINATION" || key == "RA_OF_ASC_NODE" ||
                                 key == "ARG_OF_PERICENTER" || key == "MEAN_ANOMALY" ||
                                 key == "NORAD_CAT_ID" || key == "BSTAR");
            if (kind == ElementFormat::OmmCsv) {
                line += (line.empty() ? "\"" : ",\"") + value + "\"";
            } else if (kind == ElementFormat::OmmJson) {
                line += std::string(line.empty() ? "{\"" : ", \"") + key + "\": " +
                        (text_ ? "\"" + value + "\"" : value);
            } else {
                line += "  <" + key + ">" + value + "</" + key + ">\n";
            }
        }
        if (kind == ElementFormat::OmmJson) line += i + 1 < sets.size() ? "},\n" : "}\n";
        if (kind == ElementFormat::OmmXml) line = " <omm><body><segment>\n" + line + " </segment></body></omm>\n";
        if (kind == ElementFormat::OmmCsv) line += "\n";
        text += line;
    }
    text += kind == ElementFormat::OmmJson ? "]\n" : kind == ElementFormat::OmmXml ? "</ndm>\n" : "";
    return text;
}

std::string writeElementFile(const std::vector<TleRecord>& sets, ElementFormat kind,
                             const std::string& stem) {
    const char* extension = kind == ElementFormat::Tle       ? ".txt"
                            : kind == ElementFormat::OmmCsv  ? ".csv"
                            : kind == ElementFormat::OmmJson ? ".json"
                                                             : ".xml";
    const auto path = std::filesystem::temp_directory_path() / (stem + extension);
    std::ofstream(path, std::ios::binary) << elementFileText(sets, kind);
    return path.string();
}

}  // namespace earth::bench
