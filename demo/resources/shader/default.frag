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
uniform Light lightArray[4];
uniform sampler2D shadowMaps[4];

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;

out vec4 fragColor;

const float ambient = 0.08;
const float specularExponent = 20.0;
const int spotLight = 0;
const float shadowMapSize = 1024.0;

// Sampler arrays take constant indices only in GLSL 1.50.
float storedDepth(int light, vec2 at)
{
    if (light == 0) return texture(shadowMaps[0], at).r;
    if (light == 1) return texture(shadowMaps[1], at).r;
    if (light == 2) return texture(shadowMaps[2], at).r;
    return texture(shadowMaps[3], at).r;
}

// How much of the light reaches this point past the shadow map: four texels, weighted bilinearly.
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
    vec2 texel = mapped.xy * shadowMapSize - 0.5;
    vec2 corner = floor(texel);
    vec2 weight = texel - corner;
    vec2 at = (corner + 0.5) / shadowMapSize;
    float step = 1.0 / shadowMapSize;
    float depth = mapped.z - 0.0005;
    float s00 = depth <= storedDepth(light, at) ? 1.0 : 0.0;
    float s10 = depth <= storedDepth(light, at + vec2(step, 0.0)) ? 1.0 : 0.0;
    float s01 = depth <= storedDepth(light, at + vec2(0.0, step)) ? 1.0 : 0.0;
    float s11 = depth <= storedDepth(light, at + vec2(step, step)) ? 1.0 : 0.0;
    return mix(mix(s00, s10, weight.x), mix(s01, s11, weight.x), weight.y);
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

vec3 lighting(vec3 albedo, vec3 normal)
{
    vec3 toEye = normalize(camPos - worldPosition);
    vec3 color = albedo * ambient;
    for (int light = 0; light < lightCount; ++light)
    {
        vec3 toLight = lightArray[light].position - worldPosition;
        float distance = length(toLight);
        toLight /= max(distance, 0.0001);
        float facing = dot(normal, toLight);
        float reach = facing > 0.0 ? spotFactor(light, -toLight) : 0.0;
        if (reach <= 0.0)
            continue;
        reach /= max(lightArray[light].constAttenuation + lightArray[light].linearAttenuation * distance
                     + lightArray[light].quadraticAttenuation * distance * distance, 0.0001);
        if (lightArray[light].shadowType == 1)
            reach *= 1.0 - lightArray[light].shadowDensity * (1.0 - litShare(light));
        float specular = pow(max(dot(normal, normalize(toLight + toEye)), 0.0), specularExponent) * specularCoefficient;
        color += lightArray[light].color.rgb * reach * (albedo * facing * lightArray[light].diffuseCoefficient + specular);
    }
    return color;
}

void main()
{
    vec4 albedo = texture(textures[0], uv);
    fragColor = vec4(lighting(albedo.rgb, normalize(worldNormal)), albedo.a);
}
