#pragma once

#include "pellux/resources/VertexLayout.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Pellux::Collada
{

// What a COLLADA document holds, as the reading found it: plain data, made without OpenGL, the
// engine's managers or the working directory, and built into a scene afterwards. Each part keeps
// the problems the reading found in it, worded as the log gives them, so that they are reported
// when that part is built.
using Problems = std::vector<std::string>;

// "COLLADA <kind> '<id>': <text>", the form of every problem the importer reports.
std::string problem(const std::string& kind, const std::string& id, const std::string& text);

struct Image
{
    std::string id;
    std::string name;
    // The file the image comes from, as the document writes it; none without "init_from".
    bool hasPath = false;
    std::string path;
    // The same as a file path: a "file:" URI's scheme taken off (and the slash before a drive
    // letter), percent-escapes decoded and backslashes turned into slashes.
    std::string filePath;
};

struct Effect
{
    // The common technique the default shaders draw it with: "phong" or "blinn" (lit, with
    // highlights), "lambert" (lit, without) or "constant" (its colour as it is, unlit).
    enum class Technique
    {
        None,
        Phong,
        Lambert,
        Constant
    };

    std::string id;
    Technique technique = Technique::None;
    // The id of its diffuse image ("constant": its emission image); empty when it has none. Its
    // texture coordinates: the semantic an instance's "bind_vertex_input" gives a set for.
    std::string diffuseImage;
    std::string diffuseTexCoord;
    // The diffuse ("constant": emission) colour, when it gives one in place of a texture.
    bool hasColor = false;
    float color[4] = {1, 1, 1, 1};
    // How much of the surface covers what lies behind it, from "transparent" and "transparency" by
    // the formulas of COLLADA 1.4.1 (1: all of it); and whether "transparent" takes the alpha of a
    // texture, which varies over the surface.
    float opacity = 1;
    bool textureTransparency = false;
    // The engine's own "parallax" technique: the image ids of its diffuse, normal and height maps.
    bool parallax = false;
    std::string parallaxMaps[3];
    Problems problems;
};

struct Material
{
    std::string id;
    // The id of the effect it instances.
    std::string effect;
};

// A vertex attribute of a primitive: `components` floats for each vertex, for the sub-mesh array of
// its semantic and set.
struct VertexArray
{
    std::vector<float> values;
    int components = 0;
    VertexSemantic semantic = VertexSemantic::Position;
    int set = 0;
};

// The position index of a vertex whose "VERTEX" index lies outside the position source, or that
// has none: past the end of every per-position array.
const unsigned int noPosition = ~0u;

// One primitive element of a geometry, every index tuple a vertex of its own.
struct Primitive
{
    // Triangles (from "triangles", "polylist" and "polygons"), or lines (from "lines" and
    // "linestrips"), each two vertices one line.
    enum class Kind
    {
        Triangles,
        Lines
    };

    Kind kind = Kind::Triangles;
    // The material symbol it is drawn with.
    std::string material;
    std::size_t vertexCount = 0;
    // By the name of the sub-mesh array they fill (vertexAttributeName): "position", "normal",
    // "texCoord_0", "texCoord_1", ..., "tangents", "bitangents", "color".
    std::map<std::string, VertexArray> arrays;
    // The document's "set" number of each texture-coordinate array: texCoord_k holds set
    // texCoordSets[k].
    std::vector<int> texCoordSets;
    // For each vertex, the index into the position source its "VERTEX" input gave it, so that data
    // kept per position (skin weights, smooth normals) can be found for it; noPosition when there is
    // none.
    std::vector<unsigned int> positionIndices;
};

struct Geometry
{
    std::string id;
    // Another geometry of the document has the same id.
    bool repeatsAnId = false;
    std::vector<Primitive> primitives;
    Problems problems;
};

// A number of a light, with whether the document gives it and whether it is a number there.
struct LightValue
{
    float value = 0;
    bool given = false;
    bool isNumber = false;
};

struct Light
{
    enum class Kind
    {
        Spot,
        Point,
        // Parallel light along the node's -Z axis.
        Directional,
        // Light from everywhere, added to the whole scene.
        Ambient,
        Other
    };

    std::string id;
    Kind kind = Kind::Other;
    // Its "color" read as numbers; fewer than three, or words that are not numbers, are no colour.
    bool hasColor = false;
    float color[3] = {1, 1, 1};
    LightValue constantAttenuation, linearAttenuation, quadraticAttenuation, shadowType;
    // From the engine's "extra" light technique.
    LightValue multiplier, falloff, hotspotBeam, shadowDensity;
};

struct Camera
{
    std::string id;
    float fieldOfView = 0;
    float near = 0;
    float far = 0;
    Problems problems;
};

// A "matrix", "translate", "rotate" or "scale" element of a node.
struct Transform
{
    std::string kind;
    // What animation channels call it by; empty without one.
    std::string sid;
    std::vector<float> values;
    // The first word of its text that is no number; empty when all are numbers.
    std::string firstNotNumber;
};

// An "instance_geometry" or "instance_controller" of a node.
struct MeshInstance
{
    // A skin controller, drawn with the joints found by sid below its skeleton roots; else a geometry.
    bool ofController = false;
    // The id of the geometry or controller.
    std::string url;
    // The material binding: symbol, material id.
    std::vector<std::pair<std::string, std::string>> materialBinding;
    // The texture-coordinate sets the binding gives: symbol, semantic, set.
    struct VertexInputBinding
    {
        std::string symbol;
        std::string semantic;
        int set = 0;
    };
    std::vector<VertexInputBinding> vertexInputBindings;
    // The ids of the skeleton roots, without their "#".
    std::vector<std::string> skeletons;
};

struct Node
{
    std::string id;
    std::string sid;
    std::string name;
    std::vector<Transform> transforms;
    // Its meshes, in document order: geometries and controllers alike.
    std::vector<MeshInstance> meshInstances;
    bool instancesLight = false;
    std::string light;
    bool instancesCamera = false;
    std::string camera;
    // The urls of the nodes it instances, as written: a copy of each goes below it.
    std::vector<std::string> instancedNodes;
    std::vector<Node> children;
};

// A skin controller: a geometry bound to joints.
struct Skin
{
    std::string id;
    // The id of the geometry it bends.
    std::string geometry;
    // Applied to the geometry's positions and normals before the joints; row by row.
    float bindShapeMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // The joints, by sid, or by node id when the document lists them as references: the words of
    // the array, which may be more than its "count" says when joint names hold spaces.
    std::vector<std::string> joints;
    bool jointsAreIds = false;
    // The array's "count"; 0 when it gives none.
    std::size_t declaredJoints = 0;
    // Sixteen numbers for each joint, row by row.
    std::vector<float> inverseBindMatrices;
    // For each position of the geometry, four joint indices and their weights: the largest four
    // influences, weights summing to 1, unused ones with weight 0.
    std::vector<float> jointIndices;
    std::vector<float> jointWeights;
    Problems problems;
};

// How many joints a skin's influences and inverse bind matrices count: its array's "count" where the
// array holds more words (joint names with spaces), else its words.
inline std::size_t jointCount(const Skin& skin)
{
    return skin.declaredJoints > 0 && skin.declaredJoints < skin.joints.size() ? skin.declaredJoints : skin.joints.size();
}

struct AnimationSampler
{
    std::string input;
    std::string output;
    // The source naming each key's interpolation; empty when the sampler names none.
    std::string interpolation;
    // The sources of BEZIER and HERMITE keys' tangents; empty when the sampler names none.
    std::string inTangent;
    std::string outTangent;
};

struct Channel
{
    // As written: "node-id/sid" with a member (".X", ".ANGLE", "(0)(3)") or without, or a node id.
    std::string target;
    std::string sampler;
    // The target's parts: the node's id (before the last "/"), the sid of one of its transform
    // elements and the member of that; empty when the target has none.
    std::string node;
    std::string element;
    std::string member;
};

// One "animation" element: its sources and samplers, and the channels that use them. The
// "animation" elements nested in it follow it in the document's list, each on its own.
struct Animation
{
    std::map<std::string, std::vector<float>> sources;
    // The sources that list names, such as the interpolation of each key.
    std::map<std::string, std::vector<std::string>> names;
    std::map<std::string, AnimationSampler> samplers;
    std::vector<Channel> channels;
    Problems problems;
};

struct Document
{
    std::string upAxis;
    // How long one unit of the document is in metres.
    float unitInMeters = 1;
    // Problems of the document's "asset".
    Problems assetProblems;
    bool hasColladaElement = false;
    std::vector<Image> images;
    std::vector<Effect> effects;
    std::vector<Material> materials;
    std::vector<Geometry> geometries;
    std::vector<Skin> skins;
    // Problems of controllers that are not skins, or cannot be read at all.
    Problems controllerProblems;
    std::vector<Light> lights;
    std::vector<Camera> cameras;
    bool hasVisualScene = false;
    std::string visualSceneId;
    std::vector<Node> nodes;
    // The nodes of "library_nodes", which exist in the scene only as copies where they are instanced.
    std::vector<Node> libraryNodes;
    std::vector<Animation> animations;
};

}
