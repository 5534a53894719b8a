#include "render/Textures.h"

#include "data/Resources.h"

#include <epoxy/gl.h>

#include <stdexcept>

namespace glcommon {

void uploadImage(const earth::Image& image, std::uint32_t target, std::int32_t internalFormat) {
    GLenum format = 0;
    switch (image.channels) {
        case 1: format = GL_RED; break;
        case 3: format = GL_RGB; break;
        case 4: format = GL_RGBA; break;
        default: throw std::runtime_error("Unsupported image format");
    }
    // Decoded rows are packed tightly; GL's default of 4-byte rows would skew a 3-channel image
    // whose width is not a multiple of 4.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(target, 0, internalFormat, image.width, image.height, 0, format, GL_UNSIGNED_BYTE,
                 image.pixels.get());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

GlNameArray<1> Texture2D(const earth::Image& image, std::int32_t internalFormat) {
    GlNameArray<1> texture(glGenTextures, glDeleteTextures);
    glBindTexture(GL_TEXTURE_2D, texture[0]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    uploadImage(image, GL_TEXTURE_2D, internalFormat);
    return texture;
}

GlNameArray<1> MipmappedTexture2D(const earth::Image& image, std::int32_t internalFormat) {
    GlNameArray<1> texture = Texture2D(image, internalFormat);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glGenerateMipmap(GL_TEXTURE_2D);
    return texture;
}

GlNameArray<1> CubeMapTexture(const earth::Image& posX, const earth::Image& negX,
                              const earth::Image& posY, const earth::Image& negY,
                              const earth::Image& posZ, const earth::Image& negZ) {
    GlNameArray<1> texture(glGenTextures, glDeleteTextures);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture[0]);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    const earth::Image* faces[] = {&posX, &negX, &posY, &negY, &posZ, &negZ};
    for (int i = 0; i < 6; ++i) {
        uploadImage(*faces[i], GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, GL_RGBA);
    }
    return texture;
}

}  // namespace glcommon
