#include "render/SatelliteRenderer.h"

#include "data/GazePick.h"

#include <epoxy/gl.h>
#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace earth {

namespace {

// Buffer and vertex-array roles that never change. The head buffer of capture buffer b is
// b + kHeadsAfterCapture.
constexpr std::size_t kSourceBuffer = 0;
constexpr std::size_t kIndexBuffer = 1;
constexpr std::size_t kHeadRecordsBuffer = 4;
constexpr std::size_t kOrbitStateBuffer = 7;
constexpr std::size_t kHeadsAfterCapture = 3;
constexpr std::size_t kPropagationArray = 0;
constexpr GLuint kGatherGroup = 64;  // local_size_x of the gather program
constexpr GLuint kOrbitTextureUnit = 0;  // "binding = 0" of uOrbits in orbit-position.vsh
// The shader's time counts from a base instant that is moved here once the clock has left
// it by this much: the float then resolves about 6e-5 s, and moving the base means
// recomputing 48 bytes per satellite.
constexpr double kRebaseSeconds = 600.0;

static_assert(sizeof(glm::vec3) == 12, "heads are read back as packed vec3");

using Clock = std::chrono::steady_clock;

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

glcommon::ProgramDescription gatherProgram() {
    glcommon::ProgramDescription d;
    d.compute = "orbit-heads.csh";
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

void readBuffer(GLuint buffer, std::size_t at, std::size_t bytes, void* into) {
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferSubData(GL_COPY_READ_BUFFER, static_cast<GLintptr>(at),
                       static_cast<GLsizeiptr>(bytes), into);
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
}

}  // namespace

SatelliteRenderer::SatelliteRenderer(const SimulationClock& clock,
                                     const std::vector<Satellite>& catalogue, ReadBack readBack)
    : clock_(clock), mode_(readBack) {
    propagation_ = glcommon::ShaderProgram(propagationProgram());
    tubes_ = glcommon::ShaderProgram(tubeProgram());
    gather_ = glcommon::ShaderProgram(gatherProgram());

    vertexArrays_ = glcommon::GlNameArray<3>(glGenVertexArrays, glDeleteVertexArrays);
    glBindVertexArray(vertexArrays_[kPropagationArray]);
    buffers_ = glcommon::GlNameArray<8>(glGenBuffers, glDeleteBuffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[kSourceBuffer]);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[kIndexBuffer]);

    motions_.reserve(catalogue.size());
    for (const Satellite& satellite : catalogue) {
        // A repeated number keeps its first range; the later records are still drawn.
        VertexRangeMap one;
        buildOrbitVertices(records_, segments_, one, satellite,
                           static_cast<std::int32_t>(motions_.size()), satellite.catalogNumber);
        ranges_.insert(one.begin(), one.end());
        motions_.push_back(orbitMotion(satellite, clock.epoch()));
    }
    states_.resize(motions_.size());
    GLint64 maxBlock = 0;
    glGetInteger64v(GL_MAX_SHADER_STORAGE_BLOCK_SIZE, &maxBlock);
    if (static_cast<std::uint64_t>(records_.size()) * sizeof(PropagatedVertex) >
        static_cast<std::uint64_t>(maxBlock)) {
        mode_ = ReadBack::Everything;  // the gather could not see every record
    }
    slots_.reserve(ranges_.size());
    for (const auto& [number, range] : ranges_) slots_.push_back(Slot{number, range});
    if (mode_ == ReadBack::Everything) readBack_.assign(records_.size(), PropagatedVertex{});
    cache_.headPass.assign(slots_.size(), 0);
    cache_.tips.assign(slots_.size(), glm::vec3(0.0f));
    cache_.nexts.assign(slots_.size(), glm::vec3(0.0f));

    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(records_.size() * sizeof(OrbitVertex)),
                 records_.data(), GL_DYNAMIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(segments_.size() * sizeof(std::uint32_t)),
                 segments_.data(), GL_STATIC_DRAW);

    constexpr GLsizei stride = sizeof(OrbitVertex);
    floatAttribute(0, 4, stride, offsetof(OrbitVertex, color));
    floatAttribute(1, 1, stride, offsetof(OrbitVertex, lead));
    floatAttribute(2, 1, stride, offsetof(OrbitVertex, strength));
    floatAttribute(3, 1, stride, offsetof(OrbitVertex, size));
    intAttribute(4, stride, offsetof(OrbitVertex, show));
    intAttribute(5, stride, offsetof(OrbitVertex, orbit));

    // The satellites' orbit states, read by the shader as a buffer texture; filled at the
    // first pass.
    glBindBuffer(GL_TEXTURE_BUFFER, buffers_[kOrbitStateBuffer]);
    glBufferData(GL_TEXTURE_BUFFER,
                 static_cast<GLsizeiptr>(std::max<std::size_t>(1, states_.size()) *
                                         sizeof(OrbitState)),
                 nullptr, GL_DYNAMIC_DRAW);
    glBindBuffer(GL_TEXTURE_BUFFER, 0);
    orbitTexture_ = glcommon::GlNameArray<1>(glGenTextures, glDeleteTextures);
    glBindTexture(GL_TEXTURE_BUFFER, orbitTexture_[0]);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, buffers_[kOrbitStateBuffer]);
    glBindTexture(GL_TEXTURE_BUFFER, 0);

    // Zero-filled, so that the first frame draws and reads hidden, zero records rather than
    // whatever the allocation held.
    const std::vector<PropagatedVertex> zeros(records_.size(), PropagatedVertex{});
    const auto captureBytes = static_cast<GLsizeiptr>(zeros.size() * sizeof(PropagatedVertex));
    for (std::size_t b : {std::size_t{2}, std::size_t{3}}) {
        glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffers_[b]);
        glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, captureBytes, zeros.data(), GL_STREAM_DRAW);
    }

    // Per slot the record of its tip and the one behind it (the tip again for a satellite of
    // one record, which has no direction anyway).
    std::vector<std::uint32_t> headRecords;
    headRecords.reserve(2 * slots_.size());
    for (const Slot& slot : slots_) {
        headRecords.push_back(slot.range.first);
        headRecords.push_back(slot.range.first < slot.range.second ? slot.range.first + 1
                                                                   : slot.range.first);
    }
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffers_[kHeadRecordsBuffer]);
    glBufferData(GL_SHADER_STORAGE_BUFFER,
                 static_cast<GLsizeiptr>(headRecords.size() * sizeof(std::uint32_t)),
                 headRecords.data(), GL_STATIC_DRAW);
    const std::vector<glm::vec3> noHeads(2 * slots_.size(), glm::vec3(0.0f));
    for (std::size_t b : {std::size_t{2}, std::size_t{3}}) {
        glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffers_[b + kHeadsAfterCapture]);
        glBufferData(GL_SHADER_STORAGE_BUFFER,
                     static_cast<GLsizeiptr>(noHeads.size() * sizeof(glm::vec3)), noHeads.data(),
                     GL_STREAM_READ);
    }
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);

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
    const auto start = Clock::now();
    if (records_.empty()) return;
    const auto count = static_cast<GLsizei>(records_.size());

    const double now = clock_.time();
    if (!statesReady_ || std::fabs(now - base_) > kRebaseSeconds) rebase(now);
    shaderTime_ = static_cast<float>(now - base_);

    glUseProgram(propagation_.id());
    glUniform1f(0, shaderTime_);
    glActiveTexture(GL_TEXTURE0 + kOrbitTextureUnit);
    glBindTexture(GL_TEXTURE_BUFFER, orbitTexture_[0]);
    glBindVertexArray(vertexArrays_[kPropagationArray]);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[kSourceBuffer]);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffers_[writeBuffer_]);

    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, count);
    ++drawCalls_;
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_BUFFER, 0);

    if (mode_ == ReadBack::Heads && !slots_.empty()) {
        // Heads of this pass into its own small buffer; nothing reads it before the next
        // pass has been issued, so no read waits for the work issued here.
        const auto slots = static_cast<GLuint>(slots_.size());
        glUseProgram(gather_.id());
        glUniform1ui(0, slots);
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, buffers_[writeBuffer_]);
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 1, buffers_[kHeadRecordsBuffer]);
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 2,
                         buffers_[writeBuffer_ + kHeadsAfterCapture]);
        glDispatchCompute((slots + kGatherGroup - 1) / kGatherGroup, 1, 1);
        // Shader writes become visible to glGetBufferSubData only after this barrier.
        glMemoryBarrier(GL_BUFFER_UPDATE_BARRIER_BIT);
        for (GLuint binding = 0; binding < 3; ++binding) {
            glBindBufferBase(GL_SHADER_STORAGE_BUFFER, binding, 0);
        }
    }

    std::swap(writeBuffer_, otherBuffer_);
    std::swap(drawArray_, otherArray_);
    ++passes_;
    positionsReady_ = passes_ >= 2;
    passSeconds_ = std::chrono::duration<double>(Clock::now() - start).count();

    if (mode_ == ReadBack::Everything) {
        // The new write buffer holds the previous pass, which is finished or nearly so; the
        // pass just issued is left alone.
        const auto readStart = Clock::now();
        const std::size_t bytes = readBack_.size() * sizeof(PropagatedVertex);
        readBuffer(buffers_[writeBuffer_], 0, bytes, readBack_.data());
        countRead(std::chrono::duration<double>(Clock::now() - readStart).count(), bytes);
    }
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

void SatelliteRenderer::rebase(double now) {
    base_ = now;
    for (std::size_t i = 0; i < motions_.size(); ++i) states_[i] = orbitStateAt(motions_[i], now);
    statesReady_ = true;
    if (states_.empty()) return;
    glBindBuffer(GL_TEXTURE_BUFFER, buffers_[kOrbitStateBuffer]);
    glBufferSubData(GL_TEXTURE_BUFFER, 0,
                    static_cast<GLsizeiptr>(states_.size() * sizeof(OrbitState)), states_.data());
    glBindBuffer(GL_TEXTURE_BUFFER, 0);
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

const SatelliteRenderer::Slot* SatelliteRenderer::findSlot(int catalogNumber) const {
    const auto it = std::lower_bound(
        slots_.begin(), slots_.end(), catalogNumber,
        [](const Slot& slot, int number) { return slot.number < number; });
    return it != slots_.end() && it->number == catalogNumber ? &*it : nullptr;
}

void SatelliteRenderer::countRead(double seconds, std::size_t bytes) const {
    totals_.seconds += seconds;
    totals_.bytes += bytes;
}

std::pair<glm::vec3, glm::vec3> SatelliteRenderer::head(const Slot& slot) const {
    if (mode_ == ReadBack::Everything) {
        return {readBack_[slot.range.first].position, readBack_[slot.range.first + 1].position};
    }
    const auto i = static_cast<std::size_t>(&slot - slots_.data());
    if (cache_.headPass[i] != passes_) {
        // First question about this satellite since the last pass: its tip (unless a gaze
        // pick read every tip already) and the record behind it, 12 bytes each.
        const auto readStart = Clock::now();
        const GLuint heads = buffers_[writeBuffer_ + kHeadsAfterCapture];
        std::size_t bytes = sizeof(glm::vec3);
        if (cache_.tipsPass != passes_) {
            readBuffer(heads, i * sizeof(glm::vec3), sizeof(glm::vec3), &cache_.tips[i]);
            bytes += sizeof(glm::vec3);
        }
        readBuffer(heads, (slots_.size() + i) * sizeof(glm::vec3), sizeof(glm::vec3),
                   &cache_.nexts[i]);
        cache_.headPass[i] = passes_;
        countRead(std::chrono::duration<double>(Clock::now() - readStart).count(), bytes);
    }
    return {cache_.tips[i], cache_.nexts[i]};
}

const glm::vec3* SatelliteRenderer::allTips() const {
    if (slots_.empty()) return nullptr;
    if (cache_.tipsPass != passes_) {
        const auto readStart = Clock::now();
        const std::size_t bytes = slots_.size() * sizeof(glm::vec3);
        readBuffer(buffers_[writeBuffer_ + kHeadsAfterCapture], 0, bytes, cache_.tips.data());
        cache_.tipsPass = passes_;
        countRead(std::chrono::duration<double>(Clock::now() - readStart).count(), bytes);
    }
    return cache_.tips.data();
}

std::optional<SatellitePosition> SatelliteRenderer::getPosition(int catalogNumber) const {
    if (catalogNumber == 0 || !positionsReady_) return std::nullopt;
    const Slot* slot = findSlot(catalogNumber);
    if (slot == nullptr || slot->range.first >= slot->range.second) return std::nullopt;
    const auto [tip, next] = head(*slot);
    const glm::vec3 motion = tip - next;
    const float length = glm::length(motion);
    if (!finite(tip) || !std::isfinite(length) || length == 0.0f) return std::nullopt;
    return SatellitePosition{tip, motion / length};
}

int SatelliteRenderer::pickByGaze(const glm::vec3& origin, const glm::vec3& direction,
                                  float maxAngle) const {
    if (!positionsReady_) return -1;
    GazePick pick(origin, direction, maxAngle);
    if (!pick.usable()) return -1;
    const glm::vec3* tips = nullptr;  // read at the first shown satellite
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        const Slot& slot = slots_[i];
        if (records_[slot.range.first].show == 0) continue;
        if (mode_ == ReadBack::Everything) {
            pick.consider(slot.number, readBack_[slot.range.first].position);
        } else {
            if (tips == nullptr) tips = allTips();
            pick.consider(slot.number, tips[i]);
        }
    }
    return pick.result();
}

std::vector<PropagatedVertex> SatelliteRenderer::capturedRecords() const {
    std::vector<PropagatedVertex> out(records_.size());
    if (!out.empty()) {
        readBuffer(buffers_[writeBuffer_], 0, out.size() * sizeof(PropagatedVertex), out.data());
    }
    return out;
}

}  // namespace earth
