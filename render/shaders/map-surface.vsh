#version 430
// Map surface: a textured quad with separate projection and model-view matrices.

layout(location = 0) uniform mat4 uProjectionMatrix;
layout(location = 1) uniform mat4 uModelViewMatrix;

layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec2 aUV;

out vec2 vUV;

void main() {
    vUV = aUV;
    gl_Position = uProjectionMatrix * uModelViewMatrix * aPosition;
}
