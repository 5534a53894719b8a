#include "ovrlib/Headset.h"

#include "ovrlib/OpenXrRuntime.h"
#include "ovrlib/VirtualHeadsetRuntime.h"

#include <stdexcept>
#include <utility>

namespace ovrlib {

HeadsetContext::HeadsetContext()
    : HeadsetContext(std::make_unique<OpenXrRuntime>(),
                     [] { return std::make_unique<VirtualHeadsetRuntime>(); }) {}

HeadsetContext::HeadsetContext(std::unique_ptr<HeadsetRuntime> runtime, RuntimeFactory fallback)
    : runtime_(std::move(runtime)), fallback_(std::move(fallback)) {
    switch (runtime_->initialise()) {
        case RuntimeStatus::Ready:
            return;
        case RuntimeStatus::NoRuntime:
            if (switchToFallback()) return;
            break;
        case RuntimeStatus::Failed:
            break;
    }
    throw std::runtime_error("Failed to initialize headset runtime");
}

HeadsetContext::~HeadsetContext() { runtime_->shutdown(); }

bool HeadsetContext::switchToFallback() {
    if (usingFallback_ || !fallback_) return false;
    std::unique_ptr<HeadsetRuntime> next = fallback_();
    if (!next || next->initialise() != RuntimeStatus::Ready) return false;
    runtime_->shutdown();
    runtime_ = std::move(next);
    usingFallback_ = true;
    return true;
}

Headset::Headset(HeadsetContext* context) {
    HeadsetRuntime* runtime = &context->runtime();
    if (!runtime->openDevice()) {
        runtime = context->switchToFallback() ? &context->runtime() : nullptr;
        if (runtime == nullptr || !runtime->openDevice()) {
            throw std::runtime_error("Failed to initialize headset");
        }
    }
    hmd_ = runtime;
    if (!hmd_->configureTracking()) {
        hmd_->closeDevice();
        throw std::runtime_error("Unable to configure tracking");
    }
}

Headset::~Headset() { hmd_->closeDevice(); }

void Headset::dismissNotice() {
    if (noticeDismissed_) return;
    if (!hmd_->noticeDisplayed()) return;  // not shown yet: try again on a later press
    hmd_->dismissNotice();
    noticeDismissed_ = true;
}

void Headset::recenter() { hmd_->recenter(); }

std::shared_ptr<GlRenderState> Headset::makeRenderState(GLFWwindow* window) {
    return std::make_shared<GlRenderState>(hmd_, window);
}

GlRenderState::GlRenderState(HeadsetRuntime* runtime, GLFWwindow* window) : hmd(runtime) {
    if (!hmd->configureRendering(window, eyeRenderDesc)) {
        throw std::runtime_error("Unable to configure rendering");
    }
    const DeviceDescription& device = hmd->description();
    for (int eye = 0; eye < 2; ++eye) {
        hmdToEyeOffset[eye] = eyeRenderDesc[eye].hmdToEyeOffset;
        eyeTextureSize[eye] = hmd->recommendedTextureSize(eye, device.maxEyeFov[eye], 1.0f);
        eyeProjection[eye] = hmd->projection(eyeRenderDesc[eye].fov, kEyeNear, kEyeFar);
    }
}

GlRenderState::~GlRenderState() { hmd->releaseRendering(); }

std::shared_ptr<BoundGlRenderState> GlRenderState::bind(std::uint32_t leftTexture,
                                                        std::uint32_t rightTexture) {
    return std::make_shared<BoundGlRenderState>(this, leftTexture, rightTexture);
}

BoundGlRenderState::BoundGlRenderState(GlRenderState* renderState, std::uint32_t leftTexture,
                                       std::uint32_t rightTexture)
    : state(renderState), hmd(renderState->hmd) {
    const std::uint32_t names[2] = {leftTexture, rightTexture};
    for (int eye = 0; eye < 2; ++eye) {
        eyeTexture[eye].glTexture = names[eye];
        eyeTexture[eye].textureSize = state->eyeTextureSize[eye];
        eyeTexture[eye].viewportSize = state->eyeTextureSize[eye];
    }
}

std::unique_ptr<EyeFrame> BoundGlRenderState::beginFrame(std::uint32_t frameIndex) {
    return std::make_unique<EyeFrame>(this, frameIndex);
}

EyeFrame::EyeFrame(BoundGlRenderState* boundState, std::uint32_t index)
    : bound(boundState), frameIndex(index) {
    HeadsetRuntime* hmd = bound->hmd;
    hmd->beginFrame(frameIndex);
    std::array<FovPort, 2> fovs;
    hmd->eyePoses(frameIndex, bound->state->hmdToEyeOffset, eyePose, fovs);
    for (int eye = 0; eye < 2; ++eye) projection_[eye] = hmd->projection(fovs[eye], kEyeNear, kEyeFar);
}

EyeFrame::~EyeFrame() { bound->hmd->endFrame(frameIndex, eyePose, bound->eyeTexture); }

Gaze renderHeadsetFrame(BoundGlRenderState& bound, const Headset& headset,
                        const std::vector<Framebuffer>& eyeFramebuffers, std::uint32_t frameIndex,
                        const EyeCamera& camera, const DrawScene& drawScene) {
    std::unique_ptr<EyeFrame> frame = bound.beginFrame(frameIndex);
    const Gaze gaze = headGaze(camera, frame->eyePose[0], frame->eyePose[1]);
    for (int eye : headset.eyeRenderOrder()) {
        const EyeMatrices m = eyeMatrices(camera, frame->eyePose[eye], frame->projection(eye));
        eyeFramebuffers.at(eye).bind();
        drawScene(m.projection, m.view, m.sky);
    }
    frame.reset();
    return gaze;
}

}  // namespace ovrlib
