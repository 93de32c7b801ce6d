#pragma once

namespace Pellux
{

class Image;

// One OpenGL 2D texture, repeating, trilinear, with mipmaps. Left bound after construction.
class Texture
{
public:
    explicit Texture(const Image& image);
    // Storage of this size without content.
    Texture(int width, int height);

    unsigned int getId() const { return id; }
    // New storage of this size without content; the texture is left bound.
    void resize(int width, int height);

private:
    void upload(int width, int height, const unsigned char* pixels);

    unsigned int id = 0;
};

}
