#include "ovrlib/Framebuffer.h"

#include <epoxy/gl.h>

#include <stdexcept>
#include <utility>

namespace ovrlib {

Framebuffer::Framebuffer(int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0) throw std::runtime_error("Failed to create framebuffer");
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);

    glGenTextures(1, &colorTexture_);
    glBindTexture(GL_TEXTURE_2D, colorTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    // Kept and deleted with the target, so that eye targets can be rebuilt without leaking.
    glGenRenderbuffers(1, &depthRenderbuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              depthRenderbuffer_);

    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture_, 0);
    const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &drawBuffer);

    const GLenum status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        release();
        throw std::runtime_error("Failed to create framebuffer");
    }
}

Framebuffer::~Framebuffer() { release(); }

Framebuffer::Framebuffer(Framebuffer&& other) noexcept
    : framebuffer_(std::exchange(other.framebuffer_, 0)),
      colorTexture_(std::exchange(other.colorTexture_, 0)),
      depthRenderbuffer_(std::exchange(other.depthRenderbuffer_, 0)),
      width_(other.width_),
      height_(other.height_) {}

Framebuffer& Framebuffer::operator=(Framebuffer&& other) noexcept {
    if (this != &other) {
        release();
        framebuffer_ = std::exchange(other.framebuffer_, 0);
        colorTexture_ = std::exchange(other.colorTexture_, 0);
        depthRenderbuffer_ = std::exchange(other.depthRenderbuffer_, 0);
        width_ = other.width_;
        height_ = other.height_;
    }
    return *this;
}

void Framebuffer::bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width_, height_);
}

void Framebuffer::release() noexcept {
    if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
    if (colorTexture_ != 0) glDeleteTextures(1, &colorTexture_);
    if (depthRenderbuffer_ != 0) glDeleteRenderbuffers(1, &depthRenderbuffer_);
    framebuffer_ = colorTexture_ = depthRenderbuffer_ = 0;
}

}  // namespace ovrlib
