#include "render/EarthRenderer.h"

#include "data/Resources.h"
#include "data/SimulationClock.h"
#include "data/SolarPosition.h"
#include "render/GlobeDetail.h"
#include "render/LoadedEarthData.h"
#include "render/SiderealTime.h"
#include "render/ViewGeometry.h"
#include "render/Textures.h"

#include <epoxy/gl.h>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/matrix.hpp>

#include <algorithm>
#include <string_view>

namespace earth {

namespace {

// Attributes 0, 1, 2 of the mesh's vertex array (left bound by the mesh).
void describeMeshVertices() {
    const GLsizei stride = sizeof(MeshVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(MeshVertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(MeshVertex, normal)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(MeshVertex, uv)));
    glBindVertexArray(0);
}

float outerRadius(const IGeometryProvider& mesh) {
    float r = 0.0f;
    for (const MeshVertex& v : mesh.vertices()) r = std::max(r, glm::length(v.position));
    return r;
}

// Every grid point, then every 2nd, 4th and 8th: at the tour's distances the finest level puts
// several triangles into each pixel. The lists are large; they live only until uploaded.
EarthRenderer::Levels globeLevels(float radius, const EarthResources& resources) {
    EarthRenderer::Levels levels;
    const auto add = [&levels](const IGeometryProvider& mesh, float deviation) {
        levels.meshes.emplace_back(mesh);
        describeMeshVertices();
        levels.deviations.push_back(deviation);
    };
    const std::string_view grid = elevationGrid(resources.grid);
    const LoadedEarthData finest(grid, radius);
    levels.outerRadius = outerRadius(finest);
    add(finest, 0.0f);
    for (int step : {2, 4, 8}) {
        const LoadedEarthData coarse(grid, radius, ElevationGridShape{}, step);
        add(coarse, coarse.deviationFrom(finest));
    }
    return levels;
}

glcommon::GlNameArray<1> mapTexture(std::uint16_t id, GLint internalFormat) {
    const Image image(id);
    return glcommon::MipmappedTexture2D(image, internalFormat);
}

}  // namespace

EarthRenderer::EarthRenderer(const SimulationClock& clock, const float& scale,
                             const EarthResources& resources)
    : clock_(clock),
      scale_(scale),
      program_(),
      levels_(globeLevels(scale * orbit::earthRadius, resources)),
      dayTexture_(mapTexture(resources.day, GL_RGB)),
      specularTexture_(mapTexture(resources.specular, GL_RED)),
      nightTexture_(mapTexture(resources.night, GL_RGB)) {
    light_.position = glm::vec3(2.0f, 2.0f, 2.0f);
    light_.color = glm::vec3(1.0f);
    light_.attenuation = 0.5f;
    light_.ambientCoefficient = 0.01f;
    surfaceMaterial_.shininess = 0.2f;
    surfaceMaterial_.specularColor = glm::vec3(0.001f);
    specularMaterial_.shininess = 5.0f;
    specularMaterial_.specularColor = glm::vec3(1.0f);

    siderealOffset_ = siderealOffsetSeconds(clock_.epoch());
}

glm::mat4 EarthRenderer::model() const {
    return glm::rotate(glm::mat4(1.0f), earthRotationAngle(clock_.time(), siderealOffset_),
                       glm::vec3(0.0f, 1.0f, 0.0f));
}

glm::vec3 EarthRenderer::lightPosition() const {
    if (!trueSun_) return light_.position;
    // Far enough (in Earth radii) that the rays are parallel to a thousandth of a radian, so
    // that the terminator is a great circle as the Sun's is.
    constexpr double sunDistance = 1000.0;
    return glm::vec3(sunDirection(clock_.now()) * sunDistance);
}

void EarthRenderer::draw(const glm::mat4& projection, const glm::mat4& view) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const glm::vec3 eye(glm::inverse(view)[3]);
    const float pixelsPerUnit = pixelsPerUnitAtUnitDistance(
        projection, glm::vec4(viewport[0], viewport[1], viewport[2], viewport[3]));
    lastLevel_ = chooseGlobeLevel(levels_.deviations, pixelsPerUnit,
                                  glm::length(eye) - levels_.outerRadius);
    const IndexedMesh& mesh = levels_.meshes[lastLevel_];

    const glm::mat4 modelView = view * model();
    // The light is fixed in the inertial frame: it follows the view, not the globe's turn.
    Light eyeLight = light_;
    eyeLight.position = glm::vec3(view * glm::vec4(lightPosition(), 1.0f));

    mesh.bind();
    program_.use(projection, modelView, surfaceMaterial_, specularMaterial_, eyeLight, 0, 1, 2);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, dayTexture_[0]);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, specularTexture_[0]);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, nightTexture_[0]);
    mesh.draw();
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(0);
}

}  // namespace earth
