#version 430
// Overlay panel: triangles already placed in world space.

layout(location = 0) uniform mat4 uProjectionMatrix;
layout(location = 1) uniform mat4 uViewMatrix;

layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec2 aUV;
layout(location = 2) in vec4 aColor;

out vec2 vUV;
out vec4 vColor;

void main() {
    vUV = aUV;
    vColor = aColor;
    gl_Position = uProjectionMatrix * uViewMatrix * aPosition;
}
