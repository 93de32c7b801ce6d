#include "pellux/materials/MaterialManager.h"

#include "pellux/materials/Material.h"

namespace Pellux
{

void MaterialManager::add(Material* material)
{
    Resource*& entry = resources[material->getMaterialName()];
    if (entry != nullptr && entry != material)
        replaced.push_back(entry);
    entry = material;
    ++revision;
}

Material* MaterialManager::get(const std::string& name) const
{
    auto found = resources.find(name);
    return found == resources.end() ? nullptr : static_cast<Material*>(found->second);
}

}
