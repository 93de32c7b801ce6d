#version 150
// Four shadow texels in one fetch where the driver offers it.
#ifdef GL_ARB_texture_gather
#extension GL_ARB_texture_gather : enable
#define GATHERS_TEXELS
#endif

// Diffuse texture, Blinn-Phong highlights and up to four lights: point lights (type 2) and spot lights
// (type 0, soft between hotspot and falloff), with attenuation, and directional lights (type 1),
// without. The first two are lit per pixel, each with its shadow (shadow type 1, a filtered lookup
// into the light's shadow map); the other two reach each vertex without shadows and are lit together,
// from the direction they come from, per pixel. The scene's ambient light adds to a little light that
// is always there. A material drawn unlit shows its texture as it is.

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
uniform float mistDensity;
uniform vec3 mistColour;
uniform int lightCount;
uniform Light lightArray[4];
uniform sampler2D shadowMaps[2];
uniform vec3 ambientLight;
uniform float unlit;
// How much of what lies behind shows through: a material's own value, 0 unless it gives one.
uniform float transparency;

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
in vec4 vertexColor;
in vec4 mapPositions[2];
flat in vec4 spotAxes[2];
flat in vec4 cones;
flat in vec4 lightPlaces[2];
in vec3 furtherDirection;
in vec3 furtherDiffuse;
in vec3 furtherColor;

out vec4 fragColor;

const float ambient = 0.08;
const float shadowMapSize = 1024.0;
const float depthBias = 0.0005;

// How much of the light reaches this point past the shadow map: the four texels around it, weighted
// bilinearly. Branches would not save work on a software rasteriser, so every light takes this path.
float litShare(vec4 mapPosition, sampler2D shadowMap)
{
    vec3 mapped = mapPosition.xyz / mapPosition.w;
    vec2 corner = floor(mapped.xy);
    vec2 weight = mapped.xy - corner;
#ifdef GATHERS_TEXELS
    // Gathered at the point between the four texel centres, lower left first.
    vec4 stored = textureGather(shadowMap, (corner + 1.0) / shadowMapSize).wzxy;
#else
    ivec2 at = clamp(ivec2(corner), ivec2(0), ivec2(int(shadowMapSize) - 2));
    vec4 stored = vec4(texelFetch(shadowMap, at, 0).r, texelFetch(shadowMap, at + ivec2(1, 0), 0).r,
                       texelFetch(shadowMap, at + ivec2(0, 1), 0).r, texelFetch(shadowMap, at + ivec2(1, 1), 0).r);
#endif
    vec4 lit = step(vec4(mapped.z), stored);
    float share = mix(mix(lit.x, lit.y, weight.x), mix(lit.z, lit.w, weight.x), weight.y);
    // Outside the light's view the map knows nothing: the point counts as lit.
    vec3 low = vec3(-0.5, -0.5, -depthBias);
    vec3 high = vec3(shadowMapSize - 0.5, shadowMapSize - 0.5, 1.0 - depthBias);
    bool outside = mapPosition.w <= 0.0 || any(lessThan(mapped, low)) || any(greaterThan(mapped, high));
    return outside ? 1.0 : share;
}

// x to the power of 20 by squaring, far cheaper than pow().
float highlight(float x)
{
    float x4 = x * x;
    x4 *= x4;
    float x16 = x4 * x4;
    x16 *= x16;
    return x16 * x4;
}

vec3 shade(int light, sampler2D shadowMap, vec3 albedo, vec3 normal, vec3 toEye)
{
    vec3 toLight = lightPlaces[light].xyz - worldPosition * lightPlaces[light].w;
    float squaredDistance = max(dot(toLight, toLight), 1e-8);
    float inverseDistance = inversesqrt(squaredDistance);
    float distance = squaredDistance * inverseDistance;
    toLight *= inverseDistance;
    float facing = dot(normal, toLight);
    vec2 cone = light == 0 ? cones.xy : cones.zw;
    float edge = clamp((dot(spotAxes[light].xyz, -toLight) - cone.x) * cone.y, 0.0, 1.0);
    float reach = edge * edge * (3.0 - 2.0 * edge);
    // A directional light comes from far away: nothing of it is lost on the way.
    reach /= max(mix(1.0, lightArray[light].constAttenuation + (lightArray[light].linearAttenuation
                 + lightArray[light].quadraticAttenuation * distance) * distance, lightPlaces[light].w), 0.0001);
    // A light without shadows reads one fixed texel, which keeps its unused lookup cheap.
    vec4 mapPosition = spotAxes[light].w > 0.0 ? mapPositions[light] : vec4(0.0, 0.0, 0.0, 1.0);
    reach *= 1.0 - spotAxes[light].w * (1.0 - litShare(mapPosition, shadowMap));
    vec3 lit = albedo * facing * lightArray[light].diffuseCoefficient
               + highlight(max(dot(normal, normalize(toLight + toEye)), 0.0)) * max(specularCoefficient, 0.0);
    return facing > 0.0 ? lightArray[light].color.rgb * reach * lit : vec3(0.0);
}

// The lights past the first two, lit together from the direction they come from, without shadows.
vec3 furtherLights(vec3 albedo, vec3 normal, vec3 toEye)
{
    vec3 toLight = furtherDirection * inversesqrt(max(dot(furtherDirection, furtherDirection), 1e-12));
    float facing = dot(normal, toLight);
    vec3 lit = albedo * facing * furtherDiffuse
               + highlight(max(dot(normal, normalize(toLight + toEye)), 0.0)) * max(specularCoefficient, 0.0) * furtherColor;
    return facing > 0.0 ? lit : vec3(0.0);
}

// The first two lights each with its own shadow map: sampler arrays take constant indices only in
// GLSL 1.50.
vec3 lighting(vec3 albedo, vec3 normal)
{
    vec3 toEye = normalize(camPos - worldPosition);
    vec3 color = albedo * (ambient + ambientLight) + furtherLights(albedo, normal, toEye);
    if (lightCount > 0)
        color += shade(0, shadowMaps[0], albedo, normal, toEye);
    if (lightCount > 1)
        color += shade(1, shadowMaps[1], albedo, normal, toEye);
    return color;
}

// Distance mist, none unless the program is given a density (a program's uniforms start at 0): the
// colour fades toward the mist's with the distance from the eye.
vec3 misted(vec3 color)
{
    float mist = mistDensity > 0.0 ? 1.0 - exp(-mistDensity * distance(camPos, worldPosition)) : 0.0;
    return mix(color, mistColour, mist);
}

void main()
{
    vec4 albedo = texture(textures[0], uv) * vertexColor;
    fragColor = vec4(misted(mix(lighting(albedo.rgb, normalize(worldNormal)), albedo.rgb, unlit)),
                     albedo.a * (1.0 - transparency));
}
