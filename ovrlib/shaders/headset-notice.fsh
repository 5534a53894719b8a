#version 430 core
// The health-and-safety notice: what the preview is and how to use it, an embedded image.
in vec2 uv;
out vec4 colour;

uniform sampler2D notice;

void main() {
    // The image's first row is its top; uv.y grows upwards.
    colour = vec4(texture(notice, vec2(uv.x, 1.0 - uv.y)).rgb, 1.0);
}
