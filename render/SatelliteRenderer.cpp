#include "render/SatelliteRenderer.h"

#include <epoxy/gl.h>
#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <chrono>
#include <cmath>

namespace earth {

namespace {

// Buffer and vertex-array roles that never change.
constexpr std::size_t kSourceBuffer = 0;
constexpr std::size_t kIndexBuffer = 1;
constexpr std::size_t kPropagationArray = 0;

glcommon::ProgramDescription propagationProgram() {
    glcommon::ProgramDescription d;
    d.vertex = "orbit-position.vsh";
    d.addVarying("vPosition").addVarying("vColor").addVarying("vNormal")
        .addVarying("vStrength").addVarying("vSize").addVarying("vShow");
    return d;
}

glcommon::ProgramDescription tubeProgram() {
    glcommon::ProgramDescription d;
    d.vertex = "orbit.vsh";
    d.geometry = "orbit.gsh";
    d.fragment = "orbit.fsh";
    return d;
}

const void* offset(std::size_t bytes) { return reinterpret_cast<const void*>(bytes); }

void floatAttribute(GLuint location, GLint components, GLsizei stride, std::size_t at) {
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, stride, offset(at));
}

void intAttribute(GLuint location, GLsizei stride, std::size_t at) {
    glEnableVertexAttribArray(location);
    glVertexAttribIPointer(location, 1, GL_INT, stride, offset(at));
}

// The tube program reads a capture buffer through attributes 0 to 5.
void describeCapture(GLuint buffer) {
    constexpr GLsizei stride = sizeof(PropagatedVertex);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    floatAttribute(0, 3, stride, offsetof(PropagatedVertex, position));
    floatAttribute(1, 4, stride, offsetof(PropagatedVertex, color));
    floatAttribute(2, 3, stride, offsetof(PropagatedVertex, normal));
    floatAttribute(3, 1, stride, offsetof(PropagatedVertex, strength));
    floatAttribute(4, 1, stride, offsetof(PropagatedVertex, size));
    intAttribute(5, stride, offsetof(PropagatedVertex, show));
}

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

SatelliteRenderer::SatelliteRenderer(const SimulationClock& clock,
                                     const std::vector<Satellite>& catalogue)
    : clock_(clock) {
    propagation_ = glcommon::ShaderProgram(propagationProgram());
    tubes_ = glcommon::ShaderProgram(tubeProgram());

    vertexArrays_ = glcommon::GlNameArray<3>(glGenVertexArrays, glDeleteVertexArrays);
    glBindVertexArray(vertexArrays_[kPropagationArray]);
    buffers_ = glcommon::GlNameArray<4>(glGenBuffers, glDeleteBuffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[kSourceBuffer]);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[kIndexBuffer]);

    for (const Satellite& satellite : catalogue) {
        // A repeated number keeps its first range; the later records are still drawn.
        VertexRangeMap one;
        buildOrbitVertices(records_, segments_, one, satellite, satellitePhase(clock, satellite),
                           satellite.catalogNumber);
        ranges_.insert(one.begin(), one.end());
    }
    readBack_.assign(records_.size(), PropagatedVertex{});

    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(records_.size() * sizeof(OrbitVertex)),
                 records_.data(), GL_DYNAMIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(segments_.size() * sizeof(std::uint32_t)),
                 segments_.data(), GL_STATIC_DRAW);

    constexpr GLsizei stride = sizeof(OrbitVertex);
    floatAttribute(0, 3, stride, offsetof(OrbitVertex, center));
    floatAttribute(1, 3, stride, offsetof(OrbitVertex, majorAxis));
    floatAttribute(2, 3, stride, offsetof(OrbitVertex, minorAxis));
    floatAttribute(3, 4, stride, offsetof(OrbitVertex, color));
    floatAttribute(4, 1, stride, offsetof(OrbitVertex, semiMajorAxis));
    floatAttribute(5, 1, stride, offsetof(OrbitVertex, semiMinorAxis));
    floatAttribute(6, 1, stride, offsetof(OrbitVertex, eccentricity));
    floatAttribute(7, 1, stride, offsetof(OrbitVertex, phase));
    floatAttribute(8, 1, stride, offsetof(OrbitVertex, period));
    floatAttribute(9, 1, stride, offsetof(OrbitVertex, strength));
    floatAttribute(10, 1, stride, offsetof(OrbitVertex, size));
    intAttribute(11, stride, offsetof(OrbitVertex, show));

    // Zero-filled, so that the first frame draws and reads hidden, zero records rather than
    // whatever the allocation held.
    const std::vector<PropagatedVertex> zeros(records_.size(), PropagatedVertex{});
    const auto captureBytes = static_cast<GLsizeiptr>(zeros.size() * sizeof(PropagatedVertex));
    for (std::size_t b : {std::size_t{2}, std::size_t{3}}) {
        glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffers_[b]);
        glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, captureBytes, zeros.data(), GL_STREAM_DRAW);
    }

    glBindVertexArray(vertexArrays_[1]);
    describeCapture(buffers_[2]);
    glBindVertexArray(vertexArrays_[2]);
    describeCapture(buffers_[3]);

    glBindVertexArray(0);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void SatelliteRenderer::propagate() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    if (records_.empty()) return;
    const auto count = static_cast<GLsizei>(records_.size());

    glUseProgram(propagation_.id());
    glUniform1f(0, clock_.time());
    glBindVertexArray(vertexArrays_[kPropagationArray]);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[kSourceBuffer]);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffers_[writeBuffer_]);

    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, count);
    ++drawCalls_;
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);

    std::swap(writeBuffer_, otherBuffer_);
    std::swap(drawArray_, otherArray_);
    const auto issued = Clock::now();

    // The new write buffer holds the previous pass, which is finished or nearly so; the pass
    // just issued is left alone.
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffers_[writeBuffer_]);
    glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0,
                       static_cast<GLsizeiptr>(readBack_.size() * sizeof(PropagatedVertex)),
                       readBack_.data());
    ++passes_;
    positionsReady_ = passes_ >= 2;

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    glBindVertexArray(0);

    const auto done = Clock::now();
    timings_.propagation = std::chrono::duration<double>(issued - start).count();
    timings_.readBack = std::chrono::duration<double>(done - issued).count();
}

void SatelliteRenderer::draw(const glm::mat4& projection, const glm::mat4& view) {
    if (segments_.empty()) return;
    glUseProgram(tubes_.id());
    glBindVertexArray(vertexArrays_[drawArray_]);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[kIndexBuffer]);
    const glm::mat4 viewProjection = projection * view;
    glUniformMatrix4fv(0, 1, GL_FALSE, glm::value_ptr(viewProjection));
    glUniform1f(1, orbitAlpha_);
    glDrawElements(GL_LINES, static_cast<GLsizei>(segments_.size()), GL_UNSIGNED_INT, nullptr);
    ++drawCalls_;
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void SatelliteRenderer::uploadRange(const VertexRange& range) {
    const std::size_t first = range.first;
    const std::size_t length = range.second - range.first + 1;
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[kSourceBuffer]);
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(first * sizeof(OrbitVertex)),
                    static_cast<GLsizeiptr>(length * sizeof(OrbitVertex)), &records_[first]);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void SatelliteRenderer::setColors(const std::vector<std::pair<int, glm::vec4>>& colors) {
    for (const auto& [number, color] : colors) {
        const auto it = ranges_.find(number);
        if (it == ranges_.end()) continue;
        for (std::uint32_t i = it->second.first; i <= it->second.second; ++i) records_[i].color = color;
        uploadRange(it->second);
    }
}

void SatelliteRenderer::setSizes(const std::vector<std::pair<int, float>>& sizes) {
    for (const auto& [number, size] : sizes) {
        const auto it = ranges_.find(number);
        if (it == ranges_.end()) continue;
        for (std::uint32_t i = it->second.first; i <= it->second.second; ++i) records_[i].size = size;
        uploadRange(it->second);
    }
}

void SatelliteRenderer::setVisible(const std::vector<int>& numbers) {
    for (OrbitVertex& record : records_) record.show = 0;
    for (int number : numbers) {
        const auto it = ranges_.find(number);
        if (it == ranges_.end()) continue;
        for (std::uint32_t i = it->second.first; i <= it->second.second; ++i) records_[i].show = 1;
    }
    if (records_.empty()) return;
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[kSourceBuffer]);
    glBufferSubData(GL_ARRAY_BUFFER, 0,
                    static_cast<GLsizeiptr>(records_.size() * sizeof(OrbitVertex)), records_.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

std::optional<glm::vec4> SatelliteRenderer::getColor(int catalogNumber) const {
    if (catalogNumber == 0) return std::nullopt;
    const auto it = ranges_.find(catalogNumber);
    if (it == ranges_.end()) return std::nullopt;
    return records_[it->second.first].color;
}

std::optional<float> SatelliteRenderer::getSize(int catalogNumber) const {
    if (catalogNumber == 0) return std::nullopt;
    const auto it = ranges_.find(catalogNumber);
    if (it == ranges_.end()) return std::nullopt;
    return records_[it->second.first].size;
}

std::optional<SatellitePosition> SatelliteRenderer::getPosition(int catalogNumber) const {
    if (catalogNumber == 0 || !positionsReady_) return std::nullopt;
    const auto it = ranges_.find(catalogNumber);
    if (it == ranges_.end() || it->second.first >= it->second.second) return std::nullopt;
    const glm::vec3 tip = readBack_[it->second.first].position;
    const glm::vec3 motion = tip - readBack_[it->second.first + 1].position;
    const float length = glm::length(motion);
    if (!finite(tip) || !std::isfinite(length) || length == 0.0f) return std::nullopt;
    return SatellitePosition{tip, motion / length};
}

int SatelliteRenderer::pickByGaze(const glm::vec3& origin, const glm::vec3& direction) const {
    if (!positionsReady_) return -1;
    const float length = glm::length(direction);
    if (!std::isfinite(length) || length == 0.0f || !finite(origin)) return -1;
    const glm::vec3 d = direction / length;

    float best = 1.0f;
    int result = -1;
    for (const auto& [number, range] : ranges_) {
        if (records_[range.first].show == 0) continue;
        const glm::vec3 toSatellite = readBack_[range.first].position - origin;
        // Only what lies in front of the eye; NaN positions fail both tests.
        if (!(glm::dot(toSatellite, d) > 0.0f)) continue;
        const float distance = glm::length(glm::cross(d, toSatellite));
        if (distance < best) {  // strictly: on a tie the lower number, met first, stays
            best = distance;
            result = number;
        }
    }
    return result;
}

}  // namespace earth
