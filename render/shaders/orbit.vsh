#version 430
// Orbit tubes: passes the captured records on to the geometry stage, still in world space.

layout(location = 0) in vec4 aWorldPosition;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec3 aNormal;
layout(location = 3) in float aStrength;
layout(location = 4) in float aSize;
layout(location = 5) in int aShow;

out vec4 vColor;
out vec3 vNormal;
out float vStrength;
out float vSize;
flat out int vShow;

void main() {
    gl_Position = aWorldPosition;
    vColor = aColor;
    vNormal = aNormal;
    vStrength = aStrength;
    vSize = aSize;
    vShow = aShow;
}
