#version 430
// Orbit tubes: widens one segment into a nine-sided tube whose radius at each end is
// size x strength, so strength 0 closes it to a point.

layout(lines) in;
layout(triangle_strip, max_vertices = 20) out;

layout(location = 0) uniform mat4 uViewProjectionMatrix;
layout(location = 1) uniform float uAlpha;

const int STEPS = 10;
const float PI = 3.1415926535897932384626433832795;

in vec4 vColor[];
in vec3 vNormal[];
in float vStrength[];
in float vSize[];
flat in int vShow[];

out vec4 gPositionWorldspace;
out vec4 gColor;
out vec3 gNormal;
out float gStrength;

// Right-handed rotation of v by angle about the unit axis (Rodrigues).
vec3 rotateAbout(vec3 v, vec3 axis, float angle) {
    float c = cos(angle);
    float s = sin(angle);
    return v * c + cross(axis, v) * s + axis * dot(axis, v) * (1.0 - c);
}

void emitRing(int k, vec3 up) {
    vec3 world = gl_in[k].gl_Position.xyz + vSize[k] * vStrength[k] * up;
    gPositionWorldspace = vec4(world, 1.0);
    gColor = vColor[k];
    gNormal = up;
    gStrength = vStrength[k];
    gl_Position = uViewProjectionMatrix * vec4(world, 1.0);
    EmitVertex();
}

void main() {
    // A segment is hidden by its first endpoint alone.
    if (vShow[0] == 0) return;

    vec3 line = gl_in[0].gl_Position.xyz - gl_in[1].gl_Position.xyz;
    vec3 up0 = normalize(cross(vNormal[0], line));
    vec3 up1 = normalize(cross(vNormal[1], line));
    vec3 axis0 = normalize(cross(vNormal[0], up0));
    vec3 axis1 = normalize(cross(vNormal[1], up1));
    float stepAngle = 2.0 * PI / float(STEPS - 1);

    vec3 first0 = up0;
    vec3 first1 = up1;
    for (int i = 0; i < STEPS - 1; ++i) {
        emitRing(1, up1);
        emitRing(0, up0);
        up0 = rotateAbout(up0, axis0, stepAngle);
        up1 = rotateAbout(up1, axis1, stepAngle);
    }
    // Close the tube with row 0 itself, not its rotated copy.
    emitRing(1, first1);
    emitRing(0, first0);
    EndPrimitive();
}
