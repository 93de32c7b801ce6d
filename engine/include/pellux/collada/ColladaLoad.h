#pragma once

#include <map>
#include <set>
#include <string>

class Logger;
class TiXmlElement;

namespace Pellux
{

class Image;
class Scene;
class SceneNode;

// What one load of a document reads and refers back to, and its reports.
struct ColladaLoad
{
    struct ImageEntry
    {
        std::string id;
        std::string name;
        Image* image = nullptr;
    };

    struct EffectEntry
    {
        const TiXmlElement* element = nullptr;
        std::string id;
        ImageEntry diffuse;
        // The diffuse colour, when the effect gives one in place of a texture.
        bool hasColor = false;
        float color[4] = {1, 1, 1, 1};
        // A 1 x 1 image of that colour, made for the first material of the effect and shared by all.
        Image* colorImage = nullptr;
    };

    struct CameraEntry
    {
        std::string id;
        float fieldOfView = 0;
        float near = 0;
        float far = 0;
    };

    ColladaLoad(Scene& scene, Logger& logger) : scene(scene), logger(logger) {}

    // Logs at level ERR "COLLADA <kind> '<id>': <problem>", once for each distinct line.
    void report(const std::string& kind, const std::string& id, const std::string& problem);

    Scene& scene;
    Logger& logger;
    std::map<std::string, ImageEntry> images;
    std::map<std::string, EffectEntry> effects;
    std::map<std::string, const TiXmlElement*> lights;
    std::map<std::string, CameraEntry> cameras;
    // The visual scene's top-level nodes: the up-axis conversion applies to them only.
    std::set<const SceneNode*> topLevelNodes;

private:
    std::set<std::string> reported;
};

}
