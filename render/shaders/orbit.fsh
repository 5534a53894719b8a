#version 430
// Orbit tubes: saturation follows the strength, lit by a light at the Earth's centre.

layout(location = 1) uniform float uAlpha;

in vec4 gPositionWorldspace;
in vec4 gColor;
in vec3 gNormal;
in float gStrength;

out vec4 fragColor;

void main() {
    float average = (gColor.r + gColor.g + gColor.b) / 3.0;
    vec3 color = mix(vec3(average), gColor.rgb, gStrength);
    float alpha = gColor.a * uAlpha;
    float c = dot(gNormal, -gPositionWorldspace.xyz);
    vec3 diffuse = 0.3 * clamp(c, 0.0, 1.0) * color;
    vec3 ambient = 0.7 * color;
    fragColor = vec4(diffuse + ambient, alpha);
}
