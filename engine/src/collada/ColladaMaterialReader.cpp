#include "pellux/collada/ColladaMaterialReader.h"

#include "pellux/collada/ColladaLoad.h"
#include "pellux/collada/XmlReading.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Image.h"
#include "pellux/resources/ImageManager.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>

namespace Pellux
{

namespace
{
using ImageEntry = ColladaLoad::ImageEntry;

const TiXmlElement* techniqueOf(const TiXmlElement* effect)
{
    return Xml::child(Xml::child(effect, "profile_COMMON"), "technique");
}

// The effect's newparams: sid to the sid or image id its sampler or surface refers to.
std::map<std::string, std::string> parameterTable(const TiXmlElement* effect)
{
    std::map<std::string, std::string> parameters;
    Xml::forEachChild(Xml::child(effect, "profile_COMMON"), "newparam", [&](const TiXmlElement* parameter) {
        std::string value;
        if (const TiXmlElement* sampler = Xml::child(parameter, "sampler2D"))
            value = Xml::text(Xml::child(sampler, "source"));
        else if (const TiXmlElement* surface = Xml::child(parameter, "surface"))
            value = Xml::text(Xml::child(surface, "init_from"));
        parameters[Xml::attribute(parameter, "sid")] = value;
    });
    return parameters;
}

unsigned char colorByte(float component)
{
    return static_cast<unsigned char>(std::lround(std::clamp(std::isfinite(component) ? component : 1.0f, 0.0f, 1.0f) * 255));
}

// The image a default-shader material of the effect draws with: its diffuse texture, else one
// 1 x 1 image of its diffuse colour for all its materials, living as long as they do.
Image* diffuseImageOf(ColladaLoad::EffectEntry& effect)
{
    if (effect.diffuse.image != nullptr || !effect.hasColor)
        return effect.diffuse.image;
    if (effect.colorImage == nullptr)
    {
        std::vector<unsigned char> pixel;
        for (float component : effect.color)
            pixel.push_back(colorByte(component));
        effect.colorImage = new Image(effect.id + " diffuse color", 1, 1, std::move(pixel));
    }
    return effect.colorImage;
}

std::shared_ptr<File> shaderFile(const char* path)
{
    return std::make_shared<File>(path);
}
}

void ColladaMaterialReader::readImages(const TiXmlElement* library)
{
    ImageManager* imageManager = Tavrin::getInstance().getImageManager();
    Xml::forEachChild(library, "image", [&](const TiXmlElement* element) {
        ImageEntry entry;
        entry.id = Xml::attribute(element, "id");
        entry.name = Xml::attribute(element, "name");
        if (const TiXmlElement* source = Xml::child(element, "init_from"))
            entry.image = imageManager->get(Xml::text(source));
        else
            LOG(load.logger.err) << "missing init_from tag" << std::endl;
        load.images[entry.id] = entry;
    });
}

void ColladaMaterialReader::readEffects(const TiXmlElement* library)
{
    Xml::forEachChild(library, "effect", [&](const TiXmlElement* effect) { readEffect(effect); });
}

void ColladaMaterialReader::readEffect(const TiXmlElement* element)
{
    ColladaLoad::EffectEntry entry;
    entry.element = element;
    entry.id = Xml::attribute(element, "id");
    const TiXmlElement* technique = techniqueOf(element);
    const TiXmlElement* shading = Xml::child(technique, "phong");
    if (shading == nullptr)
        shading = Xml::child(technique, "blinn");
    if (shading == nullptr)
    {
        LOG(load.logger.err) << "missing phong or blinn tag" << std::endl;
        load.effects[entry.id] = entry;
        return;
    }

    const TiXmlElement* diffuse = Xml::child(shading, "diffuse");
    if (const TiXmlElement* texture = Xml::child(diffuse, "texture"))
    {
        std::map<std::string, std::string> parameters = parameterTable(element);
        std::string target = Xml::attribute(texture, "texture");
        // Each step leads from a sampler to a surface to an image; a chain that loops stops.
        for (std::size_t step = 0; step <= parameters.size() && parameters.count(target) > 0; ++step)
            target = parameters[target];
        auto image = load.images.find(target);
        if (image != load.images.end())
            entry.diffuse = image->second;
        else
            load.report("effect", entry.id, "its diffuse texture names no image '" + target + "'");
    }
    else if (const TiXmlElement* color = Xml::child(diffuse, "color"))
    {
        std::vector<float> components;
        if (Xml::readFloats(Xml::text(color), components) > 0 || components.size() < 3)
            load.report("effect", entry.id, "its diffuse color is not three or four numbers");
        std::copy_n(components.begin(), std::min<std::size_t>(components.size(), 4), entry.color);
        entry.hasColor = true;
    }
    load.effects[entry.id] = entry;
}

void ColladaMaterialReader::readMaterials(const TiXmlElement* library)
{
    Xml::forEachChild(library, "material", [&](const TiXmlElement* material) { readMaterial(material); });
}

void ColladaMaterialReader::readMaterial(const TiXmlElement* element)
{
    std::string id = Xml::attribute(element, "id");
    const TiXmlElement* instance = Xml::child(element, "instance_effect");
    auto effect = load.effects.find(Xml::reference(Xml::attribute(instance, "url")));
    if (effect == load.effects.end())
    {
        load.report("material", id, "instances no effect read before");
        return;
    }
    const TiXmlElement* technique = techniqueOf(effect->second.element);
    SinglePassAutoMapMaterial* material = nullptr;
    if (const TiXmlElement* parallax = Xml::child(technique, "parallax"))
    {
        material = new SinglePassAutoMapMaterial(id, shaderFile("resources/shader/parallax.vert"), nullptr,
                                                 shaderFile("resources/shader/relief.frag"));
        material->setFloat("specularExponent", 1.0f);
        material->setFloat("specularCoefficient", 1.0f);
        for (const char* map : {"diffuseMap", "normalMap", "heightMap"})
        {
            std::string imageId = Xml::attribute(Xml::child(parallax, map), "value");
            auto image = load.images.find(imageId);
            if (image == load.images.end())
                load.report("material", id, std::string("its ") + map + " names no image '" + imageId + "'");
            material->addTexture(image != load.images.end() ? image->second.image : nullptr);
        }
    }
    else if (Xml::hasChild(technique, "blinn") || Xml::hasChild(technique, "phong"))
    {
        material = new SinglePassAutoMapMaterial(id, shaderFile("resources/shader/default.vert"), nullptr,
                                                 shaderFile("resources/shader/default.frag"));
        material->setFloat("specularExponent", 0.0f);
        material->setFloat("specularCoefficient", 1.0f);
        material->addTexture(diffuseImageOf(effect->second));
    }
    else
    {
        load.report("material", id, "its effect has no phong, blinn or parallax technique");
        return;
    }
    Tavrin::getInstance().getMaterialManager()->add(material);
}

}
