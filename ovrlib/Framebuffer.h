#pragma once
// An off-screen render target: an RGBA8 colour texture (what the headset runtime receives)
// and a depth renderbuffer. Needs a current GL context to build, bind and destroy.

#include <cstdint>

namespace ovrlib {

class Framebuffer {
public:
    // Throws "Failed to create framebuffer" when the driver reports it incomplete.
    Framebuffer(int width, int height);
    ~Framebuffer();
    Framebuffer(Framebuffer&& other) noexcept;
    Framebuffer& operator=(Framebuffer&& other) noexcept;
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    // Binds to GL_FRAMEBUFFER and sets the viewport to the whole target.
    void bind() const;

    std::uint32_t framebuffer() const { return framebuffer_; }
    std::uint32_t colorTexture() const { return colorTexture_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    void release() noexcept;

    std::uint32_t framebuffer_ = 0;
    std::uint32_t colorTexture_ = 0;
    std::uint32_t depthRenderbuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace ovrlib
