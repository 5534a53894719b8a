#include "overlay/OverlayFontTexture.h"

#include "data/Resources.h"
#include "render/Textures.h"

#include <epoxy/gl.h>
#include <stb_image_write.h>

#include <stdexcept>
#include <string>

namespace earth {

namespace {

void appendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<std::size_t>(size));
}

}  // namespace

Overlay::FontTexture::FontTexture(const unsigned char* rgba, int width, int height) {
    std::string png;
    if (rgba == nullptr || width <= 0 || height <= 0 ||
        stbi_write_png_to_func(appendBytes, &png, width, height, 4, rgba, width * 4) == 0) {
        throw std::runtime_error("Load failure");
    }
    const Image image(std::string_view{png});
    texture = std::make_unique<glcommon::GlNameArray<1>>(glcommon::Texture2D(image, GL_RGBA));
}

}  // namespace earth
