#include "pellux/core/Tavrin.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/foundation/Settings.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/resources/FontManager.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/resources/MeshManager.h"

#include <memory>

namespace Pellux
{

// The services live until the process ends, created in this order: the image manager starts DevIL
// first, and the settings come last because they read their file at once. When that fails, what
// was made before is freed with the exception on its way out.
Tavrin::Tavrin()
{
    auto resources = std::make_unique<ResourceManager>();
    auto images = std::make_unique<ImageManager>();
    auto meshes = std::make_unique<MeshManager>();
    auto fonts = std::make_unique<FontManager>();
    auto materials = std::make_unique<MaterialManager>();
    auto rendering = std::make_unique<RenderEngine>();
    settings = new Settings();
    resourceManager = resources.release();
    imageManager = images.release();
    meshManager = meshes.release();
    fontManager = fonts.release();
    materialManager = materials.release();
    renderEngine = rendering.release();
}

void Tavrin::initFonts()
{
    fontManager->indexFonts();
}

}
