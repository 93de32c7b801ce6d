#pragma once

#include <string>
#include <vector>

// Procedural textures. Every one tiles seamlessly, since the scene repeats them over large surfaces.
namespace AssetGen
{

struct Colour
{
    double r = 0, g = 0, b = 0, a = 1;
};

Colour mix(const Colour& a, const Colour& b, double f);

// 8-bit pixels, rows from the top row down, `channels` (3 or 4) bytes each.
struct Picture
{
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<unsigned char> pixels;

    Picture(int width, int height, int channels);
    void set(int x, int y, const Colour& colour);
    double red(int x, int y) const;
};

// Fills a size x size picture from a function of (u, v) in [0, 1): u to the right, v downwards.
template <typename Shader>
Picture paint(int size, int channels, Shader shader)
{
    Picture picture(size, size, channels);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            picture.set(x, y, shader((x + 0.5) / size, (y + 0.5) / size));
    return picture;
}

Picture barkPicture(int size);
Picture pavingPicture(int size);
Picture fenPicture(int size);
Picture waterPicture(int size);
Picture woodPicture(int size);
Picture rockPicture(int size);

// The dusk sky on a dome, u round it from +x toward +y, v down from the zenith to `lowestDegrees`
// below the horizon: deep blue overhead, pale mist at the horizon, glowing on the sunset's side
// (`sunsetAzimuth` radians from +x).
Picture skyPicture(int size, double lowestDegrees, double sunsetAzimuth);
// The sky's colour at the horizon away from the sunset, which distant things fade into.
extern const Colour mistColour;

// The stone-and-mud ground of the walls: its colour and its height (white is high).
Picture groundColourPicture(int size);
Picture groundHeightPicture(int size);

// A tangent-space normal map of a height map, encoded n * 0.5 + 0.5 with +Z blue. Its green axis points
// up the picture, the direction in which the texture coordinate t grows. `relief` is the height of
// white above black in pixel widths.
Picture normalMapPicture(const Picture& height, double relief);

// Writes the picture with DevIL, JPEG or PNG by the file name's ending; false on failure.
bool savePicture(const Picture& picture, const std::string& path);

}
