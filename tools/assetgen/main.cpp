// pellux-assetgen [OUTPUT_DIR]: writes the demo's scene, textures and sound into OUTPUT_DIR (by default
// the demo's resources directory). The same program writes the same bytes on every run.
#include "Ambience.h"
#include "Courtyard.h"
#include "Plan.h"
#include "Textures.h"

#include <IL/il.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

using namespace AssetGen;

namespace
{
const int soundRate = 48000;

struct TextureFile
{
    const char* name;
    std::function<Picture()> make;
};

bool writeTextures(const std::filesystem::path& directory)
{
    const int detailed = 1024, plain = 512;
    // Seen from the sky dome's centre.
    const double sunsetAzimuth = std::atan2(sunsetPlace.y - skyCentre.y, sunsetPlace.x - skyCentre.x);
    Picture groundHeight = groundHeightPicture(detailed);
    const TextureFile textures[] = {
        {"ground015.jpg", [] { return groundColourPicture(detailed); }},
        {"ground015b.jpg", [&] { return groundHeight; }},
        // White stands this many pixels above black: about five centimetres at two metres a repeat.
        {"ground015n.jpg", [&] { return normalMapPicture(groundHeight, 24); }},
        {"stone.jpg", [] { return pavingPicture(detailed); }},
        {"fen.jpg", [] { return fenPicture(detailed); }},
        {"bark.jpg", [] { return barkPicture(plain); }},
        {"rock.jpg", [] { return rockPicture(plain); }},
        {"water.png", [] { return waterPicture(plain); }},
        {"wood.jpg", [] { return woodPicture(plain); }},
        {"sky.png", [&] { return skyPicture(plain, skyLowestDegrees, sunsetAzimuth); }},
    };
    for (const TextureFile& texture : textures)
    {
        std::filesystem::path path = directory / texture.name;
        if (!savePicture(texture.make(), path.string()))
        {
            std::cerr << "pellux-assetgen: cannot write " << path << std::endl;
            return false;
        }
        std::cout << "wrote " << path.string() << std::endl;
    }
    return true;
}

bool writeScene(const std::filesystem::path& path)
{
    Document document = mirrowfen();
    std::ofstream out(path, std::ios::binary);
    out << colladaText(document);
    if (!out.flush())
    {
        std::cerr << "pellux-assetgen: cannot write " << path << std::endl;
        return false;
    }
    std::size_t triangles = 0;
    for (const Geometry& geometry : document.geometries)
        triangles += geometry.triangleCount();
    std::cout << "wrote " << path.string() << " (" << triangles << " triangles)" << std::endl;
    return true;
}

bool writeSound(const std::filesystem::path& path)
{
    std::string error;
    if (!saveMp3(mysteriousAmbience(soundRate, showLength), soundRate, path.string(), error))
    {
        std::cerr << "pellux-assetgen: cannot write " << path << ": " << error << std::endl;
        return false;
    }
    std::cout << "wrote " << path.string() << std::endl;
    return true;
}
}

int main(int argc, char** argv)
{
    if (argc > 2)
    {
        std::cerr << "usage: pellux-assetgen [OUTPUT_DIR]" << std::endl;
        return 2;
    }
    std::filesystem::path output = argc == 2 ? argv[1] : ASSETGEN_DEFAULT_OUTPUT;
    for (const char* sub : {"scenes", "textures", "audio"})
        std::filesystem::create_directories(output / sub);
    ilInit();
    bool written = writeTextures(output / "textures") && writeScene(output / "scenes" / "Mirrowfen_latest.DAE") &&
                   writeSound(output / "audio" / "mysteriousTickingNoise.mp3");
    return written ? 0 : 1;
}
