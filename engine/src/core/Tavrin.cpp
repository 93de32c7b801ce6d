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

namespace
{
Tavrin* currentRoot = nullptr;
}

// Created in this order: the image manager starts DevIL first, and the settings come last because
// they read their file at once.
Tavrin::Tavrin()
    : resourceManager(std::make_unique<ResourceManager>()), imageManager(std::make_unique<ImageManager>()),
      meshManager(std::make_unique<MeshManager>()), fontManager(std::make_unique<FontManager>()),
      materialManager(std::make_unique<MaterialManager>()),
      renderEngine(std::make_unique<RenderEngine>(materialManager.get(), fontManager.get())),
      settings(std::make_unique<Settings>()), previous(currentRoot)
{
    currentRoot = this;
}

// The window goes before the materials whose programs were made in it.
Tavrin::~Tavrin()
{
    if (currentRoot == this)
        currentRoot = previous;
    renderEngine.reset();
}

Tavrin& Tavrin::current()
{
    return currentRoot != nullptr ? *currentRoot : getInstance();
}

void Tavrin::initFonts()
{
    fontManager->indexFonts(settings->getFontDir());
}

}
