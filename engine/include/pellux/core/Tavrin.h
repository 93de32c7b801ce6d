#pragma once

#include "pellux/foundation/Singleton.h"

namespace Pellux
{

class FontManager;
class ImageManager;
class MaterialManager;
class MeshManager;
class RenderEngine;
class ResourceManager;
class Settings;

// The engine root: creates every engine-wide service once and hands it out.
class Tavrin : public Singleton<Tavrin>
{
public:
    // Throws std::runtime_error when "settings.txt" is missing, having freed the services made before.
    Tavrin();
    virtual ~Tavrin() = default;

    // Indexes the fonts directory the settings name; called once at start-up.
    void initFonts();

    ResourceManager* getResourceManager() const { return resourceManager; }
    ImageManager* getImageManager() const { return imageManager; }
    MeshManager* getMeshManager() const { return meshManager; }
    FontManager* getFontManager() const { return fontManager; }
    MaterialManager* getMaterialManager() const { return materialManager; }
    RenderEngine* getRenderEngine() const { return renderEngine; }
    Settings* getSettings() const { return settings; }

private:
    ResourceManager* resourceManager = nullptr;
    ImageManager* imageManager = nullptr;
    MeshManager* meshManager = nullptr;
    FontManager* fontManager = nullptr;
    MaterialManager* materialManager = nullptr;
    RenderEngine* renderEngine = nullptr;
    Settings* settings = nullptr;
};

}
