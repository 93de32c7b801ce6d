#pragma once

#include "pellux/foundation/Singleton.h"

#include <memory>

namespace Pellux
{

class FontManager;
class ImageManager;
class MaterialManager;
class MeshManager;
class RenderEngine;
class ResourceManager;
class Settings;

// The engine root: creates every engine-wide service once and hands it out: the registries of
// images, meshes, fonts and materials, the settings, and the render engine with its window and all
// it makes there. A program may make roots of its own, one after another or nested; a root that is
// destroyed takes its services with it. The one root that getInstance() makes lives until the
// process ends.
class Tavrin : public Singleton<Tavrin>
{
public:
    // Without "settings.txt" the settings are all defaults (see Settings). The new root is the
    // current one until it goes.
    Tavrin();
    ~Tavrin() override;
    Tavrin(const Tavrin&) = delete;
    Tavrin& operator=(const Tavrin&) = delete;

    // The root the importers load into: the last one made that still lives, else the one of
    // getInstance(), made now.
    static Tavrin& current();

    // Indexes the fonts directory the settings name; called once at start-up.
    void initFonts();

    ResourceManager* getResourceManager() const { return resourceManager.get(); }
    ImageManager* getImageManager() const { return imageManager.get(); }
    MeshManager* getMeshManager() const { return meshManager.get(); }
    FontManager* getFontManager() const { return fontManager.get(); }
    MaterialManager* getMaterialManager() const { return materialManager.get(); }
    RenderEngine* getRenderEngine() const { return renderEngine.get(); }
    Settings* getSettings() const { return settings.get(); }

private:
    std::unique_ptr<ResourceManager> resourceManager;
    std::unique_ptr<ImageManager> imageManager;
    std::unique_ptr<MeshManager> meshManager;
    std::unique_ptr<FontManager> fontManager;
    std::unique_ptr<MaterialManager> materialManager;
    std::unique_ptr<RenderEngine> renderEngine;
    std::unique_ptr<Settings> settings;
    // The root that was current before this one was made.
    Tavrin* previous;
};

}
