#pragma once
// The lit relief globe, turned about +Y by the sidereal time of the simulated instant. It is
// kept at four levels of detail (every grid point, every 2nd, 4th and 8th) and each draw takes
// the coarsest that stays within half a pixel of the finest (render/GlobeDetail.h); the maps
// are mipmapped.

#include "render/BasicProgram.h"
#include "render/GlName.h"
#include "render/IndexedMesh.h"

#include <glm/mat4x4.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace earth {

class SimulationClock;

struct EarthResources {
    std::uint16_t day = 533;       // colour, uploaded as GL_RGB
    std::uint16_t specular = 549;  // water mask, GL_RED
    std::uint16_t night = 517;     // city lights, GL_RGB
    std::uint16_t grid = 942;      // elevation grid
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
    // Per level, finest first: how far its surface strays from the finest one's (scene units).
    const std::vector<float>& levelDeviations() const { return levels_.deviations; }
    // The level the latest draw used.
    std::size_t lastLevel() const { return lastLevel_; }
    float siderealOffset() const { return siderealOffset_; }
    const Light& light() const { return light_; }

    // Off (the default, for which the tour's views were composed): the light stands still at
    // light().position. On: it comes from the Sun's direction at the clock's present instant.
    void setTrueSun(bool on) { trueSun_ = on; }
    bool trueSun() const { return trueSun_; }
    // The light position drawn with, in world coordinates.
    glm::vec3 lightPosition() const;

    // The meshes, finest first, and what the level choice needs to know about them.
    struct Levels {
        std::vector<IndexedMesh> meshes;
        std::vector<float> deviations;
        float outerRadius = 0.0f;  // of the highest relief: the nearest the eye can be
    };

private:
    const SimulationClock& clock_;
    const float& scale_;
    BasicProgram program_;
    Levels levels_;
    std::size_t lastLevel_ = 0;
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
