#version 430
// Orbit tubes that stay thinner than a few pixels on screen (orbit-sort.csh): each segment of
// the ribbon list becomes two triangles in the plane of the segment that faces the eye, as wide
// at each end as the nine-sided tube is on average (its ring's mean width, 9 sin(pi / 9) / pi of
// the diameter) and shaded as a round tube would be where the view ray meets it.

layout(location = 0) uniform mat4 uViewProjectionMatrix;
// Index of the first record of the range bound to the Captured block.
layout(location = 2) uniform uint uRecordBase;
layout(location = 3) uniform vec3 uEye;  // in the world

const uint RECORD_WORDS = 13u;  // as in orbit.vsh
const float MEAN_HALF_WIDTH = 0.97982;
// The four corners (endpoint, side) of a ribbon, vertices 4n to 4n + 3 of ribbon n. Its
// triangles are corners (0, 1, 2) and (2, 1, 3): (1, -)(0, -)(1, +) and (1, +)(0, -)(0, +),
// both counter-clockwise seen from the eye.
const ivec2 CORNERS[4] = ivec2[4](ivec2(1, -1), ivec2(0, -1), ivec2(1, 1), ivec2(0, 1));

layout(std430, binding = 0) readonly buffer Captured { float captured[]; };
layout(std430, binding = 3) readonly buffer Ribbons { uvec2 ribbons[]; };

out vec4 rColor;
// Across the ribbon from -1 to 1; the light term (orbit.fsh) of the round tube's normals at
// the two sides and towards the eye.
out vec3 rShade;

vec3 capturedVec3(uint at) { return vec3(captured[at], captured[at + 1u], captured[at + 2u]); }

void main() {
    uvec2 segment = ribbons[gl_VertexID / 4];
    ivec2 corner = CORNERS[gl_VertexID % 4];
    uint first = (segment.x - uRecordBase) * RECORD_WORDS;
    uint second = (segment.y - uRecordBase) * RECORD_WORDS;
    vec3 line = capturedVec3(first) - capturedVec3(second);
    uint at = corner.x == 0 ? first : second;
    vec3 position = capturedVec3(at);
    float strength = captured[at + 10u];
    float radius = captured[at + 11u] * strength;

    vec3 toEye = uEye - position;
    vec3 side = cross(toEye, line);
    float sideLength = length(side);
    side = sideLength > 0.0 ? side / sideLength : vec3(0.0);  // seen end-on: no width
    vec3 facing = toEye - line * (dot(line, toEye) / max(dot(line, line), 1e-30));
    float facingLength = length(facing);
    facing = facingLength > 0.0 ? facing / facingLength : vec3(0.0);

    vec3 world = position + float(corner.y) * MEAN_HALF_WIDTH * radius * side;
    vec4 color = vec4(captured[at + 3u], captured[at + 4u], captured[at + 5u], captured[at + 6u]);
    float average = (color.r + color.g + color.b) / 3.0;
    rColor = vec4(mix(vec3(average), color.rgb, strength), color.a);
    rShade = vec3(float(corner.y), dot(side, -position), dot(facing, -position));
    gl_Position = uViewProjectionMatrix * vec4(world, 1.0);
}
