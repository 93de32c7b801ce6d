#include "pellux/collada/ColladaMaterialReader.h"

#include "pellux/collada/XmlReading.h"

#include <tinyxml.h>

#include <algorithm>
#include <map>

namespace Pellux
{

namespace
{
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
}

void ColladaMaterialReader::readImages(const TiXmlElement* library)
{
    Xml::forEachChild(library, "image", [&](const TiXmlElement* element) {
        Collada::Image image;
        image.id = Xml::attribute(element, "id");
        image.name = Xml::attribute(element, "name");
        if (const TiXmlElement* source = Xml::child(element, "init_from"))
        {
            image.hasPath = true;
            image.path = Xml::text(source);
        }
        document.images.push_back(std::move(image));
    });
}

bool ColladaMaterialReader::isImage(const std::string& id) const
{
    return std::any_of(document.images.begin(), document.images.end(),
                       [&](const Collada::Image& image) { return image.id == id; });
}

void ColladaMaterialReader::readEffects(const TiXmlElement* library)
{
    Xml::forEachChild(library, "effect", [&](const TiXmlElement* element) { document.effects.push_back(readEffect(element)); });
}

Collada::Effect ColladaMaterialReader::readEffect(const TiXmlElement* element)
{
    Collada::Effect effect;
    effect.id = Xml::attribute(element, "id");
    const TiXmlElement* technique = techniqueOf(element);
    if (const TiXmlElement* parallax = Xml::child(technique, "parallax"))
    {
        effect.parallax = true;
        const char* maps[] = {"diffuseMap", "normalMap", "heightMap"};
        for (int map = 0; map < 3; ++map)
            effect.parallaxMaps[map] = Xml::attribute(Xml::child(parallax, maps[map]), "value");
    }
    const TiXmlElement* shading = Xml::child(technique, "phong");
    if (shading == nullptr)
        shading = Xml::child(technique, "blinn");
    if (shading == nullptr)
        return effect;
    effect.shaded = true;
    const TiXmlElement* diffuse = Xml::child(shading, "diffuse");
    if (const TiXmlElement* texture = Xml::child(diffuse, "texture"))
    {
        readDiffuseTexture(element, texture, effect);
    }
    else if (const TiXmlElement* color = Xml::child(diffuse, "color"))
    {
        std::vector<float> components;
        if (Xml::readFloats(Xml::text(color), components) > 0 || components.size() < 3)
            effect.problems.push_back(
                Collada::problem("effect", effect.id, "its diffuse color is not three or four numbers"));
        std::copy_n(components.begin(), std::min<std::size_t>(components.size(), 4), effect.color);
        effect.hasColor = true;
    }
    return effect;
}

void ColladaMaterialReader::readDiffuseTexture(const TiXmlElement* effectElement, const TiXmlElement* texture,
                                               Collada::Effect& effect)
{
    std::map<std::string, std::string> parameters = parameterTable(effectElement);
    std::string target = Xml::attribute(texture, "texture");
    // Each step leads from a sampler to a surface to an image; a chain that loops stops.
    for (std::size_t step = 0; step <= parameters.size() && parameters.count(target) > 0; ++step)
        target = parameters[target];
    if (isImage(target))
        effect.diffuseImage = target;
    else
        effect.problems.push_back(
            Collada::problem("effect", effect.id, "its diffuse texture names no image '" + target + "'"));
}

void ColladaMaterialReader::readMaterials(const TiXmlElement* library)
{
    Xml::forEachChild(library, "material", [&](const TiXmlElement* element) {
        Collada::Material material;
        material.id = Xml::attribute(element, "id");
        material.effect = Xml::reference(Xml::attribute(Xml::child(element, "instance_effect"), "url"));
        document.materials.push_back(std::move(material));
    });
}

}
