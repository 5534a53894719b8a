#include "render/BasicProgram.h"

#include <epoxy/gl.h>
#include <glm/gtc/type_ptr.hpp>
#include <glm/mat3x3.hpp>
#include <glm/matrix.hpp>

namespace earth {

BasicProgram::BasicProgram()
    : program_(glcommon::ProgramDescription::drawing("basic.vsh", "basic.fsh")) {
    using glcommon::uniformLocation;
    projection_ = uniformLocation(program_, "uProjectionMatrix");
    modelView_ = uniformLocation(program_, "uModelViewMatrix");
    normalMatrix_ = uniformLocation(program_, "uNormalMatrix");
    material_.shininess = uniformLocation(program_, "uMaterial", "shininess");
    material_.specularColor = uniformLocation(program_, "uMaterial", "specularColor");
    specularMaterial_.shininess = uniformLocation(program_, "uSpecularMaterial", "shininess");
    specularMaterial_.specularColor = uniformLocation(program_, "uSpecularMaterial", "specularColor");
    lightPosition_ = uniformLocation(program_, "uLightEyespace", "position");
    lightColor_ = uniformLocation(program_, "uLightEyespace", "color");
    lightAttenuation_ = uniformLocation(program_, "uLightEyespace", "attenuation");
    lightAmbient_ = uniformLocation(program_, "uLightEyespace", "ambientCoefficient");
    texture_ = uniformLocation(program_, "uTexture");
    specularMap_ = uniformLocation(program_, "uSpecularMap");
    nightMap_ = uniformLocation(program_, "uNightMap");
}

void BasicProgram::use(const glm::mat4& projection, const glm::mat4& modelView,
                       const Material& material, const Material& specularMaterial,
                       const Light& light, int dayUnit, int specularUnit, int nightUnit) const {
    glUseProgram(program_.id());
    glUniformMatrix4fv(projection_, 1, GL_FALSE, glm::value_ptr(projection));
    glUniformMatrix4fv(modelView_, 1, GL_FALSE, glm::value_ptr(modelView));
    const glm::mat3 normalMatrix(glm::inverse(glm::transpose(modelView)));
    glUniformMatrix3fv(normalMatrix_, 1, GL_FALSE, glm::value_ptr(normalMatrix));
    glUniform1f(material_.shininess, material.shininess);
    glUniform3fv(material_.specularColor, 1, glm::value_ptr(material.specularColor));
    glUniform1f(specularMaterial_.shininess, specularMaterial.shininess);
    glUniform3fv(specularMaterial_.specularColor, 1, glm::value_ptr(specularMaterial.specularColor));
    glUniform3fv(lightPosition_, 1, glm::value_ptr(light.position));
    glUniform3fv(lightColor_, 1, glm::value_ptr(light.color));
    glUniform1f(lightAttenuation_, light.attenuation);
    glUniform1f(lightAmbient_, light.ambientCoefficient);
    glUniform1i(texture_, dayUnit);
    glUniform1i(specularMap_, specularUnit);
    glUniform1i(nightMap_, nightUnit);
}

}  // namespace earth
