#pragma once
// The globe's program: one light, a surface and a water material, day, mask and night maps.

#include "render/ShaderProgram.h"

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <cstdint>

namespace earth {

// Twins of the GLSL structs of the globe's fragment stage.
struct Light {
    glm::vec3 position{0.0f};
    glm::vec3 color{1.0f};
    float attenuation = 1.0f;
    float ambientCoefficient = 0.0f;
};

struct Material {
    float shininess = 1.0f;
    glm::vec3 specularColor{0.0f};
};

class BasicProgram {
public:
    BasicProgram();

    void use(const glm::mat4& projection, const glm::mat4& modelView, const Material& material,
             const Material& specularMaterial, const Light& light, int dayUnit, int specularUnit,
             int nightUnit) const;

private:
    struct MaterialLocations {
        std::int32_t shininess = -1;
        std::int32_t specularColor = -1;
    };

    glcommon::ShaderProgram program_;
    std::int32_t projection_ = -1;
    std::int32_t modelView_ = -1;
    std::int32_t normalMatrix_ = -1;
    MaterialLocations material_;
    MaterialLocations specularMaterial_;
    std::int32_t lightPosition_ = -1;
    std::int32_t lightColor_ = -1;
    std::int32_t lightAttenuation_ = -1;
    std::int32_t lightAmbient_ = -1;
    std::int32_t texture_ = -1;
    std::int32_t specularMap_ = -1;
    std::int32_t nightMap_ = -1;
};

}  // namespace earth
