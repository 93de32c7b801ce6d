#version 150

// Positions, and the surface frame (normal, tangent, bitangent) in world space for normal maps.
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

in vec3 position;
in vec3 normal;
in vec3 tangent;
in vec3 bitangent;
in vec2 texCoord_0;

out vec3 worldPosition;
out vec3 worldNormal;
out vec3 worldTangent;
out vec3 worldBitangent;
out vec2 uv;
// Where the point lies in each light's shadow map.
out vec4 mapPositions[4];
// What the fragments need of each light's cone and shadow, worked out here once rather than for
// every fragment: the cone's axis with the shadow's weight in w, and per light (x to w) the cosine
// where the cone's soft edge starts and one over the edge's width.
flat out vec4 spotAxes[4];
flat out vec4 coneStarts;
flat out vec4 coneScales;

const int spotLight = 0;
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

void passLights(vec4 placed)
{
    for (int light = 0; light < 4; ++light)
    {
        mapPositions[light] = shadowMapPosition(light, placed);
        float shadowWeight = lightArray[light].shadowType == 1 ? lightArray[light].shadowDensity : 0.0;
        spotAxes[light] = vec4(normalize(lightArray[light].direction), shadowWeight);
        float outer = cos(lightArray[light].falloffAngle * 0.5);
        float inner = max(cos(lightArray[light].hotspotAngle * 0.5), outer + 0.0001);
        // A point light reaches every direction: its edge starts below any cosine.
        bool spot = lightArray[light].type == spotLight;
        coneStarts[light] = spot ? outer : -2.0;
        coneScales[light] = spot ? 1.0 / (inner - outer) : 1.0;
    }
}

void main()
{
    vec4 placed = world * vec4(position, 1.0);
    worldPosition = placed.xyz;
    worldNormal = transpose(inverse(mat3(world))) * normal;
    worldTangent = mat3(world) * tangent;
    worldBitangent = mat3(world) * bitangent;
    uv = texCoord_0;
    passLights(placed);
    gl_Position = proj * view * placed;
}
