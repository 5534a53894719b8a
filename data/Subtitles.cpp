#include "data/Subtitles.h"

namespace earth {

std::vector<NarrationLine> narrationLines(std::string_view text) {
    std::vector<NarrationLine> lines;
    bool blankBefore = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos) {
            blankBefore = !lines.empty();
            continue;
        }
        line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
        lines.push_back(NarrationLine{line, blankBefore});
        blankBefore = false;
    }
    return lines;
}

std::size_t subtitleAt(const std::vector<NarrationLine>& lines, double position, double length,
                       const NarrationPauses& pauses) {
    if (lines.empty() || !(length > 0.0)) return std::string_view::npos;
    auto gapBefore = [&](std::size_t i) {
        return i == 0 ? 0.0 : lines[i].opensParagraph ? pauses.betweenParagraphs : pauses.betweenLines;
    };
    double silent = pauses.leadIn + pauses.tail;
    double letters = 0.0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        silent += gapBefore(i);
        letters += static_cast<double>(lines[i].text.size());
    }
    if (letters == 0.0) letters = 1.0;
    const bool paused = silent < length;
    const double perLetter = (paused ? length - silent : length) / letters;
    double t = paused ? pauses.leadIn : 0.0;
    std::size_t shown = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double gap = paused ? gapBefore(i) : 0.0;
        if (i > 0 && position >= t + gap / 2.0) shown = i;
        t += gap + perLetter * static_cast<double>(lines[i].text.size());
    }
    return shown;
}

}  // namespace earth
