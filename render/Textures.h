#pragma once
// Textures made from decoded images. The caller keeps the images; textures keep no reference.

#include "render/GlName.h"

#include <cstdint>

namespace earth {
struct Image;
}

namespace glcommon {

// Loads level 0 of `target` (GL_TEXTURE_2D or a cube face) from the image: 1, 3 or 4 channels
// give GL_RED, GL_RGB, GL_RGBA pixels; any other count throws "Unsupported image format".
void uploadImage(const earth::Image& image, std::uint32_t target, std::int32_t internalFormat);

// Clamped, linearly filtered, no mipmaps; left bound to GL_TEXTURE_2D.
GlNameArray<1> Texture2D(const earth::Image& image, std::int32_t internalFormat);

// The same with a full chain of mipmaps, for maps drawn smaller than their size, which would
// otherwise alias (shimmer) and read texels scattered far apart. Each pixel reads the level
// nearest its footprint, linearly filtered: as cheap as the single-level map was, where
// blending two levels would cost a software rasteriser another fetch per pixel.
GlNameArray<1> MipmappedTexture2D(const earth::Image& image, std::int32_t internalFormat);

// Faces +X, -X, +Y, -Y, +Z, -Z, all GL_RGBA; left bound to GL_TEXTURE_CUBE_MAP.
GlNameArray<1> CubeMapTexture(const earth::Image& posX, const earth::Image& negX,
                              const earth::Image& posY, const earth::Image& negY,
                              const earth::Image& posZ, const earth::Image& negZ);

}  // namespace glcommon
