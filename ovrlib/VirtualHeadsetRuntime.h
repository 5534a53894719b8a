#pragma once
// A simulated headset for machines without one: a 2160x1200 display split into two eyes side
// by side, shown in the program's window. Presenting a frame bends each eye's picture with a
// lens-style barrel distortion; the health-and-safety notice covers both eyes from the first
// presented frame until it is dismissed. The head stays at the tracking origin; dragging with
// the left mouse button turns it so the mode can be tried on a desktop.

#include "ovrlib/HeadsetRuntime.h"
#include "render/GlName.h"
#include "render/ShaderProgram.h"

#include <cstdint>
#include <vector>

namespace ovrlib {

class VirtualHeadsetRuntime final : public HeadsetRuntime {
public:
    static constexpr std::uint16_t kNoticeImage = 604;
    static constexpr int kDisplayWidth = 2160;
    static constexpr int kDisplayHeight = 1200;
    static constexpr float kInterpupillaryDistance = 0.064f;  // metres
    static constexpr float kRadiansPerPixel = 0.005f;          // mouse drag

    VirtualHeadsetRuntime();
    ~VirtualHeadsetRuntime() override;

    RuntimeStatus initialise() override;
    void shutdown() override;
    bool openDevice() override;
    void closeDevice() override;
    const DeviceDescription& description() const override { return description_; }
    bool configureTracking() override;
    bool configureRendering(GLFWwindow* window, std::array<EyeRenderDesc, 2>& eyes) override;
    void releaseRendering() override;
    Sizei recommendedTextureSize(int eye, const FovPort& fov, float pixelDensity) override;
    glm::mat4 projection(const FovPort& fov, float zNear, float zFar) override;
    void beginFrame(std::uint32_t frameIndex) override;
    void eyePoses(std::uint32_t frameIndex, const std::array<glm::vec3, 2>& hmdToEyeOffset,
                  std::array<Pose, 2>& poses, std::array<FovPort, 2>& fovs) override;
    void endFrame(std::uint32_t frameIndex, const std::array<Pose, 2>& poses,
                  const std::array<EyeTexture, 2>& textures) override;
    bool noticeDisplayed() override { return noticeVisible(); }
    bool noticeVisible() const { return noticeShown_ && !noticeDismissed_; }
    bool dismissNotice() override;
    void recenter() override;

    // Turns the simulated head (what a mouse drag does); pitch stays within +-80 degrees.
    void turnHead(float yawRadians, float pitchRadians);
    glm::quat headOrientation() const;
    // The picture last presented, RGBA rows bottom-up, kDisplayWidth x kDisplayHeight; empty
    // when it went straight into a window of the display's size (nothing keeps it then).
    std::vector<std::uint8_t> readDisplay() const;
    std::uint32_t framesPresented() const { return framesPresented_; }

private:
    void followMouse();
    void drawEye(int eye, const EyeTexture& texture) const;

    DeviceDescription description_;
    bool open_ = false;
    GLFWwindow* window_ = nullptr;
    bool renderingConfigured_ = false;
    glcommon::ShaderProgram distortionProgram_;
    glcommon::ShaderProgram noticeProgram_;
    glcommon::GlNameArray<1> noticeTexture_;  // the notice's text, an embedded image
    glcommon::GlNameArray<1> vertexArray_;
    glcommon::GlNameArray<1> displayFramebuffer_;
    glcommon::GlNameArray<1> displayTexture_;

    float yaw_ = 0.0f;
    float pitch_ = 0.0f;
    float yawOrigin_ = 0.0f;
    bool dragging_ = false;
    double lastCursorX_ = 0.0;
    double lastCursorY_ = 0.0;

    bool frameOpen_ = false;
    std::uint32_t openFrameIndex_ = 0;
    std::uint32_t framesPresented_ = 0;
    bool noticeShown_ = false;
    bool noticeDismissed_ = false;
    bool presentedDirectly_ = false;
};

}  // namespace ovrlib
