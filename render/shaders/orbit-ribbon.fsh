#version 430
// Orbit ribbons: the tube's colour and light (orbit.fsh) for the normal of a round tube at the
// point across it where the view ray meets it.

layout(location = 1) uniform float uAlpha;

in vec4 rColor;
in vec3 rShade;

out vec4 fragColor;

void main() {
    float across = rShade.x;
    float c = across * rShade.y + sqrt(max(1.0 - across * across, 0.0)) * rShade.z;
    vec3 diffuse = 0.3 * clamp(c, 0.0, 1.0) * rColor.rgb;
    vec3 ambient = 0.7 * rColor.rgb;
    fragColor = vec4(diffuse + ambient, rColor.a * uAlpha);
}
