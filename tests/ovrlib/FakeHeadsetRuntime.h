#pragma once
// A headset runtime that records what the headset classes ask of it, for tests without GL.

#include "ovrlib/EyeMath.h"
#include "ovrlib/HeadsetRuntime.h"

#include <memory>
#include <string>
#include <vector>

namespace ovrlib::test {

struct RuntimeLog {
    std::vector<std::string> calls;
    int count(const std::string& call) const {
        int n = 0;
        for (const auto& c : calls) n += c == call ? 1 : 0;
        return n;
    }
};

class FakeHeadsetRuntime final : public HeadsetRuntime {
public:
    FakeHeadsetRuntime(std::shared_ptr<RuntimeLog> log, std::string name) : log_(std::move(log)), name_(std::move(name)) {
        description_.productName = name_;
        description_.resolution = {800, 600};
        description_.maxEyeFov = {FovPort{1.2f, 1.1f, 1.0f, 0.9f}, FovPort{1.2f, 1.1f, 0.9f, 1.0f}};
    }

    RuntimeStatus status = RuntimeStatus::Ready;
    bool deviceConnected = true;
    bool trackingWorks = true;
    bool renderingWorks = true;
    bool noticeUp = false;
    std::array<Pose, 2> poses{};
    std::array<EyeTexture, 2> lastTextures{};
    std::uint32_t lastBegin = 0, lastPoses = 0, lastEnd = 0;

    RuntimeStatus initialise() override { note("initialise"); return status; }
    void shutdown() override { note("shutdown"); }
    bool openDevice() override { note("openDevice"); return deviceConnected; }
    void closeDevice() override { note("closeDevice"); }
    const DeviceDescription& description() const override { return description_; }
    DeviceDescription& editDescription() { return description_; }
    bool configureTracking() override { note("configureTracking"); return trackingWorks; }
    bool configureRendering(GLFWwindow*, std::array<EyeRenderDesc, 2>& eyes) override {
        note("configureRendering");
        for (int e = 0; e < 2; ++e) {
            eyes[e].fov = description_.maxEyeFov[e];
            eyes[e].hmdToEyeOffset = {e == 0 ? -0.03f : 0.03f, 0.0f, 0.0f};
        }
        return renderingWorks;
    }
    void releaseRendering() override { note("releaseRendering"); }
    Sizei recommendedTextureSize(int eye, const FovPort& fov, float density) override {
        note("recommendedTextureSize");
        return {int(100 * density * (fov.left + fov.right)) + eye, int(100 * density * (fov.up + fov.down))};
    }
    glm::mat4 projection(const FovPort& fov, float n, float f) override { return projectionFromFov(fov, n, f); }
    void beginFrame(std::uint32_t index) override { note("beginFrame"); lastBegin = index; }
    void eyePoses(std::uint32_t index, const std::array<glm::vec3, 2>& offsets, std::array<Pose, 2>& out,
                  std::array<FovPort, 2>& fovs) override {
        note("eyePoses");
        lastPoses = index;
        out = poses;
        for (int e = 0; e < 2; ++e) {
            out[e].position += offsets[e];
            fovs[e] = description_.maxEyeFov[e];
        }
    }
    void endFrame(std::uint32_t index, const std::array<Pose, 2>&, const std::array<EyeTexture, 2>& textures) override {
        note("endFrame");
        lastEnd = index;
        lastTextures = textures;
    }
    bool noticeDisplayed() override { note("noticeDisplayed"); return noticeUp; }
    bool dismissNotice() override { note("dismissNotice"); noticeUp = false; return true; }
    void recenter() override { note("recenter"); }

private:
    void note(const std::string& call) { log_->calls.push_back(name_ + "." + call); }
    std::shared_ptr<RuntimeLog> log_;
    std::string name_;
    DeviceDescription description_;
};

}  // namespace ovrlib::test
