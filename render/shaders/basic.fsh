#version 430
// Globe: day map lit by one light, specular where the mask says water, night lights fading in
// past the terminator.

struct Light {
    vec3 position;
    vec3 color;
    float attenuation;
    float ambientCoefficient;
};

struct Material {
    float shininess;
    vec3 specularColor;
};

uniform Material uMaterial;
uniform Material uSpecularMaterial;
uniform Light uLightEyespace;
uniform sampler2D uTexture;
uniform sampler2D uSpecularMap;
uniform sampler2D uNightMap;

const float NIGHT_THRESHOLD = 0.2;

in vec3 vNormalEyespace;
in vec4 vPositionEyespace;
in vec2 vUV;

out vec4 fragColor;

void main() {
    vec4 base = texture(uTexture, vUV);
    float s = texture(uSpecularMap, vUV).r;

    vec3 ambient = uLightEyespace.ambientCoefficient * base.rgb * uLightEyespace.color;

    vec3 L = normalize(uLightEyespace.position - vPositionEyespace.xyz);
    float c = dot(vNormalEyespace, L);
    float d = clamp(c, 0.0, 1.0);
    vec3 diffuse = d * base.rgb * uLightEyespace.color;

    float coefficient = 0.0;
    if (d > 0.0) {
        // The camera sits at the eye-space origin; w = 1 stays in the normalisation on purpose.
        vec3 V = normalize(-vPositionEyespace).xyz;
        vec3 R = reflect(-L, vNormalEyespace);
        float a = max(0.0, dot(V, R));
        float shininess = mix(uMaterial.shininess, uSpecularMaterial.shininess, s);
        coefficient = pow(a, shininess);
    }
    vec3 specular = coefficient * mix(uMaterial.specularColor, uSpecularMaterial.specularColor, s)
                    * uLightEyespace.color;

    vec3 emissive = vec3(0.0);
    if (c < NIGHT_THRESHOLD) {
        emissive = pow(clamp(abs(c - NIGHT_THRESHOLD), 0.0, 1.0), 0.5) * texture(uNightMap, vUV).rgb;
    }

    fragColor = vec4(ambient + emissive + uLightEyespace.attenuation * (diffuse + specular), base.a);
}
