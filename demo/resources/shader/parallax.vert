#version 150

// Positions, and the surface frame (normal, tangent, bitangent) in world space for normal maps.
uniform mat4 world;
uniform mat4 view;
uniform mat4 proj;

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

void main()
{
    vec4 placed = world * vec4(position, 1.0);
    worldPosition = placed.xyz;
    worldNormal = transpose(inverse(mat3(world))) * normal;
    worldTangent = mat3(world) * tangent;
    worldBitangent = mat3(world) * bitangent;
    uv = texCoord_0;
    gl_Position = proj * view * placed;
}
