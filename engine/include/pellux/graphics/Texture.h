#pragma once

#include <tuple>

namespace Pellux
{

class Image;

// How a texture is sampled: OpenGL's wrap modes and filters by their numbers (as glTF writes them
// too). Repeating and trilinear unless said otherwise.
struct TextureSampling
{
    int wrapS = 0x2901;
    int wrapT = 0x2901;
    int magFilter = 0x2601;
    int minFilter = 0x2703;
    // The picture's colours are sRGB-encoded and read as linear values (OpenGL decodes them, before
    // filtering); otherwise they are read as stored.
    bool srgb = false;

    bool operator<(const TextureSampling& other) const
    {
        return std::tie(wrapS, wrapT, magFilter, minFilter, srgb) <
               std::tie(other.wrapS, other.wrapT, other.magFilter, other.minFilter, other.srgb);
    }
    bool operator==(const TextureSampling& other) const { return !(*this < other) && !(other < *this); }
};

// One OpenGL 2D texture with mipmaps, sampled as it is told (repeating and trilinear unless told). Making or resizing it leaves the
// bindings it finds as they are.
class Texture
{
public:
    explicit Texture(const Image& image, const TextureSampling& sampling = TextureSampling());
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
    Texture(int width, int height, const unsigned char* pixels, bool srgb);

    unsigned int id = 0;
    int width = 0;
    int height = 0;
    bool mipmapped = true;
};

}
