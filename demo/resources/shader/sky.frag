#version 150

uniform sampler2D textures[1];

in vec2 uv;

out vec4 fragColor;

void main()
{
    fragColor = vec4(texture(textures[0], uv).rgb, 1.0);
}
