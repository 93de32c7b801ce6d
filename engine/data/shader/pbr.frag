#version 150
// Four shadow texels in one fetch where the driver offers it.
#ifdef GL_ARB_texture_gather
#extension GL_ARB_texture_gather : enable
#define GATHERS_TEXELS
#endif

// Metallic-roughness materials as glTF 2.0 defines them: the GGX distribution, Smith's
// height-correlated visibility, Schlick's Fresnel and Lambert's diffuse, with the engine's lights and
// shadow maps (the first two lights per pixel with their shadows, the others together), lit in linear
// space and encoded for the display as sRGB. Base colour and emissive pictures are sRGB, decoded by
// OpenGL as they are read; a light of intensity 1 shows a white diffuse surface facing it white. Each
// picture is read with its own texture-coordinate set, moved by its own transform. Goes with
// default.vert.

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

uniform vec3 camPos;
uniform int lightCount;
uniform Light lightArray[4];
uniform sampler2D shadowMaps[2];
uniform vec3 ambientLight;
uniform float unlit;

// The material's own values, as a glTF material gives them.
uniform vec4 baseColorFactor;
uniform sampler2D baseColorTexture;
uniform float metallicFactor;
uniform float roughnessFactor;
uniform sampler2D metallicRoughnessTexture;
uniform sampler2D occlusionTexture;
uniform float occlusionStrength;
uniform sampler2D emissiveTexture;
uniform vec3 emissiveFactor;
// 0 for a material without a normal picture.
uniform float normalScale;
uniform sampler2D normalTexture;
// 0 opaque, 1 masked at alphaCutoff, 2 blended.
uniform int alphaMode;
uniform float alphaCutoff;

in vec3 worldPosition;
in vec3 worldNormal;
in vec4 worldTangent;
// Each picture's coordinates, of its own set and transform (default.vert works them out).
in vec2 baseColorUv;
in vec2 metallicRoughnessUv;
in vec2 normalUv;
in vec2 occlusionUv;
in vec2 emissiveUv;
in vec4 vertexColor;
in vec4 mapPositions[2];
flat in vec4 spotAxes[2];
flat in vec4 cones;
flat in vec4 lightPlaces[2];
in vec3 furtherDirection;
in vec3 furtherDiffuse;
in vec3 furtherColor;

out vec4 fragColor;

const float PI = 3.14159265;
const float ambient = 0.08;
const float shadowMapSize = 1024.0;
const float depthBias = 0.0005;

// The sRGB curve as a polynomial of the value's roots: within a fraction of an 8-bit step of the
// exact curve, at a part of the cost of pow() on a software rasteriser.
vec3 encodeSrgb(vec3 linear)
{
    vec3 root = sqrt(clamp(linear, 0.0, 1.0));
    vec3 fourthRoot = sqrt(root);
    return clamp(0.585122381 * root + 0.783140355 * fourthRoot - 0.368262736 * sqrt(fourthRoot), 0.0, 1.0);
}

// How much of the light reaches this point past the shadow map, as the default shaders find it.
float litShare(vec4 mapPosition, sampler2D shadowMap)
{
    vec3 mapped = mapPosition.xyz / mapPosition.w;
    vec2 corner = floor(mapped.xy);
    vec2 weight = mapped.xy - corner;
#ifdef GATHERS_TEXELS
    vec4 stored = textureGather(shadowMap, (corner + 1.0) / shadowMapSize).wzxy;
#else
    ivec2 at = clamp(ivec2(corner), ivec2(0), ivec2(int(shadowMapSize) - 2));
    vec4 stored = vec4(texelFetch(shadowMap, at, 0).r, texelFetch(shadowMap, at + ivec2(1, 0), 0).r,
                       texelFetch(shadowMap, at + ivec2(0, 1), 0).r, texelFetch(shadowMap, at + ivec2(1, 1), 0).r);
#endif
    vec4 lit = step(vec4(mapped.z), stored);
    float share = mix(mix(lit.x, lit.y, weight.x), mix(lit.z, lit.w, weight.x), weight.y);
    vec3 low = vec3(-0.5, -0.5, -depthBias);
    vec3 high = vec3(shadowMapSize - 0.5, shadowMapSize - 0.5, 1.0 - depthBias);
    bool outside = mapPosition.w <= 0.0 || any(lessThan(mapped, low)) || any(greaterThan(mapped, high));
    return outside ? 1.0 : share;
}

struct Surface
{
    vec3 diffuseColor;
    vec3 f0;
    float alphaRoughness;
    vec3 normal;
    vec3 toEye;
};

// The glTF BRDF times pi and the cosine: what a light of radiance 1 from `toLight` gives.
vec3 reflected(Surface surface, vec3 toLight)
{
    float nDotL = clamp(dot(surface.normal, toLight), 0.0, 1.0);
    if (nDotL <= 0.0)
        return vec3(0.0);
    vec3 halfway = normalize(toLight + surface.toEye);
    float nDotV = clamp(abs(dot(surface.normal, surface.toEye)), 0.001, 1.0);
    float nDotH = clamp(dot(surface.normal, halfway), 0.0, 1.0);
    float vDotH = clamp(dot(surface.toEye, halfway), 0.0, 1.0);
    vec3 fresnel = surface.f0 + (1.0 - surface.f0) * pow(1.0 - vDotH, 5.0);
    float a2 = surface.alphaRoughness * surface.alphaRoughness;
    float ggxV = nDotL * sqrt(nDotV * nDotV * (1.0 - a2) + a2);
    float ggxL = nDotV * sqrt(nDotL * nDotL * (1.0 - a2) + a2);
    float visibility = ggxV + ggxL > 0.0 ? 0.5 / (ggxV + ggxL) : 0.0;
    float f = nDotH * nDotH * (a2 - 1.0) + 1.0;
    float distribution = a2 / (PI * f * f);
    vec3 diffuse = (1.0 - fresnel) * surface.diffuseColor / PI;
    vec3 specular = fresnel * visibility * distribution;
    return PI * (diffuse + specular) * nDotL;
}

vec3 shade(int light, sampler2D shadowMap, Surface surface)
{
    vec3 toLight = lightPlaces[light].xyz - worldPosition * lightPlaces[light].w;
    float squaredDistance = max(dot(toLight, toLight), 1e-8);
    float inverseDistance = inversesqrt(squaredDistance);
    float distance = squaredDistance * inverseDistance;
    toLight *= inverseDistance;
    vec2 cone = light == 0 ? cones.xy : cones.zw;
    float edge = clamp((dot(spotAxes[light].xyz, -toLight) - cone.x) * cone.y, 0.0, 1.0);
    float reach = edge * edge * (3.0 - 2.0 * edge);
    reach /= max(mix(1.0, lightArray[light].constAttenuation + (lightArray[light].linearAttenuation
                 + lightArray[light].quadraticAttenuation * distance) * distance, lightPlaces[light].w), 0.0001);
    vec4 mapPosition = spotAxes[light].w > 0.0 ? mapPositions[light] : vec4(0.0, 0.0, 0.0, 1.0);
    reach *= 1.0 - spotAxes[light].w * (1.0 - litShare(mapPosition, shadowMap));
    vec3 radiance = lightArray[light].color.rgb * lightArray[light].diffuseCoefficient * reach;
    return radiance * reflected(surface, toLight);
}

vec3 lighting(Surface surface, float occlusion)
{
    // Without an environment to reflect, a little light from everywhere keeps metals from going black.
    vec3 color = (ambient + ambientLight) * (surface.diffuseColor + surface.f0) * occlusion;
    vec3 further = furtherDirection * inversesqrt(max(dot(furtherDirection, furtherDirection), 1e-12));
    color += furtherDiffuse * reflected(surface, further);
    if (lightCount > 0)
        color += shade(0, shadowMaps[0], surface);
    if (lightCount > 1)
        color += shade(1, shadowMaps[1], surface);
    return color;
}

// The shading normal: the surface's own, turned by the normal picture where there is one. A back face
// seen from behind is lit from its own side.
vec3 shadingNormal()
{
    float side = gl_FrontFacing ? 1.0 : -1.0;
    vec3 normal = normalize(worldNormal) * side;
    if (normalScale == 0.0 || dot(worldTangent.xyz, worldTangent.xyz) < 1e-12)
        return normal;
    vec3 tangent = normalize(worldTangent.xyz) * side;
    vec3 bitangent = cross(normal, tangent) * worldTangent.w * side;
    vec3 mapped = texture(normalTexture, normalUv).xyz * 2.0 - 1.0;
    mapped.xy *= normalScale;
    vec3 turned = mat3(tangent, bitangent, normal) * mapped;
    return dot(turned, turned) > 1e-12 ? normalize(turned) : normal;
}

void main()
{
    vec4 base = baseColorFactor * vertexColor * texture(baseColorTexture, baseColorUv);
    if (alphaMode == 1 && base.a < alphaCutoff)
        discard;
    vec4 metalRough = texture(metallicRoughnessTexture, metallicRoughnessUv);
    float metallic = clamp(metallicFactor * metalRough.b, 0.0, 1.0);
    float roughness = clamp(roughnessFactor * metalRough.g, 0.04, 1.0);
    Surface surface;
    surface.diffuseColor = base.rgb * (1.0 - metallic);
    surface.f0 = mix(vec3(0.04), base.rgb, metallic);
    surface.alphaRoughness = roughness * roughness;
    surface.normal = shadingNormal();
    surface.toEye = normalize(camPos - worldPosition);
    // A material without occlusion or emission reads no picture for them.
    float occlusion = 1.0;
    if (occlusionStrength > 0.0)
        occlusion += occlusionStrength * (texture(occlusionTexture, occlusionUv).r - 1.0);
    vec3 emitted = any(greaterThan(emissiveFactor, vec3(0.0)))
        ? emissiveFactor * texture(emissiveTexture, emissiveUv).rgb
        : vec3(0.0);
    vec3 color = mix(lighting(surface, occlusion) + emitted, base.rgb, unlit);
    // A masked surface is opaque where it is not discarded.
    fragColor = vec4(encodeSrgb(color), alphaMode == 2 ? base.a : 1.0);
}
