#pragma once
// The one user-interface library instance of the program. Each information panel is one
// library frame with one auto-sized window whose triangles are placed in the scene.

#include "render/PanelVertex.h"

#include <glm/vec3.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct ImDrawList;

namespace earth {

class PanelRenderer;

class Overlay {
public:
    // Created on first use; its destructor shuts the library down, which writes "imgui.ini".
    static Overlay& instance();

    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    // Starts a library frame and opens the window `name`; text calls of the caller follow.
    void beginPanel(const std::string& name, float dt);
    // Closes the window and appends its triangles, placed on the rectangle centred on
    // `centre` and spanned by the unit vectors `right` and `up`, to the panel vertex list.
    void endPanel(PanelRenderer& panels, const glm::vec3& centre, const glm::vec3& right,
                  const glm::vec3& up, float scale);
    void endPanel(std::vector<PanelVertex>& out, const glm::vec3& centre, const glm::vec3& right,
                  const glm::vec3& up, float scale);

    // Forwards the draw lists of a finished frame to the mapping of the panel being closed.
    void dispatch(ImDrawList** lists, int count);

    // The font texture is a GL object and must die with its context, not with this static
    // object: whoever draws panels holds a FontTextureLease while its context lives.
    void acquireFontTexture();
    void releaseFontTexture();
    unsigned fontTexture() const;  // GL name, 0 while no renderer holds it

    float canvasWidth() const { return canvasWidth_; }
    float canvasHeight() const { return canvasHeight_; }

private:
    Overlay();
    ~Overlay();

    struct FontTexture;

    std::function<void(ImDrawList**, int)> renderCallback_;
    std::unique_ptr<FontTexture> fontTexture_;
    int fontTextureUsers_ = 0;
    float canvasWidth_ = 1024.0f;
    float canvasHeight_ = 1024.0f;
    bool panelOpen_ = false;
};

// Holds the overlay's font texture for as long as it lives; made and destroyed while the GL
// context is current.
class FontTextureLease {
public:
    explicit FontTextureLease(Overlay& overlay = Overlay::instance()) : overlay_(overlay) {
        overlay_.acquireFontTexture();
    }
    ~FontTextureLease() { overlay_.releaseFontTexture(); }
    FontTextureLease(const FontTextureLease&) = delete;
    FontTextureLease& operator=(const FontTextureLease&) = delete;

    unsigned texture() const { return overlay_.fontTexture(); }

private:
    Overlay& overlay_;
};

}  // namespace earth
