#version 430 core
// Lens-style barrel distortion: each display pixel samples the eye picture further out the
// further it lies from the lens centre, so straight lines bow outwards like through a lens.
uniform sampler2D eyeTexture;
uniform vec2 lensCentre;   // in the eye picture, 0..1
uniform vec2 coefficients; // k1, k2 of 1 + k1 r^2 + k2 r^4
uniform vec2 pictureScale; // the used part of the eye texture
in vec2 uv;
out vec4 colour;

void main() {
    vec2 p = (uv - lensCentre) * 2.0;
    float r2 = dot(p, p);
    float fit = 1.0 + coefficients.x + coefficients.y;  // keeps the horizontal edge in view
    vec2 source = lensCentre + 0.5 * p * (1.0 + coefficients.x * r2 + coefficients.y * r2 * r2) / fit;
    if (any(lessThan(source, vec2(0.0))) || any(greaterThan(source, vec2(1.0)))) {
        colour = vec4(0.0, 0.0, 0.0, 1.0);
    } else {
        colour = vec4(texture(eyeTexture, source * pictureScale).rgb, 1.0);
    }
}
