#pragma once
// The lit relief globe, turned about +Y by the sidereal time of the simulated instant.

#include "render/BasicProgram.h"
#include "render/GlName.h"
#include "render/IndexedMesh.h"

#include <glm/mat4x4.hpp>

#include <cstdint>

namespace earth {

class IGeometryProvider;
class SimulationClock;

struct EarthResources {
    std::uint16_t day = 533;       // colour, uploaded as GL_RGB
    std::uint16_t specular = 549;  // water mask, GL_RED
    std::uint16_t night = 517;     // city lights, GL_RGB
    std::uint16_t grid = 942;      // elevation grid
    // A ready mesh instead of the grid (tests); used only during construction.
    const IGeometryProvider* mesh = nullptr;
};

class EarthRenderer {
public:
    // `clock` is the scene's simulation clock, read at every draw; `scale` is scene units
    // per metre. Both must outlive the renderer.
    EarthRenderer(const SimulationClock& clock, const float& scale,
                  const EarthResources& resources = {});

    void draw(const glm::mat4& projection, const glm::mat4& view);

    // The globe's model matrix for the clock's present time.
    glm::mat4 model() const;
    float siderealOffset() const { return siderealOffset_; }
    const Light& light() const { return light_; }

    // Off (the default, for which the tour's views were composed): the light stands still at
    // light().position. On: it comes from the Sun's direction at the clock's present instant.
    void setTrueSun(bool on) { trueSun_ = on; }
    bool trueSun() const { return trueSun_; }
    // The light position drawn with, in world coordinates.
    glm::vec3 lightPosition() const;

private:
    const SimulationClock& clock_;
    const float& scale_;
    BasicProgram program_;
    IndexedMesh mesh_;
    glcommon::GlNameArray<1> dayTexture_;
    glcommon::GlNameArray<1> specularTexture_;
    glcommon::GlNameArray<1> nightTexture_;
    Light light_;
    Material surfaceMaterial_;
    Material specularMaterial_;
    float siderealOffset_ = 0.0f;
    bool trueSun_ = false;
};

}  // namespace earth
