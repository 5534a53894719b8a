#include "ovrlib/OpenXrRuntime.h"

#include "ovrlib/EyeMath.h"

#include <epoxy/gl.h>
#include <epoxy/glx.h>
#define GLFW_EXPOSE_NATIVE_X11
#define GLFW_EXPOSE_NATIVE_GLX
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>

#define XR_USE_PLATFORM_XLIB
#define XR_USE_GRAPHICS_API_OPENGL
#include <openxr/openxr_platform.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace ovrlib {
namespace {

// A zeroed OpenXR structure of the given type.
template <class T>
T xr(XrStructureType type) {
    T value{};
    value.type = type;
    return value;
}

constexpr XrViewConfigurationType kStereo = XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO;
// The window mirrors nothing; it only needs the eyes' proportions at a desktop size.
constexpr int kMaxWindowWidth = 1920;
constexpr float kNominalInterpupillaryDistance = 0.064f;

XrPosef identityPose() {
    XrPosef pose{};
    pose.orientation.w = 1.0f;
    return pose;
}

Pose toPose(const XrPosef& p) {
    Pose pose;
    pose.orientation = glm::quat(p.orientation.w, p.orientation.x, p.orientation.y, p.orientation.z);
    pose.position = {p.position.x, p.position.y, p.position.z};
    return pose;
}

FovPort toFovPort(const XrFovf& fov) {
    return {std::tan(fov.angleUp), std::tan(-fov.angleDown), std::tan(-fov.angleLeft),
            std::tan(fov.angleRight)};
}

// What the loader says when no runtime is configured at all.
constexpr const char* kNothingConfigured = "failed to determine active runtime file path";

// Catches what the loader writes to std::cout and std::cerr while it lives (the loader reads
// XR_LOADER_DEBUG once, so its error level is asked for before the first loader call). A
// developer who set XR_LOADER_DEBUG gets the loader's own output instead.
class LoaderLog {
public:
    LoaderLog() {
        static const bool developerAsked = std::getenv("XR_LOADER_DEBUG") != nullptr;
        if (developerAsked) return;
        setenv("XR_LOADER_DEBUG", "error", 1);
        out_ = std::cout.rdbuf(outText_.rdbuf());
        err_ = std::cerr.rdbuf(errText_.rdbuf());
    }
    ~LoaderLog() {
        if (out_ != nullptr) std::cout.rdbuf(out_);
        if (err_ != nullptr) std::cerr.rdbuf(err_);
    }
    LoaderLog(const LoaderLog&) = delete;
    LoaderLog& operator=(const LoaderLog&) = delete;

    // The first message, on one line, without the loader's "Error [...] : " heading.
    std::string reason() const {
        const std::string text = errText_.str();
        const std::size_t start = text.find("] : ");
        if (start == std::string::npos) return {};
        std::string message = text.substr(start + 4, text.find("\nError [", start) - start - 4);
        std::replace(message.begin(), message.end(), '\n', ' ');
        while (!message.empty() && message.back() == ' ') message.pop_back();
        return message;
    }

private:
    std::ostringstream outText_;
    std::ostringstream errText_;
    std::streambuf* out_ = nullptr;
    std::streambuf* err_ = nullptr;
};

void report(const char* what, XrResult result) {
    std::fprintf(stderr, "OpenXR: %s failed (%d)\n", what, static_cast<int>(result));
}

}  // namespace

OpenXrRuntime::OpenXrRuntime() = default;

OpenXrRuntime::~OpenXrRuntime() {
    // The owners normally release everything in order; this only guards against leaks when a
    // start-up step threw in between.
    if (instance_ != XR_NULL_HANDLE) xrDestroyInstance(instance_);
}

RuntimeStatus OpenXrRuntime::initialise() {
    // The loader writes its errors to the standard streams, several lines each, and twice;
    // they are kept here and at most the first, which says why, is passed on.
    const LoaderLog log;
    uint32_t count = 0;
    XrResult result = xrEnumerateInstanceExtensionProperties(nullptr, 0, &count, nullptr);
    if (result == XR_ERROR_RUNTIME_UNAVAILABLE || result == XR_ERROR_INSTANCE_LOST) {
        // Nothing configured is the ordinary desktop without a headset; a runtime that is
        // configured but cannot be loaded is worth a line before the no-headset path.
        const std::string why = log.reason();
        if (!why.empty() && why.find(kNothingConfigured) == std::string::npos) {
            std::fprintf(stderr, "OpenXR: %s\n", why.c_str());
        }
        return RuntimeStatus::NoRuntime;
    }
    if (XR_FAILED(result)) {
        report("xrEnumerateInstanceExtensionProperties", result);
        return RuntimeStatus::Failed;
    }
    std::vector<XrExtensionProperties> extensions(
        count, xr<XrExtensionProperties>(XR_TYPE_EXTENSION_PROPERTIES));
    xrEnumerateInstanceExtensionProperties(nullptr, count, &count, extensions.data());
    const bool hasOpenGl =
        std::any_of(extensions.begin(), extensions.end(), [](const XrExtensionProperties& e) {
            return std::strcmp(e.extensionName, XR_KHR_OPENGL_ENABLE_EXTENSION_NAME) == 0;
        });
    if (!hasOpenGl) {
        std::fprintf(stderr, "OpenXR: the runtime does not offer %s\n",
                     XR_KHR_OPENGL_ENABLE_EXTENSION_NAME);
        return RuntimeStatus::Failed;
    }

    XrInstanceCreateInfo info = xr<XrInstanceCreateInfo>(XR_TYPE_INSTANCE_CREATE_INFO);
    std::strncpy(info.applicationInfo.applicationName, "Orbitarium",
                 XR_MAX_APPLICATION_NAME_SIZE - 1);
    info.applicationInfo.applicationVersion = 1;
    std::strncpy(info.applicationInfo.engineName, "ovrlib", XR_MAX_ENGINE_NAME_SIZE - 1);
    info.applicationInfo.apiVersion = XR_CURRENT_API_VERSION;
    const char* enabled[] = {XR_KHR_OPENGL_ENABLE_EXTENSION_NAME};
    info.enabledExtensionCount = 1;
    info.enabledExtensionNames = enabled;
    result = xrCreateInstance(&info, &instance_);
    if (result == XR_ERROR_RUNTIME_UNAVAILABLE) return RuntimeStatus::NoRuntime;
    if (XR_FAILED(result)) {
        report("xrCreateInstance", result);
        instance_ = XR_NULL_HANDLE;
        return RuntimeStatus::Failed;
    }
    return RuntimeStatus::Ready;
}

void OpenXrRuntime::shutdown() {
    releaseRendering();
    if (instance_ != XR_NULL_HANDLE) xrDestroyInstance(instance_);
    instance_ = XR_NULL_HANDLE;
}

bool OpenXrRuntime::openDevice() {
    if (instance_ == XR_NULL_HANDLE) return false;
    XrSystemGetInfo info = xr<XrSystemGetInfo>(XR_TYPE_SYSTEM_GET_INFO);
    info.formFactor = XR_FORM_FACTOR_HEAD_MOUNTED_DISPLAY;
    XrResult result = xrGetSystem(instance_, &info, &system_);
    if (XR_FAILED(result)) {
        // FORM_FACTOR_UNAVAILABLE is the ordinary "no headset plugged in".
        if (result != XR_ERROR_FORM_FACTOR_UNAVAILABLE) report("xrGetSystem", result);
        system_ = XR_NULL_SYSTEM_ID;
        return false;
    }
    XrSystemProperties properties = xr<XrSystemProperties>(XR_TYPE_SYSTEM_PROPERTIES);
    if (XR_FAILED(xrGetSystemProperties(instance_, system_, &properties))) {
        system_ = XR_NULL_SYSTEM_ID;
        return false;
    }
    orientationTracking_ = properties.trackingProperties.orientationTracking == XR_TRUE;

    uint32_t viewCount = 0;
    result = xrEnumerateViewConfigurationViews(instance_, system_, kStereo, 0, &viewCount, nullptr);
    if (XR_FAILED(result) || viewCount != 2) {
        if (XR_FAILED(result)) report("xrEnumerateViewConfigurationViews", result);
        else std::fprintf(stderr, "OpenXR: the headset has %u views, not two\n", viewCount);
        system_ = XR_NULL_SYSTEM_ID;
        return false;
    }
    configViews_.fill(xr<XrViewConfigurationView>(XR_TYPE_VIEW_CONFIGURATION_VIEW));
    xrEnumerateViewConfigurationViews(instance_, system_, kStereo, 2, &viewCount,
                                      configViews_.data());

    description_.productName = properties.systemName;
    description_.displayDeviceName = properties.systemName;
    description_.extendsDesktop = false;
    description_.eyeRenderOrder = {0, 1};
    int width = int(configViews_[0].recommendedImageRectWidth + configViews_[1].recommendedImageRectWidth);
    int height = int(std::max(configViews_[0].recommendedImageRectHeight,
                              configViews_[1].recommendedImageRectHeight));
    if (width > kMaxWindowWidth) {
        height = std::max(1, height * kMaxWindowWidth / width);
        width = kMaxWindowWidth;
    }
    description_.resolution = {std::max(1, width), std::max(1, height)};
    // The runtime gives the field of view per frame; until then a square 90-degree view.
    description_.maxEyeFov = {FovPort{}, FovPort{}};
    return true;
}

void OpenXrRuntime::closeDevice() { system_ = XR_NULL_SYSTEM_ID; }

bool OpenXrRuntime::configureTracking() { return system_ != XR_NULL_SYSTEM_ID && orientationTracking_; }

XrSpace OpenXrRuntime::createLocalSpace(const XrPosef& pose) const {
    XrReferenceSpaceCreateInfo info = xr<XrReferenceSpaceCreateInfo>(XR_TYPE_REFERENCE_SPACE_CREATE_INFO);
    info.referenceSpaceType = XR_REFERENCE_SPACE_TYPE_LOCAL;
    info.poseInReferenceSpace = pose;
    XrSpace space = XR_NULL_HANDLE;
    if (XR_FAILED(xrCreateReferenceSpace(session_, &info, &space))) return XR_NULL_HANDLE;
    return space;
}

bool OpenXrRuntime::configureRendering(GLFWwindow* window, std::array<EyeRenderDesc, 2>& eyes) {
    if (system_ == XR_NULL_SYSTEM_ID || session_ != XR_NULL_HANDLE || window == nullptr) return false;

    PFN_xrGetOpenGLGraphicsRequirementsKHR getRequirements = nullptr;
    XrResult result = xrGetInstanceProcAddr(instance_, "xrGetOpenGLGraphicsRequirementsKHR",
                                            reinterpret_cast<PFN_xrVoidFunction*>(&getRequirements));
    if (XR_FAILED(result) || getRequirements == nullptr) {
        report("xrGetOpenGLGraphicsRequirementsKHR lookup", result);
        return false;
    }
    XrGraphicsRequirementsOpenGLKHR requirements = xr<XrGraphicsRequirementsOpenGLKHR>(XR_TYPE_GRAPHICS_REQUIREMENTS_OPENGL_KHR);
    result = getRequirements(instance_, system_, &requirements);
    if (XR_FAILED(result)) {
        report("xrGetOpenGLGraphicsRequirementsKHR", result);
        return false;
    }
    const int glVersion = epoxy_gl_version();
    const XrVersion ours = XR_MAKE_VERSION(glVersion / 10, glVersion % 10, 0);
    if (ours < requirements.minApiVersionSupported) {
        std::fprintf(stderr, "OpenXR: the runtime needs a newer OpenGL than %d.%d\n",
                     glVersion / 10, glVersion % 10);
        return false;
    }

    Display* display = glfwGetX11Display();
    GLXContext context = glfwGetGLXContext(window);
    if (display == nullptr || context == nullptr) return false;
    int configId = 0;
    int screen = 0;
    glXQueryContext(display, context, GLX_FBCONFIG_ID, &configId);
    glXQueryContext(display, context, GLX_SCREEN, &screen);
    const int attributes[] = {GLX_FBCONFIG_ID, configId, None};
    int configCount = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, screen, attributes, &configCount);
    if (configs == nullptr || configCount < 1) return false;
    XrGraphicsBindingOpenGLXlibKHR binding = xr<XrGraphicsBindingOpenGLXlibKHR>(XR_TYPE_GRAPHICS_BINDING_OPENGL_XLIB_KHR);
    binding.xDisplay = display;
    binding.glxFBConfig = configs[0];
    XVisualInfo* visual = glXGetVisualFromFBConfig(display, configs[0]);
    binding.visualid = visual != nullptr ? static_cast<uint32_t>(visual->visualid) : 0;
    if (visual != nullptr) XFree(visual);
    XFree(configs);
    binding.glxDrawable = glXGetCurrentDrawable();
    binding.glxContext = context;

    window_ = window;
    exitRequested_ = false;
    XrSessionCreateInfo sessionInfo = xr<XrSessionCreateInfo>(XR_TYPE_SESSION_CREATE_INFO);
    sessionInfo.next = &binding;
    sessionInfo.systemId = system_;
    result = xrCreateSession(instance_, &sessionInfo, &session_);
    if (XR_FAILED(result)) {
        report("xrCreateSession", result);
        session_ = XR_NULL_HANDLE;
        return false;
    }
    sessionState_ = XR_SESSION_STATE_UNKNOWN;

    naturalSpace_ = createLocalSpace(identityPose());
    localSpace_ = createLocalSpace(identityPose());
    XrReferenceSpaceCreateInfo viewInfo = xr<XrReferenceSpaceCreateInfo>(XR_TYPE_REFERENCE_SPACE_CREATE_INFO);
    viewInfo.referenceSpaceType = XR_REFERENCE_SPACE_TYPE_VIEW;
    viewInfo.poseInReferenceSpace = identityPose();
    if (naturalSpace_ == XR_NULL_HANDLE || localSpace_ == XR_NULL_HANDLE ||
        XR_FAILED(xrCreateReferenceSpace(session_, &viewInfo, &viewSpace_)) || !createSwapchains()) {
        releaseRendering();
        return false;
    }
    copyFramebuffers_ = glcommon::GlNameArray<2>(glGenFramebuffers, glDeleteFramebuffers);

    const float sign[2] = {-1.0f, 1.0f};
    for (int eye = 0; eye < 2; ++eye) {
        eyes[eye].fov = description_.maxEyeFov[eye];
        eyes[eye].distortedViewport = swapchains_[eye].size;
        eyes[eye].pixelsPerTanAngleAtCenter = swapchains_[eye].size.width / 2.0f;
        // Informational: OpenXR locates each eye itself.
        eyes[eye].hmdToEyeOffset = {sign[eye] * kNominalInterpupillaryDistance / 2, 0.0f, 0.0f};
    }
    return true;
}

bool OpenXrRuntime::createSwapchains() {
    uint32_t count = 0;
    if (XR_FAILED(xrEnumerateSwapchainFormats(session_, 0, &count, nullptr)) || count == 0) return false;
    std::vector<int64_t> formats(count);
    xrEnumerateSwapchainFormats(session_, count, &count, formats.data());
    // Our eye pictures are plain RGBA8; an sRGB chain would brighten them.
    int64_t format = formats[0];
    for (int64_t preferred : {int64_t(GL_RGBA8), int64_t(GL_SRGB8_ALPHA8)}) {
        if (std::find(formats.begin(), formats.end(), preferred) != formats.end()) {
            format = preferred;
            break;
        }
    }
    for (int eye = 0; eye < 2; ++eye) {
        XrSwapchainCreateInfo info = xr<XrSwapchainCreateInfo>(XR_TYPE_SWAPCHAIN_CREATE_INFO);
        info.usageFlags = XR_SWAPCHAIN_USAGE_COLOR_ATTACHMENT_BIT | XR_SWAPCHAIN_USAGE_TRANSFER_DST_BIT;
        info.format = format;
        info.sampleCount = 1;
        info.width = configViews_[eye].recommendedImageRectWidth;
        info.height = configViews_[eye].recommendedImageRectHeight;
        info.faceCount = 1;
        info.arraySize = 1;
        info.mipCount = 1;
        EyeSwapchain& chain = swapchains_[eye];
        XrResult result = xrCreateSwapchain(session_, &info, &chain.handle);
        if (XR_FAILED(result)) {
            report("xrCreateSwapchain", result);
            chain.handle = XR_NULL_HANDLE;
            return false;
        }
        chain.size = {int(info.width), int(info.height)};
        uint32_t imageCount = 0;
        xrEnumerateSwapchainImages(chain.handle, 0, &imageCount, nullptr);
        std::vector<XrSwapchainImageOpenGLKHR> images(
            imageCount, xr<XrSwapchainImageOpenGLKHR>(XR_TYPE_SWAPCHAIN_IMAGE_OPENGL_KHR));
        result = xrEnumerateSwapchainImages(
            chain.handle, imageCount, &imageCount,
            reinterpret_cast<XrSwapchainImageBaseHeader*>(images.data()));
        if (XR_FAILED(result) || imageCount == 0) return false;
        chain.images.clear();
        for (const auto& image : images) chain.images.push_back(image.image);
    }
    return true;
}

void OpenXrRuntime::releaseRendering() {
    copyFramebuffers_.reset();
    for (EyeSwapchain& chain : swapchains_) {
        if (chain.handle != XR_NULL_HANDLE) xrDestroySwapchain(chain.handle);
        chain = EyeSwapchain{};
    }
    for (XrSpace* space : {&viewSpace_, &localSpace_, &naturalSpace_}) {
        if (*space != XR_NULL_HANDLE) xrDestroySpace(*space);
        *space = XR_NULL_HANDLE;
    }
    if (session_ != XR_NULL_HANDLE) {
        exitRequested_ = true;  // a READY that arrives now must not begin the session again
        if (sessionRunning_ && XR_SUCCEEDED(xrRequestExitSession(session_))) {
            // The runtime answers with STOPPING, upon which pollEvents ends the session; a
            // runtime that never does is not waited for longer than this.
            for (int i = 0; i < 100 && sessionRunning_; ++i) {
                pollEvents();
                if (sessionRunning_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        xrDestroySession(session_);
    }
    session_ = XR_NULL_HANDLE;
    sessionRunning_ = false;
    frameBegun_ = false;
    viewsValid_ = false;
    window_ = nullptr;
}

Sizei OpenXrRuntime::recommendedTextureSize(int eye, const FovPort& /*fov*/, float pixelDensity) {
    // The runtime already chose the size for its own field of view.
    const XrViewConfigurationView& view = configViews_[eye == 1 ? 1 : 0];
    const auto pixels = [&](uint32_t v) {
        return std::max(1, static_cast<int>(std::lround(pixelDensity * float(v))));
    };
    return {pixels(view.recommendedImageRectWidth), pixels(view.recommendedImageRectHeight)};
}

glm::mat4 OpenXrRuntime::projection(const FovPort& fov, float zNear, float zFar) {
    return projectionFromFov(fov, zNear, zFar);
}

// Follows the session's life as the runtime leads it: begin on READY, end on STOPPING, and
// on EXITING or LOSS_PENDING (of the session or the whole instance) ask the window to close,
// so that the main loop ends and the program tears down as after Escape.
void OpenXrRuntime::pollEvents() {
    XrEventDataBuffer event = xr<XrEventDataBuffer>(XR_TYPE_EVENT_DATA_BUFFER);
    while (xrPollEvent(instance_, &event) == XR_SUCCESS) {
        if (event.type == XR_TYPE_EVENT_DATA_INSTANCE_LOSS_PENDING) {
            requestExit();
        } else if (event.type == XR_TYPE_EVENT_DATA_SESSION_STATE_CHANGED) {
            const auto& changed = reinterpret_cast<const XrEventDataSessionStateChanged&>(event);
            sessionState_ = changed.state;
            if (sessionState_ == XR_SESSION_STATE_READY && !sessionRunning_ && !exitRequested_) {
                XrSessionBeginInfo begin = xr<XrSessionBeginInfo>(XR_TYPE_SESSION_BEGIN_INFO);
                begin.primaryViewConfigurationType = kStereo;
                const XrResult result = xrBeginSession(session_, &begin);
                if (XR_SUCCEEDED(result)) sessionRunning_ = true;
                else report("xrBeginSession", result);
            } else if (sessionState_ == XR_SESSION_STATE_STOPPING && sessionRunning_) {
                const XrResult result = xrEndSession(session_);
                if (XR_FAILED(result)) report("xrEndSession", result);
                sessionRunning_ = false;
            } else if (sessionState_ == XR_SESSION_STATE_EXITING ||
                       sessionState_ == XR_SESSION_STATE_LOSS_PENDING) {
                // A session about to be lost cannot be ended, only destroyed.
                if (sessionState_ == XR_SESSION_STATE_LOSS_PENDING) sessionRunning_ = false;
                requestExit();
            }
        }
        event = xr<XrEventDataBuffer>(XR_TYPE_EVENT_DATA_BUFFER);
    }
}

void OpenXrRuntime::requestExit() {
    exitRequested_ = true;
    if (window_ != nullptr) glfwSetWindowShouldClose(window_, GLFW_TRUE);
}

void OpenXrRuntime::beginFrame(std::uint32_t frameIndex) {
    frameBegun_ = false;
    viewsValid_ = false;
    if (session_ == XR_NULL_HANDLE) return;
    pollEvents();
    // While the runtime keeps the session idle (not yet READY, or after STOPPING) there is no
    // frame to wait for: wait for its next event instead of drawing frames nobody sees as fast
    // as the machine can. Up to a tenth of a second, so the window stays responsive.
    for (int i = 0; i < 10 && !sessionRunning_ && !exitRequested_; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        pollEvents();
    }
    if (!sessionRunning_) return;
    frameState_ = xr<XrFrameState>(XR_TYPE_FRAME_STATE);
    XrFrameWaitInfo waitInfo = xr<XrFrameWaitInfo>(XR_TYPE_FRAME_WAIT_INFO);
    XrResult result = xrWaitFrame(session_, &waitInfo, &frameState_);
    if (XR_FAILED(result)) {
        report("xrWaitFrame", result);
        return;
    }
    XrFrameBeginInfo beginInfo = xr<XrFrameBeginInfo>(XR_TYPE_FRAME_BEGIN_INFO);
    result = xrBeginFrame(session_, &beginInfo);
    if (XR_FAILED(result)) {
        report("xrBeginFrame", result);
        return;
    }
    frameBegun_ = true;
    frameIndex_ = frameIndex;
    lastDisplayTime_ = frameState_.predictedDisplayTime;
}

void OpenXrRuntime::eyePoses(std::uint32_t /*frameIndex*/,
                             const std::array<glm::vec3, 2>& hmdToEyeOffset,
                             std::array<Pose, 2>& poses, std::array<FovPort, 2>& fovs) {
    for (int eye = 0; eye < 2; ++eye) {
        poses[eye] = Pose{};
        poses[eye].position = hmdToEyeOffset[eye];
        fovs[eye] = description_.maxEyeFov[eye];
    }
    if (!frameBegun_) return;
    XrViewLocateInfo info = xr<XrViewLocateInfo>(XR_TYPE_VIEW_LOCATE_INFO);
    info.viewConfigurationType = kStereo;
    info.displayTime = frameState_.predictedDisplayTime;
    info.space = localSpace_;
    XrViewState state = xr<XrViewState>(XR_TYPE_VIEW_STATE);
    uint32_t count = 0;
    views_.fill(xr<XrView>(XR_TYPE_VIEW));
    const XrResult result = xrLocateViews(session_, &info, &state, 2, &count, views_.data());
    const XrViewStateFlags needed =
        XR_VIEW_STATE_ORIENTATION_VALID_BIT | XR_VIEW_STATE_POSITION_VALID_BIT;
    if (XR_FAILED(result) || count != 2 || (state.viewStateFlags & needed) != needed) return;
    viewsValid_ = true;
    for (int eye = 0; eye < 2; ++eye) {
        poses[eye] = toPose(views_[eye].pose);
        fovs[eye] = toFovPort(views_[eye].fov);
    }
}

void OpenXrRuntime::endFrame(std::uint32_t frameIndex, const std::array<Pose, 2>& /*poses*/,
                             const std::array<EyeTexture, 2>& textures) {
    if (!frameBegun_ || frameIndex != frameIndex_) return;
    frameBegun_ = false;

    std::array<XrCompositionLayerProjectionView, 2> layerViews{};
    XrCompositionLayerProjection layer = xr<XrCompositionLayerProjection>(XR_TYPE_COMPOSITION_LAYER_PROJECTION);
    const XrCompositionLayerBaseHeader* layers[] = {
        reinterpret_cast<const XrCompositionLayerBaseHeader*>(&layer)};
    bool submit = frameState_.shouldRender == XR_TRUE && viewsValid_;
    for (int eye = 0; submit && eye < 2; ++eye) {
        EyeSwapchain& chain = swapchains_[eye];
        uint32_t index = 0;
        XrSwapchainImageAcquireInfo acquire = xr<XrSwapchainImageAcquireInfo>(XR_TYPE_SWAPCHAIN_IMAGE_ACQUIRE_INFO);
        if (XR_FAILED(xrAcquireSwapchainImage(chain.handle, &acquire, &index)) ||
            index >= chain.images.size()) {
            submit = false;
            break;
        }
        XrSwapchainImageWaitInfo wait = xr<XrSwapchainImageWaitInfo>(XR_TYPE_SWAPCHAIN_IMAGE_WAIT_INFO);
        wait.timeout = XR_INFINITE_DURATION;
        if (XR_SUCCEEDED(xrWaitSwapchainImage(chain.handle, &wait))) {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, copyFramebuffers_[0]);
            glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                   textures[eye].glTexture, 0);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, copyFramebuffers_[1]);
            glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                   chain.images[index], 0);
            glBlitFramebuffer(0, 0, textures[eye].viewportSize.width,
                              textures[eye].viewportSize.height, 0, 0, chain.size.width,
                              chain.size.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
            glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
            glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
        } else {
            submit = false;
        }
        XrSwapchainImageReleaseInfo release = xr<XrSwapchainImageReleaseInfo>(XR_TYPE_SWAPCHAIN_IMAGE_RELEASE_INFO);
        xrReleaseSwapchainImage(chain.handle, &release);

        layerViews[eye] = xr<XrCompositionLayerProjectionView>(XR_TYPE_COMPOSITION_LAYER_PROJECTION_VIEW);
        layerViews[eye].pose = views_[eye].pose;
        layerViews[eye].fov = views_[eye].fov;
        layerViews[eye].subImage.swapchain = chain.handle;
        layerViews[eye].subImage.imageRect.extent = {chain.size.width, chain.size.height};
        layerViews[eye].subImage.imageArrayIndex = 0;
    }
    layer.space = localSpace_;
    layer.viewCount = 2;
    layer.views = layerViews.data();

    XrFrameEndInfo end = xr<XrFrameEndInfo>(XR_TYPE_FRAME_END_INFO);
    end.displayTime = frameState_.predictedDisplayTime;
    end.environmentBlendMode = XR_ENVIRONMENT_BLEND_MODE_OPAQUE;
    end.layerCount = submit ? 1 : 0;
    end.layers = submit ? layers : nullptr;
    const XrResult result = xrEndFrame(session_, &end);
    if (XR_FAILED(result)) report("xrEndFrame", result);
}

void OpenXrRuntime::recenter() {
    if (session_ == XR_NULL_HANDLE || lastDisplayTime_ == 0) return;
    XrSpaceLocation head = xr<XrSpaceLocation>(XR_TYPE_SPACE_LOCATION);
    if (XR_FAILED(xrLocateSpace(viewSpace_, naturalSpace_, lastDisplayTime_, &head))) return;
    const XrSpaceLocationFlags needed =
        XR_SPACE_LOCATION_ORIENTATION_VALID_BIT | XR_SPACE_LOCATION_POSITION_VALID_BIT;
    if ((head.locationFlags & needed) != needed) return;
    // Keep only the yaw: the floor stays level after recentring.
    const Pose pose = toPose(head.pose);
    const glm::vec3 forward = pose.orientation * glm::vec3(0.0f, 0.0f, -1.0f);
    const float yaw = std::atan2(-forward.x, -forward.z);
    const glm::quat level = glm::angleAxis(yaw, glm::vec3(0.0f, 1.0f, 0.0f));
    XrPosef origin;
    origin.orientation = {level.x, level.y, level.z, level.w};
    origin.position = head.pose.position;
    const XrSpace recentred = createLocalSpace(origin);
    if (recentred == XR_NULL_HANDLE) return;
    xrDestroySpace(localSpace_);
    localSpace_ = recentred;
}

}  // namespace ovrlib
