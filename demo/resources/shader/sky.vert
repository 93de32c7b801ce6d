#version 150
// The show's sky: a dome round the scene showing its picture as it is, without light or mist.

uniform mat4 world;
uniform mat4 view;
uniform mat4 proj;

in vec3 position;
in vec2 texCoord_0;

out vec2 uv;

void main()
{
    uv = texCoord_0;
    gl_Position = proj * view * world * vec4(position, 1.0);
}
