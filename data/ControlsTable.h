#pragma once
// The table of controls ("TEXT" resource "controls", resources/controls.tsv): one source for
// the in-program help, the exploration splash and the README.

#include <string>
#include <string_view>
#include <vector>

namespace earth {

struct ControlRow {
    std::string action;
    std::string keyboard;  // any cell may be empty: no such control
    std::string mouse;
    std::string controller;
};

// Lines of four tab-separated cells; blank lines and lines starting with '#' are skipped.
// Throws std::runtime_error "Malformed controls table line N" for another number of cells.
std::vector<ControlRow> parseControls(std::string_view text);

// The embedded table; throws "Missing text resource controls" when it is not embedded.
const std::vector<ControlRow>& controlsTable();

}  // namespace earth
