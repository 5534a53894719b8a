#version 430
// Star cube: the unrotated direction picks the texel; a cube lookup needs no unit vector.

layout(location = 0) uniform mat4 uOrientationMatrix;
layout(location = 1) uniform samplerCube uTexture;

in vec4 vPosition;

out vec4 fragColor;

void main() {
    fragColor = texture(uTexture, vPosition.xyz);
}
