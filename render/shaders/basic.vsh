#version 430
// Globe: positions and normals into eye space for the lighting of basic.fsh.

uniform mat4 uProjectionMatrix;
uniform mat4 uModelViewMatrix;

layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUV;

out vec3 vNormalEyespace;
out vec4 vPositionEyespace;
out vec2 vUV;

void main() {
    vNormalEyespace = (inverse(transpose(uModelViewMatrix)) * vec4(aNormal, 1.0)).xyz;
    vPositionEyespace = uModelViewMatrix * aPosition;
    vUV = aUV;
    gl_Position = uProjectionMatrix * vPositionEyespace;
}
