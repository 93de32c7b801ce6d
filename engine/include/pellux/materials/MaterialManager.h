#pragma once

#include "pellux/resources/ResourceManager.h"

#include <string>

namespace Pellux
{

class Material;

// Materials by their names. A material exists here once its creator has added it.
class MaterialManager : public ResourceManager
{
public:
    // Replaces a material of the same name, which is kept until the manager goes: nodes may still
    // draw with it.
    void add(Material* material);
    // Null when no material has that name.
    Material* get(const std::string& name) const;
    std::size_t size() const { return resources.size(); }
    // Changes with every material added, so that what was found by name before can be known stale.
    unsigned long long getRevision() const { return revision; }

private:
    unsigned long long revision = 0;
};

}
