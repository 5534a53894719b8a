// The embedded texts: the controls table that the help and the splash show, which the README
// must repeat, and a subtitle text for every narration track.
#include "data/ControlsTable.h"
#include "data/ResourceRegistry.h"
#include "data/Subtitles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace earth {
namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

TEST(Texts, TheReadmeListsTheControlsOfTheHelp) {
    std::ifstream readme(std::string(ORBITARIUM_SOURCE_DIR) + "/README.md");
    std::vector<std::vector<std::string>> rows;
    bool inSection = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("## ", 0) == 0) inSection = line == "## Controls";
        if (!inSection || line.rfind("| ", 0) != 0) continue;
        std::vector<std::string> cells;
        for (std::size_t at = 1, bar; (bar = line.find('|', at)) != std::string::npos; at = bar + 1) {
            cells.push_back(trim(line.substr(at, bar - at)));
        }
        rows.push_back(cells);
    }
    const std::vector<ControlRow>& controls = controlsTable();
    ASSERT_EQ(rows.size(), controls.size() + 1) << "the table and its head";
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlRow& c = controls[i];
        EXPECT_EQ(rows[i + 1], (std::vector<std::string>{c.action, c.keyboard, c.mouse, c.controller}));
    }
}

TEST(Texts, MalformedControlsAreReportedByLine) {
    EXPECT_EQ(parseControls("# head\n\nA\tb\t\t\r\n").size(), 1u);
    for (const char* text : {"A\tb\tc\n", "# x\nA\tb\tc\td\te\n", "\tb\tc\td\n"}) {
        EXPECT_THROW(parseControls(text), std::runtime_error) << text;
    }
    EXPECT_THROW(
        try { parseControls("# x\nA\tb\tc\td\nA\tb\n"); } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Malformed controls table line 3");
            throw;
        },
        std::runtime_error);
}

TEST(Texts, EveryNarrationTrackHasItsSubtitles) {
    for (int id : {106, 116, 121, 126, 146, 151, 156, 161, 171, 181, 186, 196, 206, 216, 226, 251,
                   261, 266}) {
        ASSERT_TRUE(findResource("OGG", std::to_string(id))) << id;
        const auto text = findResource("TEXT", std::to_string(id));
        ASSERT_TRUE(text) << id;
        EXPECT_FALSE(narrationLines(*text).empty()) << id;
    }
}

}  // namespace
}  // namespace earth
