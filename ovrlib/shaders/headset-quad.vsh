#version 430 core
// A rectangle (x0, y0, x1, y1 in clip space) drawn as a four-vertex strip, no vertex buffer.
uniform vec4 area;
out vec2 uv;

void main() {
    vec2 corner = vec2(gl_VertexID & 1, gl_VertexID >> 1);
    uv = corner;
    gl_Position = vec4(mix(area.xy, area.zw, corner), 0.0, 1.0);
}
