#version 150
// Four shadow texels in one fetch where the driver offers it.
#ifdef GL_ARB_texture_gather
#extension GL_ARB_texture_gather : enable
#define GATHERS_TEXELS
#endif

// Normal-mapped walls with relief mapping: textures[0] diffuse, [1] tangent-space normals, [2] height;
// lit like the default shader.

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

uniform sampler2D textures[3];
uniform float specularCoefficient;
uniform vec3 camPos;
uniform float mistDensity;
uniform vec3 mistColour;
uniform int lightCount;
uniform Light lightArray[4];
uniform sampler2D shadowMaps[2];

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
in vec3 worldTangent;
in vec3 worldBitangent;
in vec4 mapPositions[2];
flat in vec4 spotAxes[2];
flat in vec4 cones;
in vec3 furtherDirection;
in vec3 furtherDiffuse;
in vec3 furtherColor;

out vec4 fragColor;

const float reliefDepth = 0.05;

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
    vec3 toLight = lightArray[light].position - worldPosition;
    float squaredDistance = max(dot(toLight, toLight), 1e-8);
    float inverseDistance = inversesqrt(squaredDistance);
    float distance = squaredDistance * inverseDistance;
    toLight *= inverseDistance;
    float facing = dot(normal, toLight);
    vec2 cone = light == 0 ? cones.xy : cones.zw;
    float edge = clamp((dot(spotAxes[light].xyz, -toLight) - cone.x) * cone.y, 0.0, 1.0);
    float reach = edge * edge * (3.0 - 2.0 * edge);
    reach /= max(lightArray[light].constAttenuation + (lightArray[light].linearAttenuation
                 + lightArray[light].quadraticAttenuation * distance) * distance, 0.0001);
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
    vec3 color = albedo * ambient + furtherLights(albedo, normal, toEye);
    if (lightCount > 0)
        color += shade(0, shadowMaps[0], albedo, normal, toEye);
    if (lightCount > 1)
        color += shade(1, shadowMaps[1], albedo, normal, toEye);
    return color;
}

// The eye's direction in the surface's frame. Texture rows run against t, so v turns over too.
vec3 eyeInSurface(mat3 frame)
{
    vec3 toEye = normalize(camPos - worldPosition) * frame;
    return vec3(toEye.x, -toEye.y, toEye.z);
}

// How far the eye ray is below the height field at this depth; negative while it is above. The level
// of detail comes from the texture call itself, even inside the search's loop: explicit levels or
// gradients cost a software rasteriser far more, and where neighbouring pixels leave the loop at
// different steps a GPU at worst samples the height a little blurred.
float belowSurface(vec2 across, float depth)
{
    return depth - (1.0 - texture(textures[2], uv + across * depth).r);
}

// Relief mapping: steps along the eye ray into the height field until it is below the surface, a
// binary search between the last two steps, and at last where a straight line between the two ends
// the search kept meets the surface.
vec2 surfacePoint(vec3 eye)
{
    const int linearSteps = 6;
    const int binarySteps = 2;
    vec2 across = -eye.xy / max(eye.z, 0.2) * reliefDepth;
    float above = 0.0;
    float aboveBy = 0.0;
    float below = 0.0;
    float belowBy = belowSurface(across, 0.0);
    for (int step = 1; step <= linearSteps && belowBy < 0.0; ++step)
    {
        above = below;
        aboveBy = -belowBy;
        below = float(step) / float(linearSteps);
        belowBy = belowSurface(across, below);
    }
    for (int step = 0; step < binarySteps; ++step)
    {
        float middle = (above + below) * 0.5;
        float middleBy = belowSurface(across, middle);
        if (middleBy < 0.0)
        {
            above = middle;
            aboveBy = -middleBy;
        }
        else
        {
            below = middle;
            belowBy = middleBy;
        }
    }
    return uv + across * mix(above, below, aboveBy / max(aboveBy + belowBy, 1e-6));
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
    mat3 frame = mat3(normalize(worldTangent), normalize(worldBitangent), normalize(worldNormal));
    vec2 at = surfacePoint(eyeInSurface(frame));
    vec4 albedo = texture(textures[0], at);
    vec3 bump = texture(textures[1], at).xyz * 2.0 - 1.0;
    fragColor = vec4(misted(lighting(albedo.rgb, normalize(frame * bump))), albedo.a);
}
