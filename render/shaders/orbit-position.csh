#version 430
// Propagation: each record of a satellite's head or trail on its orbit, which drifts under
// the Earth's oblateness (node, perigee and mean anomaly rates), becomes one captured record
// with its world position. A compute pass rather than a vertex stage, because a software
// renderer spreads compute groups over every core while it runs vertex stages on one.
//
// Time reaches the GPU only as small numbers: the satellite's state is reduced on the CPU
// (in double precision) to a base instant near the present, and uTime counts from there.

layout(local_size_x = 64) in;

// Seconds since the base instant of uOrbits; kept within minutes of it by the renderer.
layout(location = 0) uniform float uTime;
layout(location = 1) uniform uint uCount;  // records in the bound ranges
// Three texels per satellite: (mean anomaly, node, perigee, inclination) at the base,
// (their rates per second, eccentricity), (semi-major axis, semi-minor axis, -, -).
layout(binding = 0) uniform samplerBuffer uOrbits;

// One source record is 9 words (OrbitVertex): colour 4, lead (seconds ahead of the satellite
// along its orbit), strength, size, show (an int), orbit (an int).
layout(std430, binding = 0) readonly buffer Source { uint source[]; };
// One captured record is 13 words (PropagatedVertex): position 3, colour 4, normal 3,
// strength, size, show (an int). Words are moved as bits: a float copy could flush the
// show flag's tiny pattern to zero.
layout(std430, binding = 1) writeonly buffer Captured { uint captured[]; };

const uint SOURCE_WORDS = 9u;
const uint RECORD_WORDS = 13u;
const float TWO_PI = 6.283185307179586;
const float ERROR_RATE = 0.001;
// Newton from E = M converges in a handful of steps for any e < 1; the cap only keeps a
// corrupt record (NaN, e >= 1) from spinning the GPU forever.
const int MAX_STEPS = 100;

void main() {
    uint i = gl_GlobalInvocationID.x;
    if (i >= uCount) return;
    uint from = i * SOURCE_WORDS;
    float lead = uintBitsToFloat(source[from + 4u]);
    int orbit = int(source[from + 8u]);

    vec4 angles = texelFetch(uOrbits, 3 * orbit);
    vec4 rates = texelFetch(uOrbits, 3 * orbit + 1);
    vec4 axes = texelFetch(uOrbits, 3 * orbit + 2);
    float e = rates.w;

    float M = angles.x + rates.x * (uTime + lead);
    M -= TWO_PI * floor(M / TWO_PI);
    float E = M;
    float next = M;
    for (int step = 0; step < MAX_STEPS; ++step) {
        next = E - (E - e * sin(E) - M) / (1.0 - e * cos(E));
        if (abs(next - E) <= ERROR_RATE) break;
        E = next;
    }
    E = next;

    // Perigee direction P and the direction Q 90 degrees ahead, from the node, inclination
    // and argument of perigee (world axes: +Y north, the node of right ascension 0 on +Z).
    float node = angles.y + rates.y * uTime;
    float perigee = angles.z + rates.z * uTime;
    float cO = cos(node), sO = sin(node);
    float cw = cos(perigee), sw = sin(perigee);
    float ci = cos(angles.w), si = sin(angles.w);
    vec3 P = vec3(sO * cw + cO * sw * ci, sw * si, cO * cw - sO * sw * ci);
    vec3 Q = vec3(-sO * sw + cO * cw * ci, cw * si, -cO * sw - sO * cw * ci);

    vec3 center = -axes.x * e * P;
    vec3 position = center + axes.x * cos(E) * P + axes.y * sin(E) * Q;
    vec3 normal = normalize(position - center);

    uint to = i * RECORD_WORDS;
    captured[to + 0u] = floatBitsToUint(position.x);
    captured[to + 1u] = floatBitsToUint(position.y);
    captured[to + 2u] = floatBitsToUint(position.z);
    for (uint k = 0u; k < 4u; ++k) captured[to + 3u + k] = source[from + k];  // colour
    captured[to + 7u] = floatBitsToUint(normal.x);
    captured[to + 8u] = floatBitsToUint(normal.y);
    captured[to + 9u] = floatBitsToUint(normal.z);
    captured[to + 10u] = source[from + 5u];  // strength
    captured[to + 11u] = source[from + 6u];  // size
    captured[to + 12u] = source[from + 7u];  // show
}
