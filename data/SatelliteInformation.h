#pragma once
// Text of a satellite's information panel: its name alone, or its orbital and catalogue facts.

#include "data/Satellite.h"

#include <string>
#include <vector>

namespace earth {

// One line of the panel: a text line or a separator.
struct InformationLine {
    bool separator = false;
    std::string text;  // drawn verbatim (names may hold '%')

    bool operator==(const InformationLine& other) const {
        return separator == other.separator && text == other.text;
    }
};

// Identifier of the satellite's overlay window: its catalogue number in decimal.
std::string informationPanelId(const Satellite& satellite);

// The panel's lines, in order. With nameOnly, the name alone.
std::vector<InformationLine> satelliteInformation(const Satellite& satellite, bool nameOnly);

// The lines joined by line feeds, separators as "---" (logs and tests).
std::string satelliteInformationText(const Satellite& satellite, bool nameOnly);

}  // namespace earth
