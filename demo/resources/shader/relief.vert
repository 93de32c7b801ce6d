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
// Where the point lies in each light's clip space, for its shadow map.
out vec4 lightClip[4];

void main()
{
    vec4 placed = world * vec4(position, 1.0);
    worldPosition = placed.xyz;
    worldNormal = transpose(inverse(mat3(world))) * normal;
    worldTangent = mat3(world) * tangent;
    worldBitangent = mat3(world) * bitangent;
    uv = texCoord_0;
    for (int light = 0; light < 4; ++light)
        lightClip[light] = vec4(dot(lightArray[light].vecViewProj_0, placed), dot(lightArray[light].vecViewProj_1, placed),
                                dot(lightArray[light].vecViewProj_2, placed), dot(lightArray[light].vecViewProj_3, placed));
    gl_Position = proj * view * placed;
}
