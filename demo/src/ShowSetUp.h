#pragma once

#include <memory>

class Logger;

namespace Pellux
{
class ImageManager;
class MaterialManager;
class Scene;
}

// The show's four materials, registered under "default", "wall_parallax", "wall_relief" and
// "wall_normal".
void createMaterials(Logger& logger, Pellux::MaterialManager& materials, Pellux::ImageManager& images);

// The show's scene, with its translucent pool ("zarvel-material") drawn after everything else.
std::shared_ptr<Pellux::Scene> loadShowScene(Pellux::MaterialManager& materials);
