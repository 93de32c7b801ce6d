#version 150

// The engine feeds a sampler named "texture", which hides the texture() function in GLSL 1.50.
uniform sampler2D texture;
uniform float opacity;

in vec2 texCoord;

out vec4 fragColor;

void main()
{
    vec4 color = texture2D(texture, texCoord);
    fragColor = vec4(color.rgb, color.a * opacity);
}
