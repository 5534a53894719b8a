#include "overlay/Overlay.h"

#include "overlay/OverlayFontTexture.h"
#include "overlay/PanelMapping.h"
#include "render/PanelRenderer.h"

#include <glm/common.hpp>
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace earth {

namespace {

// Borders come from the style (WindowBorderSize 1); the window follows its text.
constexpr ImGuiWindowFlags kPanelFlags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                         ImGuiWindowFlags_NoScrollbar |
                                         ImGuiWindowFlags_AlwaysAutoResize;

// The library refuses a frame time that is not positive; a frame that took no measurable
// time still has to lay its panels out.
constexpr float kShortestFrame = 1e-4f;

}  // namespace

Overlay& Overlay::instance() {
    static Overlay overlay;
    return overlay;
}

Overlay::Overlay() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(canvasWidth_, canvasHeight_);
    // Bakes the library's own font now, so that the first frame finds it ready.
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    if (pixels == nullptr || width <= 0 || height <= 0) {
        ImGui::DestroyContext();
        throw std::runtime_error("Load failure");
    }
}

Overlay::~Overlay() {
    // By now the window and its context are normally gone: the name must not be deleted
    // through GL any more. The scene's teardown has released it in the ordinary case.
    if (fontTexture_) fontTexture_->abandon();
    ImGui::DestroyContext();  // writes "imgui.ini"
}

void Overlay::beginPanel(const std::string& name, float dt, PanelChrome chrome) {
    if (panelOpen_) throw std::logic_error("Overlay panel opened while another is open");
    ImGuiIO& io = ImGui::GetIO();
    io.DeltaTime = dt > kShortestFrame ? dt : kShortestFrame;
    ImGui::NewFrame();
    bool closeRequested = false;  // the panel has no way to be closed by the viewer
    if (chrome == PanelChrome::Titled) {
        ImGui::Begin(name.c_str(), &closeRequested, kPanelFlags);
    } else {
        // At the canvas's corner, so that a tall panel is not cut by the canvas's edge.
        ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
        if (chrome == PanelChrome::Translucent) ImGui::SetNextWindowBgAlpha(0.55f);
        // No border: its outer half lies outside the window's clip rectangle and would be
        // dropped in pieces.
        ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
        ImGui::Begin(name.c_str(), nullptr,
                     kPanelFlags | ImGuiWindowFlags_NoTitleBar |
                         (chrome == PanelChrome::Bare
                              ? static_cast<int>(ImGuiWindowFlags_NoBackground)
                              : 0));
        ImGui::PopStyleVar();
    }
    panelOpen_ = true;
}

void Overlay::endPanel(PanelRenderer& panels, const glm::vec3& centre, const glm::vec3& right,
                       const glm::vec3& up, float scale) {
    endPanel(panels.vertices(), centre, right, up, scale);
}

void Overlay::endPanel(std::vector<PanelVertex>& out, const glm::vec3& centre,
                       const glm::vec3& right, const glm::vec3& up, float scale) {
    if (!panelOpen_) throw std::logic_error("Overlay panel closed without being opened");
    const ImVec2 size = ImGui::GetWindowSize();
    const ImVec2 origin = ImGui::GetWindowPos();
    const float line = ImGui::GetTextLineHeight();
    const float pitch = ImGui::GetTextLineHeightWithSpacing();
    ImGui::End();
    panelOpen_ = false;

    // The world height grows with the number of lines: one line plus one pitch makes k = 1.
    const float k = size.y / (line + pitch);
    PanelFrame frame;
    frame.windowOrigin = glm::vec2(origin.x, origin.y);
    frame.windowSize = glm::vec2(size.x, size.y);
    frame.height = k * scale;
    frame.width = size.y > 0.0f ? frame.height * (size.x / size.y) : 0.0f;
    frame.right = right;
    frame.up = up;
    frame.corner = centre - right * (frame.width / 2.0f) - up * (frame.height / 2.0f);

    render(out, frame);
}

void Overlay::endScreenPanel(std::vector<PanelVertex>& out, const ScreenAnchor& anchor) {
    if (!panelOpen_) throw std::logic_error("Overlay panel closed without being opened");
    const ImVec2 size = ImGui::GetWindowSize();
    const ImVec2 origin = ImGui::GetWindowPos();
    ImGui::End();
    panelOpen_ = false;

    float fit = 1.0f;
    if (anchor.window.x > 0.0f && anchor.window.y > 0.0f && size.x > 0.0f && size.y > 0.0f) {
        fit = std::min({1.0f, anchor.window.x / size.x, anchor.window.y / size.y});
    }
    const glm::vec2 extent(size.x * fit, size.y * fit);
    glm::vec2 corner = anchor.point - anchor.pivot * extent;
    corner = glm::clamp(corner, glm::vec2(0.0f), glm::max(anchor.window - extent, glm::vec2(0.0f)));
    PanelFrame frame;
    frame.windowOrigin = glm::vec2(origin.x, origin.y);
    frame.windowSize = glm::vec2(size.x, size.y);
    frame.corner = glm::vec3(std::round(corner.x), std::round(corner.y), 0.0f);
    frame.width = extent.x;
    frame.height = extent.y;
    render(out, frame);
}

void Overlay::render(std::vector<PanelVertex>& out, const PanelFrame& frame) {
    if (frame.windowSize.x > 0.0f && frame.windowSize.y > 0.0f) {
        // Two references fit the function object's own storage: a copy of the frame would
        // not, and would cost a heap allocation on every panel of every frame.
        renderCallback_ = [&out, &frame](ImDrawList** lists, int count) {
            appendPanelTriangles(lists, count, frame, out);
        };
    }
    ImGui::Render();
    const ImDrawData* data = ImGui::GetDrawData();
    if (data != nullptr && data->Valid) dispatch(data->CmdLists, data->CmdListsCount);
    renderCallback_ = nullptr;
}

void Overlay::dispatch(ImDrawList** lists, int count) {
    if (renderCallback_) renderCallback_(lists, count);
}

void Overlay::acquireFontTexture() {
    if (fontTextureUsers_++ > 0) return;
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    ImGui::GetIO().Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    try {
        fontTexture_ = std::make_unique<FontTexture>(pixels, width, height);
    } catch (...) {
        fontTextureUsers_ = 0;
        throw;
    }
}

void Overlay::releaseFontTexture() {
    if (fontTextureUsers_ == 0) return;
    if (--fontTextureUsers_ == 0) fontTexture_.reset();
}

unsigned Overlay::fontTexture() const { return fontTexture_ ? fontTexture_->name() : 0; }

}  // namespace earth
