#include "pellux/core/Tavrin.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/foundation/Settings.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/resources/FontManager.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/resources/MeshManager.h"

namespace Pellux
{

// The services live until the process ends, created in this order: the image manager starts DevIL
// first, and the settings come last because they read their file at once.
Tavrin::Tavrin()
    : resourceManager(new ResourceManager()),
      imageManager(new ImageManager()),
      meshManager(new MeshManager()),
      fontManager(new FontManager()),
      materialManager(new MaterialManager()),
      renderEngine(new RenderEngine()),
      settings(new Settings())
{
}

void Tavrin::initFonts()
{
    fontManager->indexFonts();
}

}
