#version 150

in vec3 vertex;
in vec2 inTexCoord;

out vec2 texCoord;

void main()
{
    texCoord = inTexCoord;
    gl_Position = vec4(vertex, 1.0);
}
