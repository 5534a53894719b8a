#version 430 core
// The health-and-safety notice: a framed panel with lines of writing suggested by bars and a
// warning stripe at the top, drawn without any texture.
in vec2 uv;
out vec4 colour;

void main() {
    vec2 border = min(uv, 1.0 - uv);
    if (min(border.x, border.y) < 0.02) {
        colour = vec4(0.95, 0.95, 0.95, 1.0);
        return;
    }
    vec3 panel = vec3(0.12, 0.16, 0.26);
    if (uv.y > 0.82 && uv.y < 0.92 && uv.x > 0.1 && uv.x < 0.9) {
        colour = vec4(0.95, 0.75, 0.1, 1.0);
        return;
    }
    float row = fract(uv.y * 10.0);
    bool textRow = uv.y > 0.15 && uv.y < 0.75 && row > 0.35 && row < 0.65;
    float lineEnd = 0.9 - 0.25 * fract(floor(uv.y * 10.0) * 0.618);
    if (textRow && uv.x > 0.1 && uv.x < lineEnd) panel = vec3(0.8, 0.82, 0.88);
    colour = vec4(panel, 1.0);
}
