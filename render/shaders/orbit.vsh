#version 430
// Orbit tubes: each segment of the tube list (orbit-sort.csh) between two captured records
// becomes a strip of 20 vertices that make a nine-sided tube round it: vertex 2i + 1 is row i of
// the ring at endpoint 0, vertex 2i row i of the ring at endpoint 1, and row 9 repeats row 0 to
// close the tube. The ring radius at each end is size x strength, so strength 0 closes it to a
// point. All tubes go into one triangle strip, 22 vertices each: the tube's 20, then its last
// vertex again and the next tube's first. The four triangles across the join are degenerate
// (each has two equal corners) and every tube's first triangle keeps an even place in the
// strip, so its winding is that of a strip of its own.

layout(location = 0) uniform mat4 uViewProjectionMatrix;
// Index of the first record of the range bound to the Captured block.
layout(location = 2) uniform uint uRecordBase;

const int STEPS = 10;
const int STRIP = 22;
const float PI = 3.1415926535897932384626433832795;
const uint RECORD_WORDS = 13u;  // one captured record: position 3, colour 4, normal 3, strength,
                                // size, show (an int)

layout(std430, binding = 0) readonly buffer Captured { float captured[]; };
// The records of endpoints 0 and 1 of each tube; all ones after the last.
layout(std430, binding = 4) readonly buffer Tubes { uvec2 tubes[]; };

out vec4 gPositionWorldspace;
out vec4 gColor;
out vec3 gNormal;
out float gStrength;

vec3 capturedVec3(uint at) { return vec3(captured[at], captured[at + 1u], captured[at + 2u]); }

// Right-handed rotation of v by angle about the unit axis (Rodrigues).
vec3 rotateAbout(vec3 v, vec3 axis, float angle) {
    float c = cos(angle);
    float s = sin(angle);
    return v * c + cross(axis, v) * s + axis * dot(axis, v) * (1.0 - c);
}

void main() {
    int segment = gl_VertexID / STRIP;
    int vertex = gl_VertexID % STRIP;
    if (vertex == STRIP - 2) {
        vertex = 2 * STEPS - 1;
    } else if (vertex == STRIP - 1) {
        if (tubes[segment + 1].x != 0xFFFFFFFFu) {
            segment += 1;
            vertex = 0;
        } else {
            vertex = 2 * STEPS - 1;
        }
    }
    uint first = (tubes[segment].x - uRecordBase) * RECORD_WORDS;
    uint second = (tubes[segment].y - uRecordBase) * RECORD_WORDS;
    vec3 line = capturedVec3(first) - capturedVec3(second);

    int row = vertex / 2;
    if (row == STEPS - 1) row = 0;
    uint at = (vertex & 1) == 0 ? second : first;
    vec3 position = capturedVec3(at);
    vec3 normal = capturedVec3(at + 7u);
    float strength = captured[at + 10u];
    float size = captured[at + 11u];

    vec3 up = normalize(cross(normal, line));
    // The axis comes from the unrotated direction, so every row turns about the same one.
    vec3 axis = normalize(cross(normal, up));
    up = rotateAbout(up, axis, float(row) * (2.0 * PI / float(STEPS - 1)));

    vec3 world = position + size * strength * up;
    gPositionWorldspace = vec4(world, 1.0);
    gColor = vec4(captured[at + 3u], captured[at + 4u], captured[at + 5u], captured[at + 6u]);
    gNormal = up;
    gStrength = strength;
    gl_Position = uViewProjectionMatrix * vec4(world, 1.0);
}
