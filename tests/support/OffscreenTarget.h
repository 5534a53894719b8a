#pragma once
// A framebuffer with colour and depth renderbuffers that GL tests draw into and read back.

#include <cstdint>
#include <string>
#include <vector>

namespace earth::test {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Rgba& o) const { return !(*this == o); }
};

// The state the scene sets once for the whole run: back faces culled (counter-clockwise
// front), depth test, alpha blending.
void enableSceneState();

class OffscreenTarget {
public:
    OffscreenTarget(int width, int height);
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // Binds the framebuffer, sets the viewport and clears to opaque black.
    void begin();
    // Reads the colour buffer; row 0 is the bottom row (GL's convention).
    std::vector<Rgba> read() const;
    // Writes a picture (top row first) for a person to look at when a test fails.
    void writePng(const std::vector<Rgba>& pixels, const std::string& path) const;

    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_;
    int height_;
    unsigned framebuffer_ = 0;
    unsigned colour_ = 0;
    unsigned depth_ = 0;
};

}  // namespace earth::test
