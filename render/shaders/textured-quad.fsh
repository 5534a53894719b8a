#version 430
// Splash screens: the image as it is, alpha included.

layout(location = 1) uniform sampler2D uTexture;

in vec2 vUV;

out vec4 fragColor;

void main() {
    fragColor = texture(uTexture, vUV);
}
