#pragma once

namespace Pellux
{

class Image;

// One OpenGL 2D texture, repeating, trilinear, with mipmaps. Making or resizing it leaves the
// bindings it finds as they are.
class Texture
{
public:
    explicit Texture(const Image& image);
    // Storage of this size, with RGBA pixels when given.
    Texture(int width, int height, const unsigned char* pixels = nullptr);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    unsigned int getId() const { return id; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    // New storage of this size without content.
    void resize(int width, int height);
    // Sampled from its full size only, as a render target's picture drawn one to one is.
    void dropMipmaps();

private:
    unsigned int id = 0;
    int width = 0;
    int height = 0;
    bool mipmapped = true;
};

}
