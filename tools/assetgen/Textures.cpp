#include "Textures.h"

#include "Noise.h"
#include "Vector.h"

#include <IL/il.h>

#include <algorithm>
#include <cmath>

namespace AssetGen
{

Colour mix(const Colour& a, const Colour& b, double f)
{
    return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f, a.a + (b.a - a.a) * f};
}

namespace
{
Colour scaled(const Colour& c, double f) { return {c.r * f, c.g * f, c.b * f, c.a}; }

unsigned char toByte(double value) { return static_cast<unsigned char>(std::lround(clamp01(value) * 255)); }

// The ground's stones: irregular cells whose borders wander a little.
struct GroundCell
{
    double edge;     // distance to the cell border, in cell widths
    double variety;  // per stone, in [0, 1)
    bool stone;      // some cells are mud only
};

GroundCell groundCell(double u, double v)
{
    double du = 0.02 * fractalNoise(u, v, 6, 6, 3, 501);
    double dv = 0.02 * fractalNoise(u, v, 6, 6, 3, 502);
    CellSample cell = periodicCells(u + du, v + dv, 9, 0.9, 503);
    // The mud between the stones is wider in some places than in others.
    double gap = 0.03 + 0.05 * smoothstep(-0.2, 0.6, fractalNoise(u, v, 4, 4, 3, 504));
    return {cell.second - cell.nearest - gap, (cell.cellId % 1000) / 1000.0, cell.cellId % 100 < 86};
}

double groundHeight(double u, double v)
{
    GroundCell cell = groundCell(u, v);
    double mud = 0.18 + 0.08 * fractalNoise(u, v, 8, 8, 4, 511);
    if (!cell.stone)
        return mud;
    double rise = clamp01(cell.edge / 0.3);
    double dome = 1 - (1 - rise) * (1 - rise);
    double stone = 0.45 + 0.45 * dome * (0.7 + 0.3 * cell.variety) + 0.06 * fractalNoise(u, v, 24, 24, 3, 512);
    return mud + (stone - mud) * smoothstep(0.0, 0.025, cell.edge);
}
}

Picture::Picture(int width, int height, int channels)
    : width(width), height(height), channels(channels), pixels(static_cast<std::size_t>(width * height * channels))
{
}

void Picture::set(int x, int y, const Colour& colour)
{
    unsigned char* pixel = &pixels[static_cast<std::size_t>((y * width + x) * channels)];
    pixel[0] = toByte(colour.r);
    pixel[1] = toByte(colour.g);
    pixel[2] = toByte(colour.b);
    if (channels == 4)
        pixel[3] = toByte(colour.a);
}

double Picture::red(int x, int y) const { return pixels[static_cast<std::size_t>((y * width + x) * channels)] / 255.0; }

// Dead, grey bark: plates split by meandering dark furrows, fibres along the trunk, lichen.
Picture barkPicture(int size)
{
    const Colour plate{0.42, 0.38, 0.33}, furrow{0.07, 0.06, 0.05}, lichen{0.52, 0.55, 0.45};
    return paint(size, 3, [&](double u, double v) {
        // Zero crossings of noise stretched along the trunk make the furrows.
        double lines = fractalNoise(u, v, 12, 1, 4, 101);
        double width = 0.03 + 0.05 * (0.5 + 0.5 * fractalNoise(u, v, 4, 4, 2, 102));
        double onPlate = smoothstep(width * 0.4, width, std::fabs(lines));
        double crack = 1 - smoothstep(0.0, 0.03, std::fabs(fractalNoise(u, v, 3, 12, 3, 103)));
        onPlate *= 1 - crack * smoothstep(0.1, 0.4, fractalNoise(u, v, 6, 6, 2, 107));
        double fibre = fractalNoise(u, v, 64, 4, 3, 104);
        Colour surface = scaled(plate, 0.85 + 0.2 * fibre + 0.2 * fractalNoise(u, v, 3, 3, 3, 105));
        double moss = smoothstep(0.25, 0.6, fractalNoise(u, v, 5, 5, 4, 106));
        surface = mix(surface, lichen, 0.6 * moss);
        // Plates curve down into the furrows, so their edges are darker.
        double rounding = smoothstep(width * 0.4, width * 3, std::fabs(lines));
        return mix(furrow, scaled(surface, 0.6 + 0.4 * rounding), onPlate);
    });
}

// Worn flagstones, dark joints with moss and dirt, a few hairline cracks.
Picture pavingPicture(int size)
{
    const Colour slab{0.47, 0.46, 0.45}, warm{0.50, 0.44, 0.37}, joint{0.10, 0.11, 0.07}, moss{0.18, 0.24, 0.11};
    return paint(size, 3, [&](double u, double v) {
        CellSample cell = periodicCells(u, v, 5, 0.55, 201);
        double edge = cell.second - cell.nearest;
        double variety = (cell.cellId % 1000) / 1000.0;
        Colour stone = mix(slab, warm, variety * 0.8);
        stone = scaled(stone, 0.78 + 0.22 * variety + 0.12 * fractalNoise(u, v, 16, 16, 4, 202));
        stone = scaled(stone, 0.8 + 0.2 * smoothstep(0.02, 0.2, edge));
        CellSample crackCell = periodicCells(u, v, 13, 0.9, 203);
        double crack = (1 - smoothstep(0.0, 0.025, crackCell.second - crackCell.nearest)) *
                       smoothstep(0.3, 0.6, fractalNoise(u, v, 4, 4, 2, 204));
        stone = scaled(stone, 1 - 0.55 * crack);
        double mossy = smoothstep(-0.1, 0.5, fractalNoise(u, v, 6, 6, 4, 205));
        Colour gap = mix(joint, moss, mossy);
        stone = mix(stone, moss, 0.35 * mossy * (1 - smoothstep(0.02, 0.12, edge)));
        return mix(gap, stone, smoothstep(0.018, 0.045, edge));
    });
}

// The fen: tufts of dried grass and moss, dark wet mud in patches.
Picture fenPicture(int size)
{
    const Colour straw{0.36, 0.33, 0.22}, moss{0.21, 0.24, 0.15}, mud{0.18, 0.15, 0.11}, wet{0.09, 0.09, 0.08};
    return paint(size, 3, [&](double u, double v) {
        double patches = fractalNoise(u, v, 5, 5, 6, 301);
        double tufts = 0.5 + 0.5 * fractalNoise(u, v, 40, 40, 3, 302);
        Colour ground = mix(mud, wet, smoothstep(0.0, 0.45, fractalNoise(u, v, 6, 6, 4, 304)));
        ground = scaled(ground, 0.85 + 0.3 * fractalNoise(u, v, 96, 96, 2, 306));
        Colour growth = mix(moss, straw, smoothstep(-0.3, 0.4, fractalNoise(u, v, 10, 10, 3, 305)));
        growth = scaled(growth, 0.7 + 0.45 * tufts + 0.15 * fractalNoise(u, v, 128, 128, 1, 303));
        return mix(ground, growth, 0.25 + 0.75 * smoothstep(-0.3, 0.2, patches));
    });
}

// Dark peat water with ripple lines; the alpha makes the surface translucent.
Picture waterPicture(int size)
{
    const Colour deep{0.05, 0.10, 0.10, 0.6}, shallow{0.11, 0.17, 0.16, 0.62}, crest{0.40, 0.46, 0.44, 0.72};
    return paint(size, 4, [&](double u, double v) {
        Colour water = mix(deep, shallow, 0.5 + 0.5 * fractalNoise(u, v, 3, 3, 3, 401));
        double ripple = 1 - std::fabs(fractalNoise(u, v, 6, 9, 4, 402));
        return mix(water, crest, 0.35 * smoothstep(0.88, 0.98, ripple));
    });
}

// Weathered field stone: grey with darker veins and pale lichen.
Picture rockPicture(int size)
{
    const Colour stone{0.46, 0.45, 0.42}, vein{0.20, 0.19, 0.18}, lichen{0.60, 0.61, 0.50}, moss{0.20, 0.25, 0.12};
    return paint(size, 3, [&](double u, double v) {
        Colour surface = scaled(stone, 0.8 + 0.2 * fractalNoise(u, v, 4, 4, 5, 701) + 0.1 * fractalNoise(u, v, 64, 64, 2, 702));
        double veins = 1 - smoothstep(0.0, 0.04, std::fabs(fractalNoise(u, v, 3, 3, 4, 703)));
        surface = mix(surface, vein, 0.7 * veins);
        surface = mix(surface, lichen, 0.6 * smoothstep(0.35, 0.6, fractalNoise(u, v, 8, 8, 4, 704)));
        return mix(surface, moss, 0.5 * smoothstep(0.3, 0.6, fractalNoise(u, v, 5, 5, 3, 705)));
    });
}

const Colour mistColour{0.42, 0.38, 0.41};

Picture skyPicture(int size, double lowestDegrees, double sunsetAzimuth)
{
    const Colour low{0.26, 0.25, 0.34}, high{0.09, 0.10, 0.20}, zenith{0.05, 0.06, 0.13}, glow{0.80, 0.52, 0.33};
    return paint(size, 3, [&](double u, double v) {
        double elevation = 90 - v * (90 - lowestDegrees);
        Colour sky = mix(mistColour, low, smoothstep(0, 12, elevation));
        sky = mix(sky, high, smoothstep(12, 40, elevation));
        sky = mix(sky, zenith, smoothstep(40, 90, elevation));
        double towardSunset = 0.5 + 0.5 * std::cos(2 * pi * u - sunsetAzimuth);
        double afterglow = towardSunset * towardSunset * towardSunset * smoothstep(-6, 0, elevation) * (1 - smoothstep(-2, 22, elevation));
        return mix(sky, glow, 0.7 * afterglow);
    });
}

// Weathered planks of an old punt.
Picture woodPicture(int size)
{
    const Colour timber{0.40, 0.33, 0.25}, grey{0.42, 0.41, 0.38}, gap{0.06, 0.05, 0.04};
    return paint(size, 3, [&](double u, double v) {
        const int planks = 4;
        double across = v * planks;
        double plank = std::floor(across), within = across - plank;
        double grain = 0.5 + 0.5 * std::sin((within * 9 + 2.2 * fractalNoise(u, v, 3, planks, 4, 601)) * 2 * pi);
        double variety = hashUnit(static_cast<int>(plank), 0, 602);
        Colour wood = mix(timber, grey, 0.4 + 0.4 * variety);
        wood = scaled(wood, 0.75 + 0.25 * grain + 0.1 * fractalNoise(u, v, 32, 8, 2, 603));
        double seam = smoothstep(0.0, 0.04, within) * smoothstep(1.0, 0.96, within);
        return mix(gap, wood, seam);
    });
}

Picture groundColourPicture(int size)
{
    const Colour grey{0.52, 0.50, 0.47}, ochre{0.55, 0.46, 0.35}, dark{0.34, 0.33, 0.32};
    const Colour mud{0.26, 0.20, 0.14}, wetMud{0.13, 0.10, 0.07}, moss{0.22, 0.27, 0.13}, lichen{0.62, 0.62, 0.52};
    return paint(size, 3, [&](double u, double v) {
        GroundCell cell = groundCell(u, v);
        Colour soil = mix(mud, wetMud, smoothstep(-0.1, 0.4, fractalNoise(u, v, 8, 8, 4, 521)));
        soil = mix(soil, moss, 0.45 * smoothstep(0.15, 0.55, fractalNoise(u, v, 5, 5, 3, 522)));
        soil = scaled(soil, 0.8 + 0.4 * fractalNoise(u, v, 64, 64, 2, 523));
        if (!cell.stone)
            return soil;
        Colour stone = cell.variety < 0.5 ? mix(grey, ochre, cell.variety * 2) : mix(grey, dark, cell.variety * 2 - 1);
        double speckle = fractalNoise(u, v, 128, 128, 2, 524);
        stone = scaled(stone, 0.82 + 0.2 * fractalNoise(u, v, 16, 16, 3, 525) + 0.14 * speckle);
        stone = mix(stone, lichen, 0.5 * smoothstep(0.45, 0.7, fractalNoise(u, v, 12, 12, 3, 526)));
        // Stones darken where they dip into the mud.
        stone = scaled(stone, 0.6 + 0.4 * smoothstep(0.0, 0.2, cell.edge));
        return mix(soil, stone, smoothstep(0.0, 0.02, cell.edge));
    });
}

Picture groundHeightPicture(int size)
{
    return paint(size, 3, [](double u, double v) {
        double h = groundHeight(u, v);
        return Colour{h, h, h};
    });
}

Picture normalMapPicture(const Picture& height, double relief)
{
    Picture normals(height.width, height.height, 3);
    auto at = [&](int x, int y) {
        return height.red((x + height.width) % height.width, (y + height.height) % height.height);
    };
    for (int y = 0; y < height.height; ++y)
        for (int x = 0; x < height.width; ++x)
        {
            double rightward = (at(x + 1, y) - at(x - 1, y)) * 0.5 * relief;
            double downward = (at(x, y + 1) - at(x, y - 1)) * 0.5 * relief;
            // Rows run down the picture while t grows upwards, so the downward slope enters with + sign.
            Vec3 n = Vec3(-rightward, downward, 1).normalized();
            normals.set(x, y, {n.x * 0.5 + 0.5, n.y * 0.5 + 0.5, n.z * 0.5 + 0.5});
        }
    return normals;
}

bool savePicture(const Picture& picture, const std::string& path)
{
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    std::vector<unsigned char> pixels = picture.pixels;
    bool saved = ilTexImage(static_cast<ILuint>(picture.width), static_cast<ILuint>(picture.height), 1,
                            static_cast<ILubyte>(picture.channels), picture.channels == 4 ? IL_RGBA : IL_RGB,
                            IL_UNSIGNED_BYTE, pixels.data());
    // Our first row is the top one; DevIL takes new images as bottom-up unless told.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ilEnable(IL_FILE_OVERWRITE);
    ilSetInteger(IL_JPG_QUALITY, 92);
    saved = saved && ilSaveImage(path.c_str());
    ilDeleteImages(1, &image);
    return saved;
}

}
