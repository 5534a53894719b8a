#version 430
// Propagation: one record of a satellite's head or trail on its orbit, which drifts under
// the Earth's oblateness (node, perigee and mean anomaly rates); the world position goes to
// transform feedback (rasterisation is discarded).
//
// Time reaches the GPU only as small numbers: the satellite's state is reduced on the CPU
// (in double precision) to a base instant near the present, and uTime counts from there.

// Seconds since the base instant of uOrbits; kept within minutes of it by the renderer.
layout(location = 0) uniform float uTime;
// Three texels per satellite: (mean anomaly, node, perigee, inclination) at the base,
// (their rates per second, eccentricity), (semi-major axis, semi-minor axis, -, -).
layout(binding = 0) uniform samplerBuffer uOrbits;

const float TWO_PI = 6.283185307179586;
const float ERROR_RATE = 0.001;
// Newton from E = M converges in a handful of steps for any e < 1; the cap only keeps a
// corrupt record (NaN, e >= 1) from spinning the GPU forever.
const int MAX_STEPS = 100;

layout(location = 0) in vec4 aColor;
layout(location = 1) in float aLead;  // seconds ahead of the satellite along its orbit
layout(location = 2) in float aStrength;
layout(location = 3) in float aSize;
layout(location = 4) in int aShow;
layout(location = 5) in int aOrbit;

out vec3 vPosition;
out vec4 vColor;
out vec3 vNormal;
out float vStrength;
out float vSize;
flat out int vShow;

void main() {
    vec4 angles = texelFetch(uOrbits, 3 * aOrbit);
    vec4 rates = texelFetch(uOrbits, 3 * aOrbit + 1);
    vec4 axes = texelFetch(uOrbits, 3 * aOrbit + 2);
    float e = rates.w;

    float M = angles.x + rates.x * (uTime + aLead);
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

    vPosition = position;
    vColor = aColor;
    vNormal = normalize(position - center);
    vStrength = aStrength;
    vSize = aSize;
    vShow = aShow;
}
