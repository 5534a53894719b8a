#version 430
// Star cube: the unrotated direction picks the texel.

layout(location = 0) uniform mat4 uOrientationMatrix;
layout(location = 1) uniform samplerCube uTexture;

in vec4 vPosition;

out vec4 fragColor;

void main() {
    fragColor = texture(uTexture, normalize(vPosition.xyz));
}
