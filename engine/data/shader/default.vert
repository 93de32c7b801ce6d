#version 150

// The engine feeds the names declared at the start of a line.
uniform mat4 world;
uniform mat4 view;
uniform mat4 proj;

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

uniform Light lightArray[4];
uniform int lightCount;

in vec3 position;
in vec3 normal;
// The surface's frame for normal pictures; zero for a mesh without one.
in vec3 tangent;
in vec3 bitangent;
in vec2 texCoord_0;
in vec2 texCoord_1;
// The texture-coordinate set the textures read, 0 or 1; a material's own value.
uniform int texCoordSet;
// The vertex's colour, which tints the surface; white for a mesh without colours.
in vec4 color;

// Skinning: a skinned mesh's vertices bend with up to four of its joints, whose matrices are four
// texels each, row by row. jointCount is 0 for a mesh without a skin, which stands as it is.
uniform samplerBuffer jointTexture;
uniform int jointCount;
in vec4 jointIndices;
in vec4 jointWeights;

// Morphing: for each vertex and each of the mesh's targets, three texels of offsets (position, normal
// and tangent); the draw shows morphCount of the targets, each with its weight.
uniform samplerBuffer morphOffsets;
uniform int morphTargetCount;
uniform int morphCount;
uniform int morphIndices[8];
uniform float morphWeights[8];

out vec3 worldPosition;
out vec3 worldNormal;
// The tangent, with in w the side the bitangent takes of cross(normal, tangent).
out vec4 worldTangent;
out vec2 uv;
// Metallic-roughness materials read each picture with a texture-coordinate set (0 or 1) and a
// transform of its own: the coordinates are worked out here, once for each vertex.
uniform int baseColorTextureSet;
uniform mat3 baseColorTextureTransform;
uniform int metallicRoughnessTextureSet;
uniform mat3 metallicRoughnessTextureTransform;
uniform int normalTextureSet;
uniform mat3 normalTextureTransform;
uniform int occlusionTextureSet;
uniform mat3 occlusionTextureTransform;
uniform int emissiveTextureSet;
uniform mat3 emissiveTextureTransform;
out vec2 baseColorUv;
out vec2 metallicRoughnessUv;
out vec2 normalUv;
out vec2 occlusionUv;
out vec2 emissiveUv;
out vec4 vertexColor;
// Where the point lies in the shadow maps of the two lights lit per pixel.
out vec4 mapPositions[2];
// What the fragments need of those lights, worked out here once rather than for every fragment: each
// cone's axis with the shadow's weight in w, and per light (x, y and z, w) the cosine where the cone's
// soft edge starts and one over the edge's width.
flat out vec4 spotAxes[2];
flat out vec4 cones;
// Where each of those lights shines from: its position with w 1, or for a directional light the
// direction towards it with w 0.
flat out vec4 lightPlaces[2];
// The further lights, without shadows, worked out here and lit on each pixel's normal.
out vec3 furtherDirection;
out vec3 furtherDiffuse;
out vec3 furtherColor;

const int spotLight = 0;
const int directionalLight = 1;
const int pixelLights = 2;
const float shadowMapSize = 1024.0;
// Keeps a lit surface from shadowing itself.
const float depthBias = 0.0005;

// The point in a light's clip space with the shadow map's mapping folded in (still linear, so it
// interpolates as the clip position would): divided by w, x and y give the texel position less half
// a texel and z the depth to compare, less the bias.
vec4 shadowMapPosition(int light, vec4 placed)
{
    vec4 clip = vec4(dot(lightArray[light].vecViewProj_0, placed), dot(lightArray[light].vecViewProj_1, placed),
                     dot(lightArray[light].vecViewProj_2, placed), dot(lightArray[light].vecViewProj_3, placed));
    return vec4((clip.xy * 0.5 + 0.5 * clip.w) * shadowMapSize - 0.5 * clip.w, clip.z * 0.5 + (0.5 - depthBias) * clip.w,
                clip.w);
}

// The cosine where a light's cone starts to reach and one over the width of its soft edge, between
// falloff and hotspot. A point light reaches every direction: its edge starts below any cosine.
vec2 cone(int light)
{
    if (lightArray[light].type != spotLight)
        return vec2(-2.0, 1.0);
    float outer = cos(lightArray[light].falloffAngle * 0.5);
    float inner = max(cos(lightArray[light].hotspotAngle * 0.5), outer + 0.0001);
    return vec2(outer, 1.0 / (inner - outer));
}

// The direction a spot light shines in; none for a point light, whose direction means nothing.
vec3 spotAxis(int light)
{
    return lightArray[light].type == spotLight ? normalize(lightArray[light].direction) : vec3(0.0);
}

// A light's position with w 1; for a directional light, which has no position, the direction
// towards it with w 0, so that place.xyz - point * place.w points to the light either way.
vec4 lightPlace(int light)
{
    vec3 direction = lightArray[light].direction;
    vec3 towards = -direction * inversesqrt(max(dot(direction, direction), 1e-12));
    return lightArray[light].type == directionalLight ? vec4(towards, 0.0) : vec4(lightArray[light].position, 1.0);
}

// The further lights together, to be lit on each pixel's own normal: the direction they come from,
// weighted by how brightly each arrives, and their light on the surface's colour and for highlights.
void addFurtherLight(int light, vec3 position)
{
    vec4 place = lightPlace(light);
    vec3 toLight = place.xyz - position * place.w;
    float distance = length(toLight);
    toLight /= max(distance, 0.0001);
    vec2 edges = cone(light);
    float edge = clamp((dot(spotAxis(light), -toLight) - edges.x) * edges.y, 0.0, 1.0);
    float reach = edge * edge * (3.0 - 2.0 * edge);
    // A directional light comes from far away: nothing of it is lost on the way.
    reach /= max(mix(1.0, lightArray[light].constAttenuation + (lightArray[light].linearAttenuation
                 + lightArray[light].quadraticAttenuation * distance) * distance, place.w), 0.0001);
    vec3 color = lightArray[light].color.rgb * reach;
    furtherDirection += toLight * dot(color, vec3(0.3, 0.59, 0.11));
    furtherDiffuse += color * lightArray[light].diffuseCoefficient;
    furtherColor += color;
}

void passLights(vec4 placed)
{
    for (int light = 0; light < pixelLights; ++light)
    {
        mapPositions[light] = shadowMapPosition(light, placed);
        float shadowWeight = lightArray[light].shadowType == 1 ? lightArray[light].shadowDensity : 0.0;
        spotAxes[light] = vec4(spotAxis(light), shadowWeight);
        lightPlaces[light] = lightPlace(light);
    }
    cones = vec4(cone(0), cone(1));
    furtherDirection = vec3(0.0);
    furtherDiffuse = vec3(0.0);
    furtherColor = vec3(0.0);
    for (int light = pixelLights; light < 4; ++light)
        if (light < lightCount)
            addFurtherLight(light, placed.xyz);
}

mat4 jointMatrix(float joint)
{
    int first = int(joint) * 4;
    return transpose(mat4(texelFetch(jointTexture, first), texelFetch(jointTexture, first + 1),
                          texelFetch(jointTexture, first + 2), texelFetch(jointTexture, first + 3)));
}

// The vertex's place in its mesh node's space: where its joints hold it. What its weights leave
// to 1 keeps it where it was bound.
mat4 skinning()
{
    if (jointCount == 0)
        return mat4(1.0);
    return (1.0 - dot(jointWeights, vec4(1.0))) * mat4(1.0)
         + jointWeights.x * jointMatrix(jointIndices.x) + jointWeights.y * jointMatrix(jointIndices.y)
         + jointWeights.z * jointMatrix(jointIndices.z) + jointWeights.w * jointMatrix(jointIndices.w);
}

void morph(inout vec3 morphedPosition, inout vec3 morphedNormal, inout vec3 morphedTangent)
{
    for (int shown = 0; shown < morphCount && shown < 8; ++shown)
    {
        int first = (gl_VertexID * morphTargetCount + morphIndices[shown]) * 3;
        float weight = morphWeights[shown];
        morphedPosition += weight * texelFetch(morphOffsets, first).xyz;
        morphedNormal += weight * texelFetch(morphOffsets, first + 1).xyz;
        morphedTangent += weight * texelFetch(morphOffsets, first + 2).xyz;
    }
}

vec2 pictureUv(int set, mat3 transform)
{
    return (transform * vec3(set == 1 ? texCoord_1 : texCoord_0, 1.0)).xy;
}

void main()
{
    vec3 morphedPosition = position;
    vec3 morphedNormal = normal;
    vec3 morphedTangent = tangent;
    // Which way the bitangent turns from the normal and the tangent.
    float handedness = dot(cross(normal, tangent), bitangent) < 0.0 ? -1.0 : 1.0;
    morph(morphedPosition, morphedNormal, morphedTangent);
    mat4 placing = world * skinning();
    vec4 placed = placing * vec4(morphedPosition, 1.0);
    worldPosition = placed.xyz;
    worldNormal = transpose(inverse(mat3(placing))) * morphedNormal;
    worldTangent = vec4(mat3(placing) * morphedTangent, handedness);
    uv = texCoordSet == 1 ? texCoord_1 : texCoord_0;
    baseColorUv = pictureUv(baseColorTextureSet, baseColorTextureTransform);
    metallicRoughnessUv = pictureUv(metallicRoughnessTextureSet, metallicRoughnessTextureTransform);
    normalUv = pictureUv(normalTextureSet, normalTextureTransform);
    occlusionUv = pictureUv(occlusionTextureSet, occlusionTextureTransform);
    emissiveUv = pictureUv(emissiveTextureSet, emissiveTextureTransform);
    vertexColor = color;
    passLights(placed);
    gl_Position = proj * view * placed;
}
