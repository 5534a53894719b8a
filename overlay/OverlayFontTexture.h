#pragma once
// The GL side of the overlay: its font image as a texture.

#include "overlay/Overlay.h"
#include "render/GlName.h"

#include <memory>

namespace earth {

struct Overlay::FontTexture {
    // The library's baked RGBA font goes through the same image decoding and texture path as
    // every other image of the program. Throws "Load failure" when it cannot be decoded.
    FontTexture(const unsigned char* rgba, int width, int height);

    unsigned name() const { return texture ? (*texture)[0] : 0u; }
    // The context is gone: forget the name instead of deleting it through a dead context.
    void abandon() { (void)texture.release(); }

    std::unique_ptr<glcommon::GlNameArray<1>> texture;
};

}  // namespace earth
