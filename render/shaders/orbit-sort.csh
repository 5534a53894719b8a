#version 430
// Orbit tubes, once per view: sorts the shown segments of one range of records into those
// outside the view or behind the globe, those that stay thinner than a few pixels on screen (drawn as flat ribbons
// that face the eye, orbit-ribbon.vsh) and the rest (drawn as tubes, orbit.vsh), keeping their
// order, and writes the two indirect draw commands. Three passes over chunks of 64 segments,
// one invocation per chunk: count, then running totals and the commands (one invocation),
// then copy each segment to its list.

layout(local_size_x = 64) in;

layout(location = 0) uniform uint uPass;
layout(location = 1) uniform uint uFirst;       // first shown segment of the range
layout(location = 2) uniform uint uCount;       // shown segments in the range
layout(location = 3) uniform uint uRecordBase;  // first record bound to the Captured block
layout(location = 4) uniform uint uListBase;    // where the range's lists and commands start
layout(location = 5) uniform mat4 uViewProjection;
layout(location = 6) uniform float uPixels;     // pixels per scene unit at unit depth
layout(location = 7) uniform float uThinPixels; // ribbons below this width
layout(location = 8) uniform vec4 uPlanes[6];   // the view's planes, unit normals inwards
layout(location = 14) uniform vec3 uEye;        // in the world
// The ball, centred at the origin, that the globe drawn before the tubes covers everywhere.
layout(location = 15) uniform float uGlobeRadius;

layout(std430, binding = 0) readonly buffer Captured { float captured[]; };
layout(std430, binding = 1) readonly buffer Shown { uvec2 shown[]; };
layout(std430, binding = 2) buffer Chunks { uvec2 chunks[]; };
layout(std430, binding = 3) writeonly buffer Ribbons { uvec2 ribbons[]; };
layout(std430, binding = 4) writeonly buffer Tubes { uvec2 tubes[]; };
layout(std430, binding = 5) writeonly buffer Commands { uint commands[]; };

const uint CHUNK = 64u;
const uint RECORD_WORDS = 13u;
const uint OUTSIDE = 0u;
const uint RIBBON = 1u;
const uint TUBE = 2u;
const uint RIBBON_INDICES = 6u;    // two triangles over four corners (orbit-ribbon.vsh)
const uint TUBE_VERTICES = 22u;    // one tube of the strip (orbit.vsh)
const uint COMMAND_WORDS = 9u;     // per range: the ribbons' and the tubes' draw commands

vec3 capturedVec3(uint at) { return vec3(captured[at], captured[at + 1u], captured[at + 2u]); }

// Whether every point within `radius` of p lies behind the globe: inside the cone of rays from
// the eye that meet the globe's ball shrunk by `radius`, and beyond the plane of the cone's
// circle of contact. Those two bounds make a convex set, so a segment whose two ends are in it
// lies in it whole.
bool behindGlobe(vec3 p, float radius) {
    float ball = uGlobeRadius - radius;
    float eyeDistance2 = dot(uEye, uEye);
    if (ball <= 0.0 || eyeDistance2 <= ball * ball) return false;
    float eyeDistance = sqrt(eyeDistance2);
    vec3 toPoint = p - uEye;
    float along = dot(toPoint, -uEye) / eyeDistance;
    if (along <= (eyeDistance2 - ball * ball) / eyeDistance) return false;
    return along * along >= dot(toPoint, toPoint) * (1.0 - ball * ball / eyeDistance2);
}

uint classify(uvec2 segment) {
    uint a = (segment.x - uRecordBase) * RECORD_WORDS;
    uint b = (segment.y - uRecordBase) * RECORD_WORDS;
    // Hidden by its first endpoint alone.
    if (floatBitsToInt(captured[a + 12u]) == 0) return OUTSIDE;
    vec3 p0 = capturedVec3(a);
    vec3 p1 = capturedVec3(b);
    // Every vertex of the tube lies within its radius, size x strength, of its endpoint.
    float r0 = captured[a + 11u] * captured[a + 10u];
    float r1 = captured[b + 11u] * captured[b + 10u];
    for (int i = 0; i < 6; ++i) {
        if (dot(uPlanes[i].xyz, p0) + uPlanes[i].w < -r0 &&
            dot(uPlanes[i].xyz, p1) + uPlanes[i].w < -r1) {
            return OUTSIDE;
        }
    }
    float wider = max(r0, r1);
    if (behindGlobe(p0, wider) && behindGlobe(p1, wider)) return OUTSIDE;
    float w0 = (uViewProjection * vec4(p0, 1.0)).w;
    float w1 = (uViewProjection * vec4(p1, 1.0)).w;
    // Near the eye the width on screen changes too fast along the segment to judge by its ends.
    if (w0 <= 4.0 * r0 || w1 <= 4.0 * r1 || w0 <= 0.0 || w1 <= 0.0) return TUBE;
    float width = 2.0 * max(r0 / w0, r1 / w1) * uPixels;
    return width < uThinPixels ? RIBBON : TUBE;
}

void main() {
    uint chunk = gl_GlobalInvocationID.x;
    uint chunkCount = (uCount + CHUNK - 1u) / CHUNK;
    if (uPass == 1u) {
        if (chunk != 0u) return;
        uvec2 total = uvec2(0u);
        for (uint c = 0u; c < chunkCount; ++c) {
            uvec2 counted = chunks[c];
            chunks[c] = total;
            total += counted;
        }
        // The lists of range n start at its first segment + n, so n = uListBase - uFirst.
        uint at = COMMAND_WORDS * (uListBase - uFirst);
        // glDrawElementsIndirect: count, instances, first index, base vertex, base instance.
        commands[at + 0u] = RIBBON_INDICES * total.x;
        commands[at + 1u] = 1u;
        commands[at + 2u] = RIBBON_INDICES * uListBase;
        commands[at + 3u] = 0u;
        commands[at + 4u] = 0u;
        // glDrawArraysIndirect: count, instances, first vertex, base instance.
        commands[at + 5u] = TUBE_VERTICES * total.y;
        commands[at + 6u] = 1u;
        commands[at + 7u] = TUBE_VERTICES * uListBase;
        commands[at + 8u] = 0u;
        // The last tube of the strip sees that no tube follows it.
        tubes[uListBase + total.y] = uvec2(0xFFFFFFFFu);
        return;
    }
    if (chunk >= chunkCount) return;
    uint begin = chunk * CHUNK;
    uint end = min(begin + CHUNK, uCount);
    uvec2 next = uPass == 2u ? chunks[chunk] : uvec2(0u);
    for (uint i = begin; i < end; ++i) {
        uvec2 segment = shown[uFirst + i];
        uint kind = classify(segment);
        if (kind == RIBBON) {
            if (uPass == 2u) ribbons[uListBase + next.x] = segment;
            ++next.x;
        } else if (kind == TUBE) {
            if (uPass == 2u) tubes[uListBase + next.y] = segment;
            ++next.y;
        }
    }
    if (uPass == 0u) chunks[chunk] = next;
}
