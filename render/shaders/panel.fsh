#version 430
// Overlay panel: vertex colour times the font/texture atlas.

layout(location = 2) uniform sampler2D uTexture;

in vec2 vUV;
in vec4 vColor;

out vec4 fragColor;

void main() {
    fragColor = vColor * texture(uTexture, vUV);
}
