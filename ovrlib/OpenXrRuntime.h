#pragma once
// A real headset through the OpenXR runtime installed on the system (the loader finds it
// through the usual active-runtime manifest, or XR_RUNTIME_JSON). OpenGL on Xlib with the
// window's GLX context, one swapchain per eye; each frame the eye textures are copied into the
// swapchain images and submitted as one projection layer. Poses come from xrLocateViews in a
// LOCAL reference space that recentring recreates around the current head yaw and position.
// The session follows the runtime's states: it begins on READY and ends on STOPPING; while it
// is idle a frame waits for the runtime's events instead of rendering; EXITING or LOSS_PENDING
// asks the window to close, so the program ends as after Escape, releasing the session while
// the GL context is current. The runtime has no health-and-safety notice of ours to show: it
// reports none displayed.

#include "ovrlib/HeadsetRuntime.h"
#include "render/GlName.h"

#include <openxr/openxr.h>

#include <vector>

namespace ovrlib {

class OpenXrRuntime final : public HeadsetRuntime {
public:
    OpenXrRuntime();
    ~OpenXrRuntime() override;

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
    bool noticeDisplayed() override { return false; }
    bool dismissNotice() override { return false; }
    void recenter() override;

    bool sessionRunning() const { return sessionRunning_; }
    // The runtime asked the program to end (EXITING, LOSS_PENDING); the window was asked to
    // close.
    bool exitRequested() const { return exitRequested_; }

private:
    struct EyeSwapchain {
        XrSwapchain handle = XR_NULL_HANDLE;
        std::vector<std::uint32_t> images;
        Sizei size;
    };

    void pollEvents();
    void requestExit();
    bool createSwapchains();
    XrSpace createLocalSpace(const XrPosef& pose) const;

    DeviceDescription description_;
    XrInstance instance_ = XR_NULL_HANDLE;
    XrSystemId system_ = XR_NULL_SYSTEM_ID;
    bool orientationTracking_ = false;
    std::array<XrViewConfigurationView, 2> configViews_{};
    XrSession session_ = XR_NULL_HANDLE;
    XrSessionState sessionState_ = XR_SESSION_STATE_UNKNOWN;
    bool sessionRunning_ = false;
    bool exitRequested_ = false;
    GLFWwindow* window_ = nullptr;
    XrSpace naturalSpace_ = XR_NULL_HANDLE;  // LOCAL as the runtime defines it
    XrSpace localSpace_ = XR_NULL_HANDLE;    // LOCAL moved by recentring; poses are given in it
    XrSpace viewSpace_ = XR_NULL_HANDLE;
    std::array<EyeSwapchain, 2> swapchains_{};
    glcommon::GlNameArray<2> copyFramebuffers_;
    XrFrameState frameState_{};
    XrTime lastDisplayTime_ = 0;
    bool frameBegun_ = false;
    std::uint32_t frameIndex_ = 0;
    std::array<XrView, 2> views_{};
    bool viewsValid_ = false;
};

}  // namespace ovrlib
