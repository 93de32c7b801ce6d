#include "pellux/materials/Material.h"

namespace Pellux
{

Material::Material(std::string name) : materialName(std::move(name))
{
}

}
