#pragma once
// The small interface through which the headset classes talk to a headset runtime. Two
// back-ends implement it: OpenXrRuntime (a real headset through an installed OpenXR runtime)
// and VirtualHeadsetRuntime (a simulated device that presents into the program's window).
// Everything is called from the main thread; the GL calls happen with the program's context
// current.

#include <glm/gtc/quaternion.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <array>
#include <cstdint>
#include <string>

struct GLFWwindow;

namespace ovrlib {

// Half-angles of a view as tangents, each positive when that edge lies outward of the view
// axis (left and down included). Asymmetric for real lenses.
struct FovPort {
    float up = 1.0f;
    float down = 1.0f;
    float left = 1.0f;
    float right = 1.0f;
};

// Metres and a unit quaternion in the tracking space: x right, y up, z towards the viewer.
struct Pose {
    glm::quat orientation{1.0f, 0.0f, 0.0f, 0.0f};  // glm order: w, x, y, z
    glm::vec3 position{0.0f};
};

struct Sizei {
    int width = 0;
    int height = 0;
};

struct DeviceDescription {
    std::string productName;
    // When set the headset is an ordinary monitor of the desktop; when clear the runtime
    // drives its display itself and the program's window is just a window.
    bool extendsDesktop = false;
    Sizei resolution;
    std::string displayDeviceName;
    std::array<int, 2> eyeRenderOrder{0, 1};
    std::array<FovPort, 2> maxEyeFov;
};

struct EyeRenderDesc {
    FovPort fov;
    Sizei distortedViewport;
    float pixelsPerTanAngleAtCenter = 0.0f;
    glm::vec3 hmdToEyeOffset{0.0f};
};

// The colour texture of one eye and the part of it that holds the picture.
struct EyeTexture {
    std::uint32_t glTexture = 0;
    Sizei textureSize;
    Sizei viewportSize;
};

enum class RuntimeStatus {
    Ready,
    NoRuntime,  // nothing installed to talk to: the normal case of "no headset connected"
    Failed,     // a runtime is there but would not start
};

class HeadsetRuntime {
public:
    virtual ~HeadsetRuntime() = default;

    virtual RuntimeStatus initialise() = 0;
    // Called last, after the device is closed.
    virtual void shutdown() = 0;

    // False when no headset is connected.
    virtual bool openDevice() = 0;
    virtual void closeDevice() = 0;
    virtual const DeviceDescription& description() const = 0;

    virtual bool configureTracking() = 0;
    // The window's GL context is current. Fills both per-eye descriptions.
    virtual bool configureRendering(GLFWwindow* window, std::array<EyeRenderDesc, 2>& eyes) = 0;
    // Gives back everything configureRendering made (swapchains, sessions, GL objects);
    // the window's context is still current.
    virtual void releaseRendering() = 0;

    virtual Sizei recommendedTextureSize(int eye, const FovPort& fov, float pixelDensity) = 0;
    // Column-major, right-handed, depth mapped to -1..1.
    virtual glm::mat4 projection(const FovPort& fov, float zNear, float zFar) = 0;

    virtual void beginFrame(std::uint32_t frameIndex) = 0;
    // The two eye poses for the frame and the field of view each eye sees it with (a runtime
    // may change the latter from frame to frame).
    virtual void eyePoses(std::uint32_t frameIndex, const std::array<glm::vec3, 2>& hmdToEyeOffset,
                          std::array<Pose, 2>& poses, std::array<FovPort, 2>& fovs) = 0;
    // Presents both eyes.
    virtual void endFrame(std::uint32_t frameIndex, const std::array<Pose, 2>& poses,
                          const std::array<EyeTexture, 2>& textures) = 0;

    // The health-and-safety notice.
    virtual bool noticeDisplayed() = 0;
    virtual bool dismissNotice() = 0;

    // The current head yaw and position become the tracking origin.
    virtual void recenter() = 0;
};

}  // namespace ovrlib
