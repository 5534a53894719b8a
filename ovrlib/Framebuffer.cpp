#include "ovrlib/Framebuffer.h"

#include <epoxy/gl.h>

#include <stdexcept>

namespace ovrlib {

Framebuffer::Framebuffer(int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0) throw std::runtime_error("Failed to create framebuffer");
    framebuffer_ = glcommon::GlNameArray<1>(glGenFramebuffers, glDeleteFramebuffers);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_[0]);

    colorTexture_ = glcommon::GlNameArray<1>(glGenTextures, glDeleteTextures);
    glBindTexture(GL_TEXTURE_2D, colorTexture_[0]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    depthRenderbuffer_ = glcommon::GlNameArray<1>(glGenRenderbuffers, glDeleteRenderbuffers);
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer_[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              depthRenderbuffer_[0]);

    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture_[0],
                           0);
    const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &drawBuffer);

    const GLenum status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // The names built so far die with the members.
    if (status != GL_FRAMEBUFFER_COMPLETE) throw std::runtime_error("Failed to create framebuffer");
}

void Framebuffer::bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_[0]);
    glViewport(0, 0, width_, height_);
}

}  // namespace ovrlib
