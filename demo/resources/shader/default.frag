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
in vec4 lightClip[4];

out vec4 fragColor;

const float ambient = 0.08;
const float specularExponent = 20.0;
const int spotLight = 0;
const float shadowMapSize = 1024.0;

// How much of the light reaches this point past the shadow map: four texels, weighted bilinearly.
float litShare(int light, sampler2D shadowMap)
{
    vec4 clip = lightClip[light];
    if (clip.w <= 0.0)
        return 1.0;
    vec3 mapped = clip.xyz / clip.w * 0.5 + 0.5;
    if (any(lessThan(mapped, vec3(0.0))) || any(greaterThan(mapped, vec3(1.0))))
        return 1.0;
    vec2 texel = mapped.xy * shadowMapSize - 0.5;
    vec2 corner = floor(texel);
    vec2 weight = texel - corner;
    // Whole texels: no filtering and no level of detail to work out.
    ivec2 at = clamp(ivec2(corner), ivec2(0), ivec2(int(shadowMapSize) - 2));
    vec4 stored = vec4(texelFetch(shadowMap, at, 0).r, texelFetch(shadowMap, at + ivec2(1, 0), 0).r,
                       texelFetch(shadowMap, at + ivec2(0, 1), 0).r, texelFetch(shadowMap, at + ivec2(1, 1), 0).r);
    vec4 lit = step(vec4(mapped.z - 0.0005), stored);
    return mix(mix(lit.x, lit.y, weight.x), mix(lit.z, lit.w, weight.x), weight.y);
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

vec3 shade(int light, sampler2D shadowMap, vec3 albedo, vec3 normal, vec3 toEye)
{
    vec3 toLight = lightArray[light].position - worldPosition;
    float distance = length(toLight);
    toLight /= max(distance, 0.0001);
    float facing = dot(normal, toLight);
    if (facing <= 0.0)
        return vec3(0.0);
    float reach = spotFactor(light, -toLight);
    if (reach <= 0.0)
        return vec3(0.0);
    reach /= max(lightArray[light].constAttenuation + lightArray[light].linearAttenuation * distance
                 + lightArray[light].quadraticAttenuation * distance * distance, 0.0001);
    if (lightArray[light].shadowType == 1)
        reach *= 1.0 - lightArray[light].shadowDensity * (1.0 - litShare(light, shadowMap));
    vec3 lit = albedo * facing * lightArray[light].diffuseCoefficient;
    if (specularCoefficient > 0.0)
        lit += pow(max(dot(normal, normalize(toLight + toEye)), 0.0), specularExponent) * specularCoefficient;
    return lightArray[light].color.rgb * reach * lit;
}

// Each light with its own shadow map: sampler arrays take constant indices only in GLSL 1.50.
vec3 lighting(vec3 albedo, vec3 normal)
{
    vec3 toEye = normalize(camPos - worldPosition);
    vec3 color = albedo * ambient;
    if (lightCount > 0)
        color += shade(0, shadowMaps[0], albedo, normal, toEye);
    if (lightCount > 1)
        color += shade(1, shadowMaps[1], albedo, normal, toEye);
    if (lightCount > 2)
        color += shade(2, shadowMaps[2], albedo, normal, toEye);
    if (lightCount > 3)
        color += shade(3, shadowMaps[3], albedo, normal, toEye);
    return color;
}

void main()
{
    vec4 albedo = texture(textures[0], uv);
    fragColor = vec4(lighting(albedo.rgb, normalize(worldNormal)), albedo.a);
}
