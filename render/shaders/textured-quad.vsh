#version 430
// Splash screens: one textured quad in world space.

layout(location = 0) uniform mat4 uViewProjectionMatrix;

layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec2 aUV;

out vec2 vUV;

void main() {
    vUV = aUV;
    gl_Position = uViewProjectionMatrix * aPosition;
}
