#pragma once
// The star cube around the eye: drawn on the far plane after the opaque globe and before
// anything blended, without depth writes, turned by the view's orientation and a fixed
// rotation, never moved by the view's position.

#include "render/GlName.h"
#include "render/ShaderProgram.h"

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <array>
#include <cstdint>

namespace earth {

struct StarfieldFaces {
    std::uint16_t positiveX = 593;
    std::uint16_t negativeX = 581;
    std::uint16_t positiveY = 597;
    std::uint16_t negativeY = 585;
    std::uint16_t positiveZ = 601;
    std::uint16_t negativeZ = 589;
};

class StarfieldProgram {
public:
    StarfieldProgram();
    void use(const glm::mat4& matrix, int unit) const;

private:
    glcommon::ShaderProgram program_;
    std::int32_t orientationLocation_ = -1;
    std::int32_t textureLocation_ = -1;
};

class Starfield {
public:
    explicit Starfield(const StarfieldFaces& faces = StarfieldFaces{});

    // `orientation`: projection times the view's rotation, without its translation.
    void draw(const glm::mat4& orientation);

    // Rotation by 0.75 rad about X, then 0.6 about Y, then 1.4 about Z (composed in that order).
    static glm::mat4 fixedRotation();
    static const std::array<glm::vec3, 24>& cubeVertices();
    static const std::array<std::uint16_t, 36>& cubeIndices();

private:
    glcommon::GlNameArray<1> texture_;
    StarfieldProgram program_;
    glcommon::GlNameArray<1> vertexArray_;
    glcommon::GlNameArray<2> buffers_;  // vertices, indices
    glm::mat4 rotation_{1.0f};
};

}  // namespace earth
