#pragma once

#include <memory>

class Logger;

namespace Pellux
{
class ImageManager;
class MaterialManager;
class Scene;
}

// The show's materials, registered under "default", "wall_parallax", "wall_relief", "wall_normal"
// and "show_sky".
void createMaterials(Logger& logger, Pellux::MaterialManager& materials, Pellux::ImageManager& images);

// The show's scene, with its translucent pool ("zarvel-material") drawn after everything else, its sky
// dome drawn with "show_sky" when that is registered, after the rest, and distance mist in every
// material it draws with.
std::shared_ptr<Pellux::Scene> loadShowScene(Pellux::MaterialManager& materials);

// Shows or hides the dusk: the sky dome and the mist (for measuring what they cost).
void showDusk(Pellux::Scene& scene, Pellux::MaterialManager& materials, bool shown);
