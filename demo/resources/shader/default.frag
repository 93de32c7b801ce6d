#version 150

// Diffuse texture, Blinn-Phong highlights and every light of the scene in one pass: point lights
// (type 2) and spot lights (type 0, soft between hotspot and falloff), with attenuation and, for
// shadow type 1, a filtered lookup into the light's shadow map.

struct Light
{
    vec3 position;
    vec3 direction;
    vec4 vecViewProj_0;
    vec4 vecViewProj_1;
    vec4 vecViewProj_2;
    vec4 vecViewProj_3;
    vec4 color;
    float diffuseCoefficient;
    float constAttenuation;
    float linearAttenuation;
    float quadraticAttenuation;
    int type;
    float hotspotAngle;
    float falloffAngle;
    int shadowType;
    float shadowDensity;
};

uniform sampler2D textures[1];
uniform float specularCoefficient;
uniform vec3 camPos;
uniform int lightCount;
uniform Light lightArray[8];
uniform sampler2D shadowMaps[8];

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;

out vec4 fragColor;

const float ambient = 0.08;
const float specularExponent = 20.0;
const int spotLight = 0;

// Sampler arrays take constant indices only in GLSL 1.50.
float storedDepth(int light, vec2 at)
{
    if (light == 0) return texture(shadowMaps[0], at).r;
    if (light == 1) return texture(shadowMaps[1], at).r;
    if (light == 2) return texture(shadowMaps[2], at).r;
    if (light == 3) return texture(shadowMaps[3], at).r;
    if (light == 4) return texture(shadowMaps[4], at).r;
    if (light == 5) return texture(shadowMaps[5], at).r;
    if (light == 6) return texture(shadowMaps[6], at).r;
    return texture(shadowMaps[7], at).r;
}

// The share of the 3 x 3 shadow-map texels around this point that see the light.
float litShare(int light)
{
    vec4 place = vec4(worldPosition, 1.0);
    vec4 clip = vec4(dot(lightArray[light].vecViewProj_0, place), dot(lightArray[light].vecViewProj_1, place),
                     dot(lightArray[light].vecViewProj_2, place), dot(lightArray[light].vecViewProj_3, place));
    if (clip.w <= 0.0)
        return 1.0;
    vec3 mapped = clip.xyz / clip.w * 0.5 + 0.5;
    if (any(lessThan(mapped, vec3(0.0))) || any(greaterThan(mapped, vec3(1.0))))
        return 1.0;
    vec2 texel = 1.0 / vec2(1024.0);
    float lit = 0.0;
    for (int x = -1; x <= 1; ++x)
        for (int y = -1; y <= 1; ++y)
            lit += mapped.z - 0.0005 <= storedDepth(light, mapped.xy + vec2(x, y) * texel) ? 1.0 : 0.0;
    return lit / 9.0;
}

float spotFactor(int light, vec3 toSurface)
{
    if (lightArray[light].type != spotLight)
        return 1.0;
    float cosine = dot(normalize(lightArray[light].direction), toSurface);
    float outer = cos(lightArray[light].falloffAngle * 0.5);
    float inner = cos(lightArray[light].hotspotAngle * 0.5);
    return smoothstep(outer, max(inner, outer + 0.0001), cosine);
}

void main()
{
    vec4 albedo = texture(textures[0], uv);
    vec3 normal = normalize(worldNormal);
    vec3 toEye = normalize(camPos - worldPosition);
    vec3 color = albedo.rgb * ambient;
    for (int light = 0; light < lightCount; ++light)
    {
        vec3 toLight = lightArray[light].position - worldPosition;
        float distance = length(toLight);
        toLight /= max(distance, 0.0001);
        float attenuation = 1.0 / max(lightArray[light].constAttenuation + lightArray[light].linearAttenuation * distance
                                      + lightArray[light].quadraticAttenuation * distance * distance, 0.0001);
        float reach = attenuation * spotFactor(light, -toLight);
        if (lightArray[light].shadowType == 1)
            reach *= 1.0 - lightArray[light].shadowDensity * (1.0 - litShare(light));
        float facing = dot(normal, toLight);
        float diffuse = max(facing, 0.0) * lightArray[light].diffuseCoefficient;
        float specular = facing > 0.0
            ? pow(max(dot(normal, normalize(toLight + toEye)), 0.0), specularExponent) * specularCoefficient : 0.0;
        color += lightArray[light].color.rgb * reach * (albedo.rgb * diffuse + specular);
    }
    fragColor = vec4(color, albedo.a);
}
