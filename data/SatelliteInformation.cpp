#include "data/SatelliteInformation.h"

#include "data/OrbitGeometry.h"

#include <boost/date_time/gregorian/gregorian.hpp>

#include <cstdarg>
#include <cstdio>

namespace earth {
namespace {

// Altitudes are shown above the world-scale sphere, not the 6 371 km of the orbit class.
constexpr float earthRadius = orbit::earthRadius;
constexpr float pi = orbit::pi;

InformationLine text(const char* format, ...) __attribute__((format(printf, 1, 2)));

InformationLine text(const char* format, ...) {
    char buffer[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    return {false, buffer};
}

InformationLine separator() { return {true, std::string()}; }

}  // namespace

std::string informationPanelId(const Satellite& satellite) {
    return std::to_string(satellite.catalogNumber);
}

std::vector<InformationLine> satelliteInformation(const Satellite& satellite, bool nameOnly) {
    if (nameOnly) {
        return {InformationLine{false, satellite.name}};
    }
    std::vector<InformationLine> lines;
    // The name is not formatted, so that it holds any length and any '%' as written.
    lines.push_back({false, "Name:    " + satellite.name});
    lines.push_back(separator());
    lines.push_back(text("Apogee:  %.2fkm", (satellite.apogeeRadius - earthRadius) / 1000.0f));
    lines.push_back(text("Perigee: %.2fkm", (satellite.perigeeRadius - earthRadius) / 1000.0f));
    lines.push_back(text("Inclin.: %.2fdeg", satellite.inclination / pi * 180.0f));
    lines.push_back(text("RAAN:    %.2fdeg", satellite.raan / pi * 180.0f));
    lines.push_back(text("Eccen.:  %.6f", satellite.eccentricity));
    lines.push_back(separator());
    lines.push_back(text("Period:  %.2fsec", satellite.period));
    if (satellite.mass > 0.0f) {
        lines.push_back(text(satellite.massAtLaunch ? "Mass:    %.2fkg at launch" : "Mass:    %.2fkg",
                             satellite.mass));
    }
    if (!satellite.country.empty() || satellite.launchDate) {
        lines.push_back(separator());
        if (!satellite.country.empty()) {
            lines.push_back({false, "Country: " + satellite.country});
        }
        if (satellite.launchDate) {
            lines.push_back(
                {false, "Launch:  " + boost::gregorian::to_simple_string(*satellite.launchDate)});
        }
        // Who uses it and what for, as the catalogue table says ("Government / Navigation").
        if (!satellite.users.empty() || !satellite.purpose.empty()) {
            const char* joint = satellite.users.empty() || satellite.purpose.empty() ? "" : " / ";
            lines.push_back({false, "Use:     " + satellite.users + joint + satellite.purpose});
        }
    }
    return lines;
}

std::string satelliteInformationText(const Satellite& satellite, bool nameOnly) {
    std::string joined;
    for (const InformationLine& line : satelliteInformation(satellite, nameOnly)) {
        if (!joined.empty()) {
            joined += '\n';
        }
        joined += line.separator ? std::string("---") : line.text;
    }
    return joined;
}

}  // namespace earth
