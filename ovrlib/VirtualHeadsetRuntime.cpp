#include "ovrlib/VirtualHeadsetRuntime.h"

#include "ovrlib/EyeMath.h"
#include "ovrlib/Letterbox.h"
#include "render/Textures.h"
#include "data/ResourceRegistry.h"
#include "data/Resources.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace ovrlib {
namespace {

// Left eye; the right eye is its mirror image. The outer edge of each eye reaches further
// than the inner one, as behind real lenses.
constexpr FovPort kLeftEyeFov{1.30f, 1.30f, 1.20f, 0.95f};

FovPort mirrored(const FovPort& fov) { return {fov.up, fov.down, fov.right, fov.left}; }

constexpr float kMaxPitch = 80.0f * glm::pi<float>() / 180.0f;
constexpr float kK1 = 0.22f;
constexpr float kK2 = 0.24f;

// The presentation shaders belong to this runtime (embedded through ovrlib/shaders/shaders.txt),
// not to the program's shader catalogue; they are built by the same program builder.
std::string presentationShader(const std::string& name) {
    for (const char* own : {"headset-quad.vsh", "headset-distortion.fsh", "headset-notice.fsh"}) {
        if (name != own) continue;
        if (const auto bytes = earth::findResource("SHADER", name)) return std::string(*bytes);
    }
    throw std::runtime_error("Missing shader");
}

glcommon::ShaderProgram presentationProgram(const std::string& fragment) {
    glcommon::ProgramDescription d;
    d.vertex = "headset-quad.vsh";
    d.fragment = fragment;
    d.sources = presentationShader;
    return glcommon::ShaderProgram(d);
}

}  // namespace

VirtualHeadsetRuntime::VirtualHeadsetRuntime() {
    description_.productName = "Virtual headset";
    description_.extendsDesktop = false;
    description_.resolution = {kDisplayWidth, kDisplayHeight};
    description_.displayDeviceName = "Virtual headset display";
    description_.eyeRenderOrder = {0, 1};
    description_.maxEyeFov = {kLeftEyeFov, mirrored(kLeftEyeFov)};
}

VirtualHeadsetRuntime::~VirtualHeadsetRuntime() = default;

RuntimeStatus VirtualHeadsetRuntime::initialise() { return RuntimeStatus::Ready; }
void VirtualHeadsetRuntime::shutdown() {}

bool VirtualHeadsetRuntime::openDevice() {
    open_ = true;
    return true;
}

void VirtualHeadsetRuntime::closeDevice() { open_ = false; }

bool VirtualHeadsetRuntime::configureTracking() { return open_; }

bool VirtualHeadsetRuntime::configureRendering(GLFWwindow* window,
                                               std::array<EyeRenderDesc, 2>& eyes) {
    if (!open_ || renderingConfigured_) return false;
    // Built into locals first: a throw here leaves nothing that would outlive the context.
    glcommon::ShaderProgram distortion = presentationProgram("headset-distortion.fsh");
    glcommon::ShaderProgram notice = presentationProgram("headset-notice.fsh");
    glcommon::GlNameArray<1> noticeText = glcommon::Texture2D(earth::Image(kNoticeImage), GL_RGB8);
    distortionProgram_ = std::move(distortion);
    noticeProgram_ = std::move(notice);
    noticeTexture_ = std::move(noticeText);
    vertexArray_ = glcommon::GlNameArray<1>(glGenVertexArrays, glDeleteVertexArrays);

    displayTexture_ = glcommon::GlNameArray<1>(glGenTextures, glDeleteTextures);
    glBindTexture(GL_TEXTURE_2D, displayTexture_[0]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kDisplayWidth, kDisplayHeight, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    displayFramebuffer_ = glcommon::GlNameArray<1>(glGenFramebuffers, glDeleteFramebuffers);
    glBindFramebuffer(GL_FRAMEBUFFER, displayFramebuffer_[0]);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, displayTexture_[0],
                           0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    window_ = window;
    renderingConfigured_ = true;
    if (!complete) {
        releaseRendering();
        return false;
    }

    const float sign[2] = {-1.0f, 1.0f};
    for (int eye = 0; eye < 2; ++eye) {
        const FovPort& fov = description_.maxEyeFov[eye];
        eyes[eye].fov = fov;
        eyes[eye].distortedViewport = {kDisplayWidth / 2, kDisplayHeight};
        eyes[eye].pixelsPerTanAngleAtCenter = (kDisplayWidth / 2) / (fov.left + fov.right);
        eyes[eye].hmdToEyeOffset = {sign[eye] * kInterpupillaryDistance / 2, 0.0f, 0.0f};
    }
    return true;
}

void VirtualHeadsetRuntime::releaseRendering() {
    if (!renderingConfigured_) return;
    distortionProgram_ = glcommon::ShaderProgram();
    noticeProgram_ = glcommon::ShaderProgram();
    noticeTexture_.reset();
    vertexArray_.reset();
    displayFramebuffer_.reset();
    displayTexture_.reset();
    window_ = nullptr;
    renderingConfigured_ = false;
}

Sizei VirtualHeadsetRuntime::recommendedTextureSize(int eye, const FovPort& fov,
                                                    float pixelDensity) {
    // One texture pixel per display pixel at the centre at density 1: the maximum field of
    // view fills the eye's half of the display.
    const FovPort& full = description_.maxEyeFov[eye == 1 ? 1 : 0];
    const float perTanX = (kDisplayWidth / 2) / (full.left + full.right);
    const float perTanY = kDisplayHeight / (full.up + full.down);
    const auto pixels = [](float v) { return std::max(1, static_cast<int>(std::lround(v))); };
    return {pixels(pixelDensity * perTanX * (fov.left + fov.right)),
            pixels(pixelDensity * perTanY * (fov.up + fov.down))};
}

glm::mat4 VirtualHeadsetRuntime::projection(const FovPort& fov, float zNear, float zFar) {
    return projectionFromFov(fov, zNear, zFar);
}

void VirtualHeadsetRuntime::turnHead(float yawRadians, float pitchRadians) {
    yaw_ += yawRadians;
    pitch_ = std::clamp(pitch_ + pitchRadians, -kMaxPitch, kMaxPitch);
}

glm::quat VirtualHeadsetRuntime::headOrientation() const {
    return glm::angleAxis(yaw_ - yawOrigin_, glm::vec3(0.0f, 1.0f, 0.0f)) *
           glm::angleAxis(pitch_, glm::vec3(1.0f, 0.0f, 0.0f));
}

void VirtualHeadsetRuntime::followMouse() {
    if (window_ == nullptr) return;
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window_, &x, &y);
    const bool down = glfwGetMouseButton(window_, GLFW_MOUSE_BUTTON_LEFT) == GLFW_PRESS;
    if (down && dragging_) {
        // Dragging right looks right, dragging down looks down.
        turnHead(-static_cast<float>(x - lastCursorX_) * kRadiansPerPixel,
                 -static_cast<float>(y - lastCursorY_) * kRadiansPerPixel);
    }
    dragging_ = down;
    lastCursorX_ = x;
    lastCursorY_ = y;
}

void VirtualHeadsetRuntime::beginFrame(std::uint32_t frameIndex) {
    followMouse();
    frameOpen_ = true;
    openFrameIndex_ = frameIndex;
}

void VirtualHeadsetRuntime::eyePoses(std::uint32_t /*frameIndex*/,
                                     const std::array<glm::vec3, 2>& hmdToEyeOffset,
                                     std::array<Pose, 2>& poses, std::array<FovPort, 2>& fovs) {
    // The head stays at the tracking origin; the eyes sit beside it, turned with it.
    const glm::quat head = headOrientation();
    for (int eye = 0; eye < 2; ++eye) {
        poses[eye].orientation = head;
        poses[eye].position = head * hmdToEyeOffset[eye];
        fovs[eye] = description_.maxEyeFov[eye];
    }
}

void VirtualHeadsetRuntime::drawEye(int eye, const EyeTexture& texture) const {
    const float x0 = eye == 0 ? -1.0f : 0.0f;
    const float x1 = eye == 0 ? 0.0f : 1.0f;
    if (texture.glTexture != 0) {
        glUseProgram(distortionProgram_.id());
        glUniform4f(glGetUniformLocation(distortionProgram_.id(), "area"), x0, -1.0f, x1, 1.0f);
        // The part of the texture that holds the picture.
        const float u = texture.textureSize.width > 0
                            ? float(texture.viewportSize.width) / texture.textureSize.width
                            : 1.0f;
        const float v = texture.textureSize.height > 0
                            ? float(texture.viewportSize.height) / texture.textureSize.height
                            : 1.0f;
        glUniform2f(glGetUniformLocation(distortionProgram_.id(), "pictureScale"), u, v);
        glUniform2f(glGetUniformLocation(distortionProgram_.id(), "lensCentre"), 0.5f, 0.5f);
        glUniform2f(glGetUniformLocation(distortionProgram_.id(), "coefficients"), kK1, kK2);
        glUniform1i(glGetUniformLocation(distortionProgram_.id(), "eyeTexture"), 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture.glTexture);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    if (noticeVisible()) {
        glUseProgram(noticeProgram_.id());
        const float cx = (x0 + x1) / 2.0f;
        glUniform4f(glGetUniformLocation(noticeProgram_.id(), "area"), cx - 0.35f, -0.3f, cx + 0.35f,
                    0.3f);
        glUniform1i(glGetUniformLocation(noticeProgram_.id(), "notice"), 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, noticeTexture_[0]);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void VirtualHeadsetRuntime::endFrame(std::uint32_t frameIndex, const std::array<Pose, 2>& /*poses*/,
                                     const std::array<EyeTexture, 2>& textures) {
    if (!frameOpen_ || frameIndex != openFrameIndex_ || !renderingConfigured_) return;
    frameOpen_ = false;

    const GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean cull = glIsEnabled(GL_CULL_FACE);
    const GLboolean blend = glIsEnabled(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);

    // The notice appears with the first picture the headset shows.
    noticeShown_ = true;
    // A window of the display's own size (the program's) receives the picture directly; any
    // other gets it scaled from the display texture, which tests can read back. The copy costs
    // a full-display pass, about an eighth of the presentation on a software rasteriser.
    int width = 0;
    int height = 0;
    if (window_ != nullptr) glfwGetFramebufferSize(window_, &width, &height);
    presentedDirectly_ = width == kDisplayWidth && height == kDisplayHeight;
    glBindFramebuffer(GL_FRAMEBUFFER, presentedDirectly_ ? 0 : displayFramebuffer_[0]);
    glViewport(0, 0, kDisplayWidth, kDisplayHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindVertexArray(vertexArray_[0]);
    for (int eye = 0; eye < 2; ++eye) drawEye(eye, textures[eye]);
    glBindVertexArray(0);
    glUseProgram(0);

    if (!presentedDirectly_ && width > 0 && height > 0) {
        // A window of another shape shows the whole display unstretched, between black bars.
        const PixelRect to = letterbox({kDisplayWidth, kDisplayHeight}, {width, height});
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
        glClear(GL_COLOR_BUFFER_BIT);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, displayFramebuffer_[0]);
        glBlitFramebuffer(0, 0, kDisplayWidth, kDisplayHeight, to.x, to.y, to.x + to.width,
                          to.y + to.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    if (depth) glEnable(GL_DEPTH_TEST);
    if (cull) glEnable(GL_CULL_FACE);
    if (blend) glEnable(GL_BLEND);
    if (window_ != nullptr) glfwSwapBuffers(window_);
    ++framesPresented_;
}

bool VirtualHeadsetRuntime::dismissNotice() {
    if (!noticeShown_) return false;
    noticeDismissed_ = true;
    return true;
}

void VirtualHeadsetRuntime::recenter() { yawOrigin_ = yaw_; }

std::vector<std::uint8_t> VirtualHeadsetRuntime::readDisplay() const {
    std::vector<std::uint8_t> pixels;
    if (!renderingConfigured_ || presentedDirectly_) return pixels;
    pixels.resize(std::size_t(kDisplayWidth) * kDisplayHeight * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, displayFramebuffer_[0]);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kDisplayWidth, kDisplayHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return pixels;
}

}  // namespace ovrlib
