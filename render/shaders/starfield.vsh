#version 430
// Star cube: rotated with the view, sampled by the cube's own vertex direction. It lies on the
// far plane (z = w), so drawn after the globe it shades only the pixels the globe left empty.

layout(location = 0) uniform mat4 uOrientationMatrix;
layout(location = 1) uniform samplerCube uTexture;

layout(location = 0) in vec4 aPosition;

out vec4 vPosition;

void main() {
    vPosition = aPosition;
    gl_Position = (uOrientationMatrix * aPosition).xyww;
}
