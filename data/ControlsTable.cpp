#include "data/ControlsTable.h"

#include "data/ResourceRegistry.h"

#include <stdexcept>

namespace earth {

std::vector<ControlRow> parseControls(std::string_view text) {
    std::vector<ControlRow> rows;
    for (int number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line[0] == '#') continue;
        std::string* cells[] = {nullptr, nullptr, nullptr, nullptr};
        ControlRow& row = rows.emplace_back();
        cells[0] = &row.action;
        cells[1] = &row.keyboard;
        cells[2] = &row.mouse;
        cells[3] = &row.controller;
        std::size_t cell = 0;
        for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos && cell < 3;) {
            cells[cell++]->assign(line.substr(0, tab));
            line.remove_prefix(tab + 1);
        }
        if (cell != 3 || line.find('\t') != std::string_view::npos || row.action.empty()) {
            throw std::runtime_error("Malformed controls table line " + std::to_string(number));
        }
        cells[3]->assign(line);
    }
    return rows;
}

const std::vector<ControlRow>& controlsTable() {
    static const std::vector<ControlRow> rows = [] {
        const auto text = findResource("TEXT", "controls");
        if (!text) throw std::runtime_error("Missing text resource controls");
        return parseControls(*text);
    }();
    return rows;
}

}  // namespace earth
