#include "render/SatelliteRenderer.h"

#include "data/GazePick.h"
#include "render/ViewGeometry.h"

#include <epoxy/gl.h>
#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/matrix.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

namespace earth {

namespace {

// Buffer and vertex-array roles that never change. The head buffer of capture buffer b is
// b + kHeadsAfterCapture.
constexpr std::size_t kSourceBuffer = 0;
constexpr std::size_t kRibbonIndexBuffer = 1;  // corners 0 1 2 2 1 3 of each ribbon
constexpr std::size_t kHeadRecordsBuffer = 4;
constexpr std::size_t kOrbitStateBuffer = 7;
constexpr std::size_t kHeadsAfterCapture = 3;
constexpr std::size_t kTubesAfterCapture = 6;  // the shown segments of capture buffer b
// Scratch of the per-view sort (orbit-sort.csh): chunk counts, ribbon and tube lists, the
// indirect draw commands.
constexpr std::size_t kChunksBuffer = 10;
constexpr std::size_t kRibbonsBuffer = 11;
constexpr std::size_t kTubesBuffer = 12;
constexpr std::size_t kCommandsBuffer = 13;
constexpr std::size_t kCommandWords = 9;        // per range (orbit-sort.csh)
constexpr GLuint kSortChunk = 64;  // segments per invocation of the sort, and its group size
// Segments narrower than this on screen are drawn as ribbons. A nine-sided tube's outline is
// within 1 % of its mean width whichever way it turns, a tenth of a pixel at eight pixels, so
// a flat band of that width, shaded as the round tube the nine sides stand for, covers the
// same pixels but for their edges, at a sixth of the triangles and a fifth of the vertices.
constexpr float kRibbonPixels = 8.0f;
// The globe, drawn before the satellites, covers this ball everywhere: its lowest relief is
// 0.16 per cent under one radius, and the chords of its coarsest level sag 0.04 per cent more.
// It hides what lies behind it only while none of it is nearer than the near plane (its
// highest relief is 0.16 per cent over one radius); closer, the eye sees through the cut.
constexpr float kGlobeBall = 0.997f;
constexpr float kGlobeTop = 1.002f;
constexpr GLuint kGatherGroup = 64;  // local_size_x of the gather program
constexpr GLuint kPropagationGroup = 64;  // local_size_x of the propagation program
constexpr GLuint kOrbitTextureUnit = 0;  // "binding = 0" of uOrbits in orbit-position.csh
// The shader's time counts from a base instant that is moved here once the clock has left
// it by this much: the float then resolves about 6e-5 s, and moving the base means
// recomputing 48 bytes per satellite.
constexpr double kRebaseSeconds = 600.0;

static_assert(sizeof(glm::vec3) == 12, "heads are read back as packed vec3");

using Clock = std::chrono::steady_clock;

glcommon::ProgramDescription propagationProgram() {
    glcommon::ProgramDescription d;
    d.compute = "orbit-position.csh";
    return d;
}

glcommon::ProgramDescription tubeProgram() {
    return glcommon::ProgramDescription::drawing("orbit.vsh", "orbit.fsh");
}

glcommon::ProgramDescription ribbonProgram() {
    return glcommon::ProgramDescription::drawing("orbit-ribbon.vsh", "orbit-ribbon.fsh");
}

glcommon::ProgramDescription sortProgram() {
    glcommon::ProgramDescription d;
    d.compute = "orbit-sort.csh";
    return d;
}

glcommon::ProgramDescription gatherProgram() {
    glcommon::ProgramDescription d;
    d.compute = "orbit-heads.csh";
    return d;
}

const void* offset(std::size_t bytes) { return reinterpret_cast<const void*>(bytes); }

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
                                     const std::vector<Satellite>& catalogue, ReadBack readBack,
                                     std::size_t drawRangeRecords)
    : clock_(clock), mode_(readBack) {
    propagation_ = glcommon::ShaderProgram(propagationProgram());
    tubes_ = glcommon::ShaderProgram(tubeProgram());
    ribbons_ = glcommon::ShaderProgram(ribbonProgram());
    sort_ = glcommon::ShaderProgram(sortProgram());
    gather_ = glcommon::ShaderProgram(gatherProgram());

    vertexArray_ = glcommon::GlNameArray<1>(glGenVertexArrays, glDeleteVertexArrays);
    buffers_ = glcommon::GlNameArray<14>(glGenBuffers, glDeleteBuffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[kSourceBuffer]);

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
    // The tube draw binds the captured records to a shader storage block, all at once when
    // one block can hold them. Otherwise in ranges that start where the driver accepts a byte
    // offset and overlap by at least one record, so that each segment (two neighbouring
    // records) lies wholly in the range of its first record.
    std::uint64_t fits = static_cast<std::uint64_t>(maxBlock) / sizeof(PropagatedVertex);
    if (drawRangeRecords != 0) fits = std::min<std::uint64_t>(fits, drawRangeRecords);
    if (fits >= records_.size()) {
        rangeRecords_ = rangeStep_ = static_cast<std::uint32_t>(std::max<std::size_t>(records_.size(), 1));
    } else {
        GLint alignment = 1;
        glGetIntegerv(GL_SHADER_STORAGE_BUFFER_OFFSET_ALIGNMENT, &alignment);
        std::uint32_t alignRecords = 1;
        while (alignRecords * sizeof(PropagatedVertex) % static_cast<std::uint32_t>(std::max(alignment, 1)) != 0) {
            ++alignRecords;
        }
        rangeRecords_ = std::max(static_cast<std::uint32_t>(fits), alignRecords + 1);
        rangeStep_ = (rangeRecords_ - 1) / alignRecords * alignRecords;
    }
    slots_.reserve(ranges_.size());
    for (const auto& [number, range] : ranges_) slots_.push_back(Slot{number, range});
    if (mode_ == ReadBack::Everything) readBack_.assign(records_.size(), PropagatedVertex{});
    cache_.headPass.assign(slots_.size(), 0);
    cache_.tips.assign(slots_.size(), glm::vec3(0.0f));
    cache_.nexts.assign(slots_.size(), glm::vec3(0.0f));

    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(records_.size() * sizeof(OrbitVertex)),
                 records_.data(), GL_DYNAMIC_DRAW);
    // The propagation binds source and capture buffers as storage blocks too, in runs of whole
    // groups (64 records of either kind are a multiple of any offset alignment up to 256
    // bytes) and of no more groups than one dispatch may have.
    GLint maxGroups = 65535;
    glGetIntegeri_v(GL_MAX_COMPUTE_WORK_GROUP_COUNT, 0, &maxGroups);
    const std::uint64_t groups = std::min<std::uint64_t>(fits / kPropagationGroup, static_cast<std::uint64_t>(maxGroups));
    propagationRun_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        std::max<std::uint64_t>(groups, 1) * kPropagationGroup, records_.size() + kPropagationGroup));

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
        glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffers_[b]);
        glBufferData(GL_SHADER_STORAGE_BUFFER, captureBytes, zeros.data(), GL_STREAM_DRAW);
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

    // Nothing is shown yet: both lists are empty, as every record starts hidden. The tube
    // draw reads everything from storage blocks; its vertex arrays have no attributes.
    for (std::size_t b : {std::size_t{2}, std::size_t{3}}) {
        glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffers_[b + kTubesAfterCapture]);
        glBufferData(GL_SHADER_STORAGE_BUFFER, 0, nullptr, GL_DYNAMIC_DRAW);
    }
    // The sort's scratch, sized for every segment shown: each range's lists start one place
    // after the previous range's (room for the tube list's end mark).
    const std::size_t segmentCount = segments_.size() / 2;
    const std::size_t rangeCount = records_.size() / rangeStep_ + 2;
    const auto scratch = [&](std::size_t b, std::size_t bytes) {
        glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffers_[b]);
        glBufferData(GL_SHADER_STORAGE_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr,
                     GL_DYNAMIC_COPY);
    };
    scratch(kChunksBuffer, (segmentCount / kSortChunk + 1) * 2 * sizeof(std::uint32_t));
    scratch(kRibbonsBuffer, (segmentCount + rangeCount) * 2 * sizeof(std::uint32_t));
    scratch(kTubesBuffer, (segmentCount + rangeCount) * 2 * sizeof(std::uint32_t));
    scratch(kCommandsBuffer, rangeCount * kCommandWords * sizeof(std::uint32_t));
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
    std::vector<std::uint32_t> corners;
    corners.reserve((segmentCount + rangeCount) * 6);
    for (std::uint32_t r = 0; r < segmentCount + rangeCount; ++r) {
        for (std::uint32_t corner : {0u, 1u, 2u, 2u, 1u, 3u}) corners.push_back(4 * r + corner);
    }
    // Not through the element binding: that belongs to whichever vertex array is bound.
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffers_[kRibbonIndexBuffer]);
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(std::uint32_t)),
                 corners.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);

    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void SatelliteRenderer::propagate() {
    const auto start = Clock::now();
    if (records_.empty()) return;

    const double now = clock_.time();
    if (!statesReady_ || std::fabs(now - base_) > kRebaseSeconds) rebase(now);
    shaderTime_ = static_cast<float>(now - base_);

    glUseProgram(propagation_.id());
    glUniform1f(0, shaderTime_);
    glActiveTexture(GL_TEXTURE0 + kOrbitTextureUnit);
    glBindTexture(GL_TEXTURE_BUFFER, orbitTexture_[0]);

    // The list of shown segments follows what this pass captures.
    if (tubeLists_[writeBuffer_ - 2].visibility != visibility_) buildTubeList(writeBuffer_);

    for (std::size_t first = 0; first < records_.size(); first += propagationRun_) {
        const auto run = static_cast<GLuint>(std::min<std::size_t>(propagationRun_, records_.size() - first));
        glBindBufferRange(GL_SHADER_STORAGE_BUFFER, 0, buffers_[kSourceBuffer],
                          static_cast<GLintptr>(first * sizeof(OrbitVertex)),
                          static_cast<GLsizeiptr>(run * sizeof(OrbitVertex)));
        glBindBufferRange(GL_SHADER_STORAGE_BUFFER, 1, buffers_[writeBuffer_],
                          static_cast<GLintptr>(first * sizeof(PropagatedVertex)),
                          static_cast<GLsizeiptr>(run * sizeof(PropagatedVertex)));
        glUniform1ui(1, run);
        glDispatchCompute((run + kPropagationGroup - 1) / kPropagationGroup, 1, 1);
        ++drawCalls_;
    }
    // For the gather and the tube draws (storage blocks) and for read-backs.
    glMemoryBarrier(GL_SHADER_STORAGE_BARRIER_BIT | GL_BUFFER_UPDATE_BARRIER_BIT);
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, 0);
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 1, 0);
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

void SatelliteRenderer::buildTubeList(std::size_t captureBuffer) {
    TubeList& list = tubeLists_[captureBuffer - 2];
    list.visibility = visibility_;
    list.pieces.clear();
    shownSegments_.clear();
    for (std::size_t i = 0; i + 1 < segments_.size(); i += 2) {
        const std::uint32_t first = segments_[i];
        if (records_[first].show == 0) continue;  // hidden by its first endpoint alone
        const auto shown = static_cast<std::uint32_t>(shownSegments_.size() / 2);
        // Segments come in ascending record order, so a range's segments are consecutive in the list.
        if (list.pieces.empty() ||
            first >= list.pieces.back().firstRecord + rangeStep_) {
            const std::uint32_t start = first / rangeStep_ * rangeStep_;
            const auto available = static_cast<std::uint32_t>(records_.size()) - start;
            list.pieces.push_back(TubePiece{start, std::min(rangeRecords_, available), shown, 0});
        }
        ++list.pieces.back().count;
        shownSegments_.push_back(first);
        shownSegments_.push_back(segments_[i + 1]);
    }
    list.segments = shownSegments_.size() / 2;
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffers_[captureBuffer + kTubesAfterCapture]);
    glBufferData(GL_SHADER_STORAGE_BUFFER,
                 static_cast<GLsizeiptr>(shownSegments_.size() * sizeof(std::uint32_t)),
                 shownSegments_.data(), GL_DYNAMIC_DRAW);
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
}

void SatelliteRenderer::draw(const glm::mat4& projection, const glm::mat4& view) {
    // The pass before the one just issued.
    const std::size_t captured = writeBuffer_;
    const TubeList& list = tubeLists_[captured - 2];
    if (list.pieces.empty()) return;
    const glm::mat4 viewProjection = projection * view;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const float pixels = pixelsPerUnitAtUnitDistance(
        projection, glm::vec4(viewport[0], viewport[1], viewport[2], viewport[3]));
    const std::array<glm::vec4, 6> planes = frustumPlanes(viewProjection);
    const glm::vec3 eye(glm::inverse(view)[3]);

    const auto bindRecords = [&](const TubePiece& piece) {
        glBindBufferRange(GL_SHADER_STORAGE_BUFFER, 0, buffers_[captured],
                          static_cast<GLintptr>(piece.firstRecord * sizeof(PropagatedVertex)),
                          static_cast<GLsizeiptr>(piece.records * sizeof(PropagatedVertex)));
    };
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 1, buffers_[captured + kTubesAfterCapture]);
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 2, buffers_[kChunksBuffer]);
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 3, buffers_[kRibbonsBuffer]);
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 4, buffers_[kTubesBuffer]);
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 5, buffers_[kCommandsBuffer]);

    // Sort each range's shown segments for this view into ribbons and tubes.
    glUseProgram(sort_.id());
    glUniformMatrix4fv(5, 1, GL_FALSE, glm::value_ptr(viewProjection));
    glUniform1f(6, pixels);
    glUniform1f(7, kRibbonPixels);
    glUniform4fv(8, 6, glm::value_ptr(planes[0]));
    glUniform3fv(14, 1, glm::value_ptr(eye));
    glUniform1f(15, planes[4].w >= kGlobeTop ? kGlobeBall : 0.0f);  // the near plane's distance
    for (std::size_t p = 0; p < list.pieces.size(); ++p) {
        const TubePiece& piece = list.pieces[p];
        bindRecords(piece);
        glUniform1ui(1, piece.firstSegment);
        glUniform1ui(2, piece.count);
        glUniform1ui(3, piece.firstRecord);
        glUniform1ui(4, piece.firstSegment + static_cast<GLuint>(p));
        const GLuint chunks = (piece.count + kSortChunk - 1) / kSortChunk;
        for (GLuint pass = 0; pass < 3; ++pass) {
            glUniform1ui(0, pass);
            glDispatchCompute(pass == 1 ? 1 : (chunks + kSortChunk - 1) / kSortChunk, 1, 1);
            glMemoryBarrier(GL_SHADER_STORAGE_BARRIER_BIT);
        }
    }
    glMemoryBarrier(GL_COMMAND_BARRIER_BIT);

    // Tubes first, ribbons after: ribbons are mostly far and thin, and the thinnest and most
    // numerous of them are the translucent debris, which must blend over what lies behind.
    glBindVertexArray(vertexArray_[0]);
    glBindBuffer(GL_DRAW_INDIRECT_BUFFER, buffers_[kCommandsBuffer]);
    glUseProgram(tubes_.id());
    glUniformMatrix4fv(0, 1, GL_FALSE, glm::value_ptr(viewProjection));
    glUniform1f(1, orbitAlpha_);
    for (std::size_t p = 0; p < list.pieces.size(); ++p) {
        bindRecords(list.pieces[p]);
        glUniform1ui(2, list.pieces[p].firstRecord);
        glDrawArraysIndirect(GL_TRIANGLE_STRIP, offset((p * kCommandWords + 5) * sizeof(std::uint32_t)));
        ++drawCalls_;
    }
    glUseProgram(ribbons_.id());
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[kRibbonIndexBuffer]);
    glUniformMatrix4fv(0, 1, GL_FALSE, glm::value_ptr(viewProjection));
    glUniform1f(1, orbitAlpha_);
    glUniform3fv(3, 1, glm::value_ptr(eye));
    for (std::size_t p = 0; p < list.pieces.size(); ++p) {
        bindRecords(list.pieces[p]);
        glUniform1ui(2, list.pieces[p].firstRecord);
        glDrawElementsIndirect(GL_TRIANGLES, GL_UNSIGNED_INT,
                               offset(p * kCommandWords * sizeof(std::uint32_t)));
        ++drawCalls_;
    }
    glBindBuffer(GL_DRAW_INDIRECT_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    for (GLuint binding = 0; binding < 6; ++binding) {
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, binding, 0);
    }
    glBindVertexArray(0);
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
    ++visibility_;
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
