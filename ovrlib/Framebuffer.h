#pragma once
// An off-screen render target: an RGBA8 colour texture (what the headset runtime receives)
// and a depth renderbuffer. Needs a current GL context to build, bind and destroy.

#include "render/GlName.h"

#include <cstdint>

namespace ovrlib {

class Framebuffer {
public:
    // Throws "Failed to create framebuffer" when the driver reports it incomplete.
    Framebuffer(int width, int height);

    // Binds to GL_FRAMEBUFFER and sets the viewport to the whole target.
    void bind() const;

    std::uint32_t framebuffer() const { return framebuffer_[0]; }
    std::uint32_t colorTexture() const { return colorTexture_[0]; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    glcommon::GlNameArray<1> framebuffer_;
    glcommon::GlNameArray<1> colorTexture_;
    // Kept and deleted with the target, so that eye targets can be rebuilt without leaking.
    glcommon::GlNameArray<1> depthRenderbuffer_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace ovrlib
