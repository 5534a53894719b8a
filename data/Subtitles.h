#pragma once
// Subtitles of the narration: the lines of a narration text and which of them is being spoken
// at a position of its track.

#include <cstddef>
#include <string_view>
#include <vector>

namespace earth {

// One spoken line of a narration text (one sentence or a short group), views into the text.
struct NarrationLine {
    std::string_view text;
    bool opensParagraph = false;  // a blank line comes before it (never for the first)
};

// The non-blank lines of `text`, trimmed of spaces and carriage returns.
std::vector<NarrationLine> narrationLines(std::string_view text);

// The tracks are made by speaking each line on its own and joining the pieces with fixed
// pauses (tools/audio/make_audio.py): these pauses, in seconds.
struct NarrationPauses {
    double leadIn = 0.35;
    double betweenLines = 0.40;
    double betweenParagraphs = 0.85;
    double tail = 0.60;
};

// The line to show at `position` seconds into a track of `length` seconds: the speaking time
// (the length less the pauses) is shared among the lines in proportion to their lengths, and
// the subtitle changes halfway through the pause before the next line. A track too short for
// its pauses shares its whole length that way. npos for no lines or a track without length.
std::size_t subtitleAt(const std::vector<NarrationLine>& lines, double position, double length,
                       const NarrationPauses& pauses = NarrationPauses{});

}  // namespace earth
