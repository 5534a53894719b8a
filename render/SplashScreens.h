#pragma once
// A fixed quad in the scene that shows one of the two splash images while the tour asks.

#include "render/GlName.h"
#include "render/ShaderProgram.h"

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <array>
#include <cstdint>

namespace earth {

struct SplashVertex {
    glm::vec3 position;
    float u, v;
};
static_assert(sizeof(SplashVertex) == 20);

class SplashScreens {
public:
    static constexpr std::uint16_t kFirstSplash = 602;
    static constexpr std::uint16_t kSecondSplash = 603;

    // A quad in the z = centre.z plane, facing +Z: height along Y, width along X.
    SplashScreens(const glm::vec3& centre, float height, float width,
                  std::uint16_t firstImage = kFirstSplash,
                  std::uint16_t secondImage = kSecondSplash);

    // Selector 1 or 2 shows that splash; any other value draws nothing.
    void draw(int selector, const glm::mat4& projection, const glm::mat4& view);

    const std::array<SplashVertex, 4>& vertices() const { return vertices_; }

private:
    glcommon::ShaderProgram program_;
    glcommon::GlNameArray<1> vertexArray_;
    glcommon::GlNameArray<1> vertexBuffer_;
    std::array<SplashVertex, 4> vertices_{};
    glcommon::GlNameArray<1> firstSplash_;
    glcommon::GlNameArray<1> secondSplash_;
};

}  // namespace earth
