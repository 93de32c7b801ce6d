#pragma once

#include "Meshes.h"
#include "Textures.h"
#include "Vector.h"

#include <map>
#include <string>
#include <vector>

// A scene as a modelling tool's COLLADA 1.4.1 exporter writes it, Z up.
namespace AssetGen
{

struct ImageFile
{
    std::string id;
    std::string file;  // below the demo's resources, e.g. "textures/bark.jpg"
};

// How the engine lights an effect: with highlights, without them (matte), or not at all (the
// picture as it is, for the sky).
enum class Shading
{
    Phong,
    Lambert,
    Constant
};

struct Effect
{
    std::string id;
    std::string diffuseImage;  // an image id, or empty for a plain colour; the emission of a Constant
    Colour diffuseColour;
    double shininess = 10;
    // The engine's relief set-up: image ids of the normal and height maps beside the diffuse one.
    std::string normalImage;
    std::string heightImage;
    Shading shading = Shading::Phong;
};

struct Material
{
    std::string id;
    std::string effect;
};

struct Light
{
    std::string id;
    bool spot = false;
    Colour colour;
    double multiplier = 1;
    double constant = 1, linear = 0, quadratic = 0;
    double falloffDegrees = 0, hotspotDegrees = 0;  // full cone angles, spot lights only
    int shadowType = 0;
    double shadowDensity = 1;
};

struct Camera
{
    std::string id;
    double fovDegrees = 45;  // the engine takes it as the vertical angle
    double aspect = 16.0 / 9;
    double znear = 0.1, zfar = 100;
};

struct Node
{
    std::string name;  // the id is "node-" + name
    Mat4 matrix;
    std::string geometry;                       // geometry name, or empty
    std::map<std::string, std::string> bind;    // material symbol -> material id
    std::string light;                          // light id, or empty
    std::string camera;                         // camera id, or empty
    std::vector<Node> children;
};

// Baked keys of a node's whole matrix, one every 1/keysPerSecond seconds from time 0.
struct Animation
{
    std::string node;  // node name
    std::vector<Mat4> keys;
};

struct Document
{
    std::vector<ImageFile> images;
    std::vector<Effect> effects;
    std::vector<Material> materials;
    std::vector<Geometry> geometries;
    std::vector<Light> lights;
    std::vector<Camera> cameras;
    std::vector<Node> nodes;
    std::vector<Animation> animations;
    double keysPerSecond = 30;
};

std::string colladaText(const Document& document);

}
