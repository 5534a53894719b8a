#version 430
// Propagation: solves Kepler's equation for one record of a satellite's orbit and hands the
// world position to transform feedback (rasterisation is discarded).

layout(location = 0) uniform float uTime;

const float PI = 3.1415926535897932384626433832795;
const float ERROR_RATE = 0.001;
// Newton from E = M converges in a handful of steps for any e < 1; the cap only keeps a
// corrupt record (NaN, e >= 1) from spinning the GPU forever.
const int MAX_STEPS = 100;

layout(location = 0) in vec3 aCenter;
layout(location = 1) in vec3 aMajorAxis;
layout(location = 2) in vec3 aMinorAxis;
layout(location = 3) in vec4 aColor;
layout(location = 4) in float aSemiMajorAxis;
layout(location = 5) in float aSemiMinorAxis;
layout(location = 6) in float aEccentricity;
layout(location = 7) in float aPhase;
layout(location = 8) in float aPeriod;
layout(location = 9) in float aStrength;
layout(location = 10) in float aSize;
layout(location = 11) in int aShow;

out vec3 vPosition;
out vec4 vColor;
out vec3 vNormal;
out float vStrength;
out float vSize;
flat out int vShow;

void main() {
    float t = (uTime - aPhase) / aPeriod;
    float M = (t - floor(t)) * 2.0 * PI;

    float E = M;
    float next = M;
    for (int step = 0; step < MAX_STEPS; ++step) {
        next = E - (E - aEccentricity * sin(E) - M) / (1.0 - aEccentricity * cos(E));
        if (abs(next - E) <= ERROR_RATE) break;
        E = next;
    }
    E = next;

    vec3 position = aCenter + aSemiMajorAxis * cos(E) * aMajorAxis
                  + aSemiMinorAxis * sin(E) * aMinorAxis;

    vPosition = position;
    vColor = aColor;
    vNormal = normalize(position - aCenter);
    vStrength = aStrength;
    vSize = aSize;
    vShow = aShow;
}
