#version 430
// Map surface: a round map with a white border and a bright crosshair where the viewer looks.

layout(location = 2) uniform vec2 uLookAtUV;
layout(location = 3) uniform sampler2D uTexture;
layout(location = 4) uniform float uAlpha;
layout(location = 5) uniform float uVisibleRadius;

in vec2 vUV;

out vec4 fragColor;

void main() {
    if (distance(vUV, vec2(0.5)) > uVisibleRadius) {
        fragColor = vec4(0.0);
        return;
    }
    if (vUV.x < 0.01 || vUV.x > 0.99 || vUV.y < 0.01 || vUV.y > 0.99) {
        fragColor = vec4(1.0);
        return;
    }
    vec4 color = texture(uTexture, vUV);
    vec4 inverted = vec4(vec3(1.0) - color.rgb, color.a);
    float highlight = pow(clamp(1.0 - distance(vUV, uLookAtUV), 0.0, 1.0), 100.0);
    color = mix(color, inverted, highlight);
    fragColor = vec4(color.rgb, color.a * uAlpha);
}
