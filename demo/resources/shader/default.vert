#version 150

// The engine feeds the names declared at the start of a line.
uniform mat4 world;
uniform mat4 view;
uniform mat4 proj;

in vec3 position;
in vec3 normal;
in vec2 texCoord_0;

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 uv;

void main()
{
    vec4 placed = world * vec4(position, 1.0);
    worldPosition = placed.xyz;
    worldNormal = transpose(inverse(mat3(world))) * normal;
    uv = texCoord_0;
    gl_Position = proj * view * placed;
}
