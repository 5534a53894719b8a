#pragma once
// Headset mode: the runtime guard, the opened device, its rendering configuration bound to
// the two eye textures, and one frame of eye rendering.
//
// Life of the objects (the order matters: the runtime renders with the program's GL context):
//   run():   HeadsetContext context;              // OpenXR if installed, else the virtual headset
//            Headset headset(&context);           // opens the device (virtual if none connected)
//            window = createWindow(&headset...)   // headset.resolution(), extendsDesktop()
//   Scene:   renderState = headset.makeRenderState(window);
//            eyeFramebuffers: Framebuffer(renderState->eyeTextureSize[e]) for e = 0, 1
//            boundRenderState = renderState->bind(fb[0].colorTexture(), fb[1].colorTexture());
//            headset.recenter();
//   frame:   on the first key or button press  headset.dismissNotice();
//            while the recentre control is down headset.recenter();
//            Gaze gaze = renderHeadsetFrame(*boundRenderState, headset, eyeFramebuffers,
//                                           frameIndex, camera, drawScene);
//   teardown: the scene drops boundRenderState, the framebuffers and renderState while the
//            context is current (this releases the runtime's swapchains and session), then the
//            window goes, then headset, then context (the runtime shuts down last).

#include "ovrlib/EyeMath.h"
#include "ovrlib/Framebuffer.h"
#include "ovrlib/HeadsetRuntime.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct GLFWwindow;

namespace ovrlib {

// Existence means a runtime is initialised. Owns the runtime back-end.
class HeadsetContext {
public:
    using RuntimeFactory = std::function<std::unique_ptr<HeadsetRuntime>()>;

    // OpenXR when a runtime is installed, else the virtual headset. Throws "Failed to
    // initialize headset runtime" when an installed runtime will not start.
    HeadsetContext();
    // A given back-end and the one to fall back on when it has no runtime or no device.
    HeadsetContext(std::unique_ptr<HeadsetRuntime> runtime, RuntimeFactory fallback);
    ~HeadsetContext();
    HeadsetContext(const HeadsetContext&) = delete;
    HeadsetContext& operator=(const HeadsetContext&) = delete;

    HeadsetRuntime& runtime() { return *runtime_; }
    bool usingFallback() const { return usingFallback_; }
    // Replaces the back-end by the fallback (initialised); false when there is none left.
    bool switchToFallback();

private:
    std::unique_ptr<HeadsetRuntime> runtime_;
    RuntimeFactory fallback_;
    bool usingFallback_ = false;
};

class GlRenderState;

// The opened device. The context must outlive it.
class Headset {
public:
    // Opens device 0, or the fallback's device when none is connected. Throws "Failed to
    // initialize headset" or "Unable to configure tracking".
    explicit Headset(HeadsetContext* context);
    ~Headset();
    Headset(const Headset&) = delete;
    Headset& operator=(const Headset&) = delete;

    // Dismisses the health-and-safety notice once it is shown; later calls do nothing.
    void dismissNotice();
    void recenter();
    // The window's context must be current.
    std::shared_ptr<GlRenderState> makeRenderState(GLFWwindow* window);

    HeadsetRuntime* hmd() const { return hmd_; }
    bool noticeDismissed() const { return noticeDismissed_; }
    const DeviceDescription& description() const { return hmd_->description(); }
    bool extendsDesktop() const { return description().extendsDesktop; }
    Sizei resolution() const { return description().resolution; }
    const std::string& displayDeviceName() const { return description().displayDeviceName; }
    std::array<int, 2> eyeRenderOrder() const { return description().eyeRenderOrder; }

private:
    HeadsetRuntime* hmd_ = nullptr;
    bool noticeDismissed_ = false;
};

class BoundGlRenderState;

// The runtime configured to render with the window's GL context. Destroying it gives the
// runtime's rendering resources back, so it must go while the context is still current.
class GlRenderState : public std::enable_shared_from_this<GlRenderState> {
public:
    // Throws "Unable to configure rendering".
    GlRenderState(HeadsetRuntime* hmd, GLFWwindow* window);
    ~GlRenderState();
    GlRenderState(const GlRenderState&) = delete;
    GlRenderState& operator=(const GlRenderState&) = delete;

    std::shared_ptr<BoundGlRenderState> bind(std::uint32_t leftTexture, std::uint32_t rightTexture);

    HeadsetRuntime* hmd = nullptr;
    std::array<EyeRenderDesc, 2> eyeRenderDesc{};
    std::array<glm::vec3, 2> hmdToEyeOffset{};
    std::array<Sizei, 2> eyeTextureSize{};
    // Column-major, ready for the renderers; near 0.2, far 100.
    std::array<glm::mat4, 2> eyeProjection{glm::mat4(1.0f), glm::mat4(1.0f)};
};

class EyeFrame;

class BoundGlRenderState {
public:
    BoundGlRenderState(GlRenderState* state, std::uint32_t leftTexture, std::uint32_t rightTexture);
    // Begins one headset frame; destroying the frame ends it and presents both eyes.
    std::unique_ptr<EyeFrame> beginFrame(std::uint32_t frameIndex);

    GlRenderState* state = nullptr;  // not owned; the scene keeps it alive longer
    std::array<EyeTexture, 2> eyeTexture{};
    HeadsetRuntime* hmd = nullptr;
};

class EyeFrame {
public:
    EyeFrame(BoundGlRenderState* bound, std::uint32_t frameIndex);
    ~EyeFrame();
    EyeFrame(const EyeFrame&) = delete;
    EyeFrame& operator=(const EyeFrame&) = delete;

    // This frame's projection for an eye (the runtime may vary the field of view per frame).
    const glm::mat4& projection(int eye) const { return projection_[eye]; }

    BoundGlRenderState* bound = nullptr;
    std::uint32_t frameIndex = 0;
    std::array<Pose, 2> eyePose{};

private:
    std::array<glm::mat4, 2> projection_{};
};

inline constexpr float kEyeNear = 0.2f;
inline constexpr float kEyeFar = 100.0f;

using DrawScene =
    std::function<void(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& sky)>;

// One headset frame: begins it, binds each eye's target in the device's preferred order and
// draws it, then ends the frame (the runtime presents). `eyeFramebuffers` holds the targets
// bound into `bound`, index 0 left. Returns the viewer's line of sight for gaze selection.
Gaze renderHeadsetFrame(BoundGlRenderState& bound, const Headset& headset,
                        const std::vector<Framebuffer>& eyeFramebuffers, std::uint32_t frameIndex,
                        const EyeCamera& camera, const DrawScene& drawScene);

}  // namespace ovrlib
