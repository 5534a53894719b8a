// A minimal OpenXR runtime for the tests: one head-mounted system with two views, GL textures
// as swapchain images, a head pose, faults and session states the test scripts, and strict
// checks of the call order that a real runtime relies on. Only the entry points the program
// uses exist. (XRAPI_CALL and XRAPI_ATTR are empty on this platform.)

#include "TestXrHooks.h"

#include <epoxy/gl.h>
#include <epoxy/glx.h>

#define XR_USE_PLATFORM_XLIB
#define XR_USE_GRAPHICS_API_OPENGL
#include <openxr/openxr.h>
#include <openxr/openxr_platform.h>

#include <glm/gtc/quaternion.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The loader's negotiation records (the loader interface header is not packaged).
enum LoaderStructType { kLoaderInfo = 1, kRuntimeRequest = 3 };
struct NegotiateLoaderInfo {
    int structType;
    uint32_t structVersion;
    size_t structSize;
    uint32_t minInterfaceVersion, maxInterfaceVersion;
    XrVersion minApiVersion, maxApiVersion;
};
struct NegotiateRuntimeRequest {
    int structType;
    uint32_t structVersion;
    size_t structSize;
    uint32_t runtimeInterfaceVersion;
    XrVersion runtimeApiVersion;
    PFN_xrGetInstanceProcAddr getInstanceProcAddr;
};

constexpr XrSystemId kSystem = 1;
constexpr uint32_t kEyeWidth = 320, kEyeHeight = 240;
const XrFovf kFov[2] = {{-0.87f, 0.75f, 0.82f, -0.90f}, {-0.75f, 0.87f, 0.82f, -0.90f}};

struct Rigid {
    glm::quat orientation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 position{0.0f};
};
Rigid compose(const Rigid& a, const Rigid& b) { return {a.orientation * b.orientation, a.position + a.orientation * b.position}; }
Rigid inverse(const Rigid& a) { return {glm::inverse(a.orientation), -(glm::inverse(a.orientation) * a.position)}; }
Rigid fromXr(const XrPosef& p) {
    return {glm::quat(p.orientation.w, p.orientation.x, p.orientation.y, p.orientation.z), {p.position.x, p.position.y, p.position.z}};
}
XrPosef toXr(const Rigid& r) {
    return {{r.orientation.x, r.orientation.y, r.orientation.z, r.orientation.w}, {r.position.x, r.position.y, r.position.z}};
}

struct Space { XrReferenceSpaceType type; Rigid pose; };
struct Swapchain {
    std::vector<GLuint> images;
    uint32_t next = 0;
    int acquired = -1, released = -1;  // released: since the last frame was ended
    bool waited = false;
};
struct Session {
    XrSessionState state = XR_SESSION_STATE_IDLE;  // as the program last polled it
    bool running = false, frameWaited = false, frameBegun = false;
    XrTime predicted = 0;
};

struct State {
    bool connected = true, exitAfterStop = false, requirementsAsked = false;
    int fault = 0;  // TestXrSetFault
    Rigid head;
    std::set<void*> instances;
    std::set<Session*> sessions;
    std::set<Space*> spaces;
    std::set<Swapchain*> swapchains;
    std::deque<std::pair<Session*, XrSessionState>> events;
    XrTime clock = 0;
    std::map<std::string, int> counts;
    unsigned submitted[2] = {0, 0};
} state;

template <class T, class H>
T* object(H handle) { return reinterpret_cast<T*>(handle); }
template <class T, class H>
bool live(const std::set<T*>& set, H handle) { return set.count(object<T>(handle)) != 0; }
void queue(Session* session, XrSessionState next) { state.events.push_back({session, next}); }
XrResult orderError() {
    ++state.counts["callOrderErrors"];
    return XR_ERROR_CALL_ORDER_INVALID;
}
// The two-call idiom: the count always, the values only when there is room for them.
XrResult sized(uint32_t capacity, uint32_t* n, uint32_t count) {
    *n = count;
    return capacity != 0 && capacity < count ? XR_ERROR_SIZE_INSUFFICIENT : XR_SUCCESS;
}

bool contextCurrent() { return glXGetCurrentContext() != nullptr; }
void deleteImages(Swapchain* chain) {
    if (contextCurrent()) glDeleteTextures(GLsizei(chain->images.size()), chain->images.data());
    else ++state.counts["releasedWithoutContext"];
    delete chain;
}

int count(const std::string& key) {
    int running = 0;
    for (const Session* session : state.sessions) running += session->running ? 1 : 0;
    const std::map<std::string, std::size_t> live = {{"liveInstances", state.instances.size()}, {"liveSessions", state.sessions.size()},
        {"liveSwapchains", state.swapchains.size()}, {"liveSpaces", state.spaces.size()}, {"runningSessions", running}};
    const auto it = live.find(key);
    return it != live.end() ? int(it->second) : state.counts.count(key) ? state.counts.at(key) : 0;
}

// For runs of the whole program (TESTXR_REPORT names the file): what it did, written when it
// lets go of the runtime and every tenth frame before that, so that a slow run can be watched.
void writeReport() {
    const char* path = std::getenv("TESTXR_REPORT");
    std::FILE* file = path != nullptr ? std::fopen(path, "w") : nullptr;
    if (file == nullptr) return;
    for (const char* key : {"framesSubmitted", "releasedWithoutContext", "callOrderErrors", "liveSessions", "liveSwapchains", "liveSpaces"}) {
        std::fprintf(file, "%s %d\n", key, count(key));
    }
    std::fclose(file);
}

// The runtime asks the program to exit: STOPPING now, IDLE and EXITING after xrEndSession.
void requestExit() {
    state.exitAfterStop = true;
    for (Session* session : state.sessions) queue(session, XR_SESSION_STATE_STOPPING);
}

XrResult enumerateExtensions(const char*, uint32_t capacity, uint32_t* n, XrExtensionProperties* properties) {
    if (capacity > 0) std::strcpy(properties[0].extensionName, XR_KHR_OPENGL_ENABLE_EXTENSION_NAME);
    return sized(capacity, n, 1);
}
XrResult createInstance(const XrInstanceCreateInfo* info, XrInstance* out) {
    if (state.fault == 1) return XR_ERROR_RUNTIME_FAILURE;
    for (uint32_t i = 0; i < info->enabledExtensionCount; ++i) {
        if (std::strcmp(info->enabledExtensionNames[i], XR_KHR_OPENGL_ENABLE_EXTENSION_NAME) != 0) return XR_ERROR_EXTENSION_NOT_PRESENT;
    }
    void* instance = new char(0);
    state.instances.insert(instance);
    *out = reinterpret_cast<XrInstance>(instance);
    return XR_SUCCESS;
}
XrResult destroyInstance(XrInstance instance) {
    if (state.instances.erase(instance) == 0) return XR_ERROR_HANDLE_INVALID;
    delete reinterpret_cast<char*>(instance);
    writeReport();
    return XR_SUCCESS;
}
XrResult pollEvent(XrInstance, XrEventDataBuffer* buffer) {
    if (state.events.empty()) return XR_EVENT_UNAVAILABLE;
    auto [session, next] = state.events.front();
    state.events.pop_front();
    session->state = next;
    *reinterpret_cast<XrEventDataSessionStateChanged*>(buffer) = {
        XR_TYPE_EVENT_DATA_SESSION_STATE_CHANGED, nullptr, reinterpret_cast<XrSession>(session), next, state.clock};
    return XR_SUCCESS;
}
XrResult getSystem(XrInstance, const XrSystemGetInfo* info, XrSystemId* id) {
    if (info->formFactor != XR_FORM_FACTOR_HEAD_MOUNTED_DISPLAY) return XR_ERROR_FORM_FACTOR_UNSUPPORTED;
    if (!state.connected) return XR_ERROR_FORM_FACTOR_UNAVAILABLE;
    *id = kSystem;
    return XR_SUCCESS;
}
XrResult getSystemProperties(XrInstance, XrSystemId id, XrSystemProperties* properties) {
    if (id != kSystem) return XR_ERROR_SYSTEM_INVALID;
    properties->systemId = id;
    std::strcpy(properties->systemName, "Test headset");
    properties->graphicsProperties = {4096, 4096, 1};
    properties->trackingProperties = {XrBool32(state.fault == 2 ? XR_FALSE : XR_TRUE), XR_TRUE};
    return XR_SUCCESS;
}
XrResult enumerateViews(XrInstance, XrSystemId id, XrViewConfigurationType type, uint32_t capacity, uint32_t* n,
                        XrViewConfigurationView* views) {
    if (id != kSystem) return XR_ERROR_SYSTEM_INVALID;
    if (type != XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO) return XR_ERROR_VIEW_CONFIGURATION_TYPE_UNSUPPORTED;
    for (uint32_t i = 0; i < 2 && capacity >= 2; ++i) {
        views[i] = {XR_TYPE_VIEW_CONFIGURATION_VIEW, nullptr, kEyeWidth, 4096, kEyeHeight, 4096, 1, 1};
    }
    return sized(capacity, n, 2);
}
XrResult glRequirements(XrInstance, XrSystemId, XrGraphicsRequirementsOpenGLKHR* requirements) {
    state.requirementsAsked = true;
    requirements->minApiVersionSupported = XR_MAKE_VERSION(4, 3, 0);
    requirements->maxApiVersionSupported = XR_MAKE_VERSION(4, 6, 0);
    return XR_SUCCESS;
}

XrResult createSession(XrInstance, const XrSessionCreateInfo* info, XrSession* out) {
    if (!state.requirementsAsked) return XR_ERROR_GRAPHICS_REQUIREMENTS_CALL_MISSING;
    if (state.fault == 3) return XR_ERROR_RUNTIME_FAILURE;
    const auto* binding = static_cast<const XrGraphicsBindingOpenGLXlibKHR*>(info->next);
    // The context handed over must be the one current on this thread.
    if (binding == nullptr || binding->type != XR_TYPE_GRAPHICS_BINDING_OPENGL_XLIB_KHR || binding->xDisplay == nullptr ||
        binding->glxContext != glXGetCurrentContext() || binding->glxDrawable != glXGetCurrentDrawable() || binding->visualid == 0) {
        return XR_ERROR_GRAPHICS_DEVICE_INVALID;
    }
    auto* session = *state.sessions.insert(new Session).first;
    queue(session, XR_SESSION_STATE_READY);
    *out = reinterpret_cast<XrSession>(session);
    return XR_SUCCESS;
}
XrResult destroySession(XrSession handle) {
    Session* session = object<Session>(handle);
    if (state.sessions.erase(session) == 0) return XR_ERROR_HANDLE_INVALID;
    // Children left behind go with the session; their textures need the context.
    for (Swapchain* chain : state.swapchains) deleteImages(chain);
    for (Space* space : state.spaces) delete space;
    state.swapchains.clear();
    state.spaces.clear();
    if (!contextCurrent()) ++state.counts["releasedWithoutContext"];
    for (auto it = state.events.begin(); it != state.events.end();) {
        it = it->first == session ? state.events.erase(it) : it + 1;
    }
    delete session;
    return XR_SUCCESS;
}
XrResult beginSession(XrSession handle, const XrSessionBeginInfo* info) {
    Session* session = object<Session>(handle);
    if (session->running) return XR_ERROR_SESSION_RUNNING;
    if (session->state != XR_SESSION_STATE_READY) return XR_ERROR_SESSION_NOT_READY;
    if (info->primaryViewConfigurationType != XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO) return XR_ERROR_VIEW_CONFIGURATION_TYPE_UNSUPPORTED;
    session->running = true;
    for (XrSessionState next : {XR_SESSION_STATE_SYNCHRONIZED, XR_SESSION_STATE_VISIBLE, XR_SESSION_STATE_FOCUSED}) queue(session, next);
    return XR_SUCCESS;
}
XrResult requestExitSession(XrSession handle) {
    if (!object<Session>(handle)->running) return XR_ERROR_SESSION_NOT_RUNNING;
    queue(object<Session>(handle), XR_SESSION_STATE_STOPPING);
    return XR_SUCCESS;
}
XrResult endSession(XrSession handle) {
    Session* session = object<Session>(handle);
    if (!session->running) return XR_ERROR_SESSION_NOT_RUNNING;
    if (session->state != XR_SESSION_STATE_STOPPING) return XR_ERROR_SESSION_NOT_STOPPING;
    session->running = session->frameWaited = session->frameBegun = false;
    queue(session, XR_SESSION_STATE_IDLE);
    if (state.exitAfterStop) queue(session, XR_SESSION_STATE_EXITING);
    return XR_SUCCESS;
}

XrResult createReferenceSpace(XrSession handle, const XrReferenceSpaceCreateInfo* info, XrSpace* out) {
    if (!live(state.sessions, handle)) return XR_ERROR_HANDLE_INVALID;
    const XrReferenceSpaceType type = info->referenceSpaceType;
    if (type != XR_REFERENCE_SPACE_TYPE_LOCAL && type != XR_REFERENCE_SPACE_TYPE_VIEW) return XR_ERROR_REFERENCE_SPACE_UNSUPPORTED;
    *out = reinterpret_cast<XrSpace>(*state.spaces.insert(new Space{type, fromXr(info->poseInReferenceSpace)}).first);
    return XR_SUCCESS;
}
XrResult destroySpace(XrSpace handle) {
    if (state.spaces.erase(object<Space>(handle)) == 0) return XR_ERROR_HANDLE_INVALID;
    delete object<Space>(handle);
    return XR_SUCCESS;
}
// Where a space's origin is in the runtime's own tracking frame.
Rigid worldOf(XrSpace handle) {
    const Space& space = *object<Space>(handle);
    return space.type == XR_REFERENCE_SPACE_TYPE_VIEW ? compose(state.head, space.pose) : space.pose;
}
XrResult locateSpace(XrSpace space, XrSpace base, XrTime, XrSpaceLocation* location) {
    if (!live(state.spaces, space) || !live(state.spaces, base)) return XR_ERROR_HANDLE_INVALID;
    location->pose = toXr(compose(inverse(worldOf(base)), worldOf(space)));
    location->locationFlags = XR_SPACE_LOCATION_ORIENTATION_VALID_BIT | XR_SPACE_LOCATION_POSITION_VALID_BIT |
                              XR_SPACE_LOCATION_ORIENTATION_TRACKED_BIT | XR_SPACE_LOCATION_POSITION_TRACKED_BIT;
    return XR_SUCCESS;
}
XrResult locateViews(XrSession handle, const XrViewLocateInfo* info, XrViewState* viewState, uint32_t capacity,
                     uint32_t* n, XrView* views) {
    Session* session = object<Session>(handle);
    if (!session->running) return XR_ERROR_SESSION_NOT_RUNNING;
    if (!live(state.spaces, info->space)) return XR_ERROR_HANDLE_INVALID;
    if (info->displayTime != session->predicted) return XR_ERROR_TIME_INVALID;
    for (int eye = 0; eye < 2 && capacity >= 2; ++eye) {
        const Rigid offset{glm::quat(1.0f, 0.0f, 0.0f, 0.0f), {eye == 0 ? -0.032f : 0.032f, 0.0f, 0.0f}};
        views[eye].pose = toXr(compose(inverse(worldOf(info->space)), compose(state.head, offset)));
        views[eye].fov = kFov[eye];
    }
    viewState->viewStateFlags = XR_VIEW_STATE_ORIENTATION_VALID_BIT | XR_VIEW_STATE_POSITION_VALID_BIT |
                                XR_VIEW_STATE_ORIENTATION_TRACKED_BIT | XR_VIEW_STATE_POSITION_TRACKED_BIT;
    return sized(capacity, n, 2);
}

XrResult enumerateFormats(XrSession, uint32_t capacity, uint32_t* n, int64_t* formats) {
    if (capacity >= 2) formats[0] = GL_SRGB8_ALPHA8, formats[1] = GL_RGBA8;  // sRGB first: the program must choose
    return sized(capacity, n, 2);
}
XrResult createSwapchain(XrSession handle, const XrSwapchainCreateInfo* info, XrSwapchain* out) {
    if (!live(state.sessions, handle)) return XR_ERROR_HANDLE_INVALID;
    if (info->format != GL_RGBA8 && info->format != GL_SRGB8_ALPHA8) return XR_ERROR_SWAPCHAIN_FORMAT_UNSUPPORTED;
    if (info->width == 0 || info->height == 0 || info->arraySize != 1 || info->faceCount != 1) return XR_ERROR_VALIDATION_FAILURE;
    if (!contextCurrent()) return XR_ERROR_GRAPHICS_DEVICE_INVALID;
    auto* chain = *state.swapchains.insert(new Swapchain).first;
    chain->images.resize(3);
    glGenTextures(3, chain->images.data());
    for (GLuint texture : chain->images) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexStorage2D(GL_TEXTURE_2D, 1, GLenum(info->format), GLsizei(info->width), GLsizei(info->height));
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    *out = reinterpret_cast<XrSwapchain>(chain);
    return XR_SUCCESS;
}
XrResult destroySwapchain(XrSwapchain handle) {
    if (state.swapchains.erase(object<Swapchain>(handle)) == 0) return XR_ERROR_HANDLE_INVALID;
    deleteImages(object<Swapchain>(handle));
    return XR_SUCCESS;
}
XrResult enumerateImages(XrSwapchain handle, uint32_t capacity, uint32_t* n, XrSwapchainImageBaseHeader* images) {
    const std::vector<GLuint>& own = object<Swapchain>(handle)->images;
    auto* gl = reinterpret_cast<XrSwapchainImageOpenGLKHR*>(images);
    for (uint32_t i = 0; capacity >= own.size() && i < own.size(); ++i) {
        if (gl[i].type != XR_TYPE_SWAPCHAIN_IMAGE_OPENGL_KHR) return XR_ERROR_VALIDATION_FAILURE;
        gl[i].image = own[i];
    }
    return sized(capacity, n, uint32_t(own.size()));
}
XrResult acquireImage(XrSwapchain handle, const XrSwapchainImageAcquireInfo*, uint32_t* index) {
    Swapchain* chain = object<Swapchain>(handle);
    if (chain->acquired >= 0) return orderError();
    *index = uint32_t(chain->acquired = int(chain->next));
    chain->next = (chain->next + 1) % chain->images.size();
    return XR_SUCCESS;
}
XrResult waitImage(XrSwapchain handle, const XrSwapchainImageWaitInfo*) {
    Swapchain* chain = object<Swapchain>(handle);
    if (chain->acquired < 0 || chain->waited) return orderError();
    chain->waited = true;
    return XR_SUCCESS;
}
XrResult releaseImage(XrSwapchain handle, const XrSwapchainImageReleaseInfo*) {
    Swapchain* chain = object<Swapchain>(handle);
    if (chain->acquired < 0 || !chain->waited) return orderError();
    chain->released = chain->acquired;
    chain->acquired = -1;
    chain->waited = false;
    return XR_SUCCESS;
}

XrResult waitFrame(XrSession handle, const XrFrameWaitInfo*, XrFrameState* frame) {
    Session* session = object<Session>(handle);
    if (!session->running) return XR_ERROR_SESSION_NOT_RUNNING;
    if (session->frameWaited) return orderError();
    state.clock += 11'111'111;  // 90 Hz
    session->predicted = frame->predictedDisplayTime = state.clock;
    session->frameWaited = true;
    frame->predictedDisplayPeriod = 11'111'111;
    frame->shouldRender = XR_TRUE;
    return XR_SUCCESS;
}
XrResult beginFrame(XrSession handle, const XrFrameBeginInfo*) {
    Session* session = object<Session>(handle);
    if (!session->running) return XR_ERROR_SESSION_NOT_RUNNING;
    if (!session->frameWaited || session->frameBegun) return orderError();
    session->frameWaited = false;
    session->frameBegun = true;
    return XR_SUCCESS;
}
XrResult endFrame(XrSession handle, const XrFrameEndInfo* info) {
    Session* session = object<Session>(handle);
    if (!session->running) return XR_ERROR_SESSION_NOT_RUNNING;
    if (!session->frameBegun) return orderError();
    session->frameBegun = false;
    if (info->displayTime != session->predicted) return XR_ERROR_TIME_INVALID;
    if (info->layerCount == 0) return XR_SUCCESS;
    if (info->layerCount != 1 || info->layers[0]->type != XR_TYPE_COMPOSITION_LAYER_PROJECTION) return XR_ERROR_LAYER_INVALID;
    const auto* layer = reinterpret_cast<const XrCompositionLayerProjection*>(info->layers[0]);
    if (layer->viewCount != 2 || !live(state.spaces, layer->space)) return XR_ERROR_VALIDATION_FAILURE;
    unsigned images[2] = {0, 0};
    for (int eye = 0; eye < 2; ++eye) {
        Swapchain* chain = object<Swapchain>(layer->views[eye].subImage.swapchain);
        if (state.swapchains.count(chain) == 0) return XR_ERROR_HANDLE_INVALID;
        if (chain->released < 0) return XR_ERROR_LAYER_INVALID;  // nothing rendered into it
        images[eye] = chain->images[size_t(chain->released)];
        chain->released = -1;
    }
    std::memcpy(state.submitted, images, sizeof images);
    const int frames = ++state.counts["framesSubmitted"];
    if (frames % 10 == 0) writeReport();
    const char* exitAfter = std::getenv("TESTXR_EXIT_AFTER");
    if (exitAfter != nullptr && frames == std::atoi(exitAfter)) requestExit();
    return XR_SUCCESS;
}
XrResult getInstanceProcAddr(XrInstance, const char* name, PFN_xrVoidFunction* function) {
#define ENTRY(name, fn) {"xr" name, reinterpret_cast<PFN_xrVoidFunction>(fn)}
    static const std::map<std::string, PFN_xrVoidFunction> table = {
        ENTRY("GetInstanceProcAddr", getInstanceProcAddr), ENTRY("EnumerateInstanceExtensionProperties", enumerateExtensions),
        ENTRY("CreateInstance", createInstance), ENTRY("DestroyInstance", destroyInstance), ENTRY("PollEvent", pollEvent),
        ENTRY("GetSystem", getSystem), ENTRY("GetSystemProperties", getSystemProperties),
        ENTRY("EnumerateViewConfigurationViews", enumerateViews), ENTRY("GetOpenGLGraphicsRequirementsKHR", glRequirements),
        ENTRY("CreateSession", createSession), ENTRY("DestroySession", destroySession), ENTRY("BeginSession", beginSession),
        ENTRY("EndSession", endSession), ENTRY("RequestExitSession", requestExitSession),
        ENTRY("CreateReferenceSpace", createReferenceSpace), ENTRY("DestroySpace", destroySpace),
        ENTRY("LocateSpace", locateSpace), ENTRY("LocateViews", locateViews), ENTRY("EnumerateSwapchainFormats", enumerateFormats),
        ENTRY("CreateSwapchain", createSwapchain), ENTRY("DestroySwapchain", destroySwapchain),
        ENTRY("EnumerateSwapchainImages", enumerateImages), ENTRY("AcquireSwapchainImage", acquireImage),
        ENTRY("WaitSwapchainImage", waitImage), ENTRY("ReleaseSwapchainImage", releaseImage), ENTRY("WaitFrame", waitFrame),
        ENTRY("BeginFrame", beginFrame), ENTRY("EndFrame", endFrame),
    };
#undef ENTRY
    const auto it = table.find(name);
    *function = it == table.end() ? nullptr : it->second;
    return *function != nullptr ? XR_SUCCESS : XR_ERROR_FUNCTION_UNSUPPORTED;
}

}  // namespace

EXPORT XrResult xrNegotiateLoaderRuntimeInterface(const NegotiateLoaderInfo* loaderInfo, NegotiateRuntimeRequest* request) {
    if (loaderInfo == nullptr || request == nullptr || loaderInfo->structType != kLoaderInfo || request->structType != kRuntimeRequest ||
        loaderInfo->minInterfaceVersion > 1 || loaderInfo->maxInterfaceVersion < 1) {
        return XR_ERROR_INITIALIZATION_FAILED;
    }
    request->runtimeInterfaceVersion = 1;
    request->runtimeApiVersion = XR_CURRENT_API_VERSION;
    request->getInstanceProcAddr = getInstanceProcAddr;
    return XR_SUCCESS;
}
EXPORT void testxr_reset() {
    state.connected = true;
    state.exitAfterStop = false;
    state.fault = 0;
    state.head = Rigid{};
    state.counts.clear();
    state.submitted[0] = state.submitted[1] = 0;
}
EXPORT void testxr_setConnected(int connected) { state.connected = connected != 0; }
EXPORT void testxr_setFault(int fault) { state.fault = fault; }
EXPORT void testxr_setHeadPose(const float q[4], const float p[3]) {
    state.head = {glm::normalize(glm::quat(q[3], q[0], q[1], q[2])), {p[0], p[1], p[2]}};
}
EXPORT void testxr_queueState(int next) {
    if (next == 0) return requestExit();
    for (Session* session : state.sessions) queue(session, XrSessionState(next));
}
EXPORT int testxr_count(const char* name) { return count(name); }
EXPORT unsigned testxr_submittedImage(int eye) { return state.submitted[eye == 1 ? 1 : 0]; }
