#version 430
// Globe: positions and normals into eye space for the lighting of basic.fsh.

uniform mat4 uProjectionMatrix;
uniform mat4 uModelViewMatrix;
// The inverse transpose of the model-view's rotation part, worked out once per draw on the CPU
// rather than per vertex.
uniform mat3 uNormalMatrix;

layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUV;

out vec3 vNormalEyespace;
out vec4 vPositionEyespace;
out vec2 vUV;

void main() {
    vNormalEyespace = uNormalMatrix * aNormal;
    vPositionEyespace = uModelViewMatrix * aPosition;
    vUV = aUV;
    gl_Position = uProjectionMatrix * vPositionEyespace;
}
