#include "collada/ColladaMaterialReader.h"

#include "collada/XmlReading.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <string>

namespace Pellux
{

namespace
{
const TiXmlElement* techniqueOf(const TiXmlElement* effect)
{
    return Xml::child(Xml::child(effect, "profile_COMMON"), "technique");
}

// The first of the common techniques the default shaders draw, "phong" before "blinn" before
// "lambert" before "constant"; null when it has none of them.
const TiXmlElement* shadingOf(const TiXmlElement* technique, Collada::Effect::Technique& kind)
{
    using Technique = Collada::Effect::Technique;
    const std::pair<const char*, Technique> shadings[] = {
        {"phong", Technique::Phong},
        {"blinn", Technique::Phong},
        {"lambert", Technique::Lambert},
        {"constant", Technique::Constant},
    };
    for (const auto& [name, shadingKind] : shadings)
        if (const TiXmlElement* shading = Xml::child(technique, name))
        {
            kind = shadingKind;
            return shading;
        }
    return nullptr;
}

void turnBackslashes(std::string& path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
}

int hexDigit(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(digit)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// "%20" and the like as the characters they stand for. An escape of a control character (a file
// name cannot hold "%00" as a byte) or one without two hex digits stays as it is written.
std::string decodePercentEscapes(const std::string& path)
{
    std::string decoded;
    for (std::size_t at = 0; at < path.size(); ++at)
    {
        int high = at + 2 < path.size() && path[at] == '%' ? hexDigit(path[at + 1]) : -1;
        int low = high >= 0 ? hexDigit(path[at + 2]) : -1;
        if (low < 0 || high * 16 + low < 0x20)
        {
            decoded += path[at];
            continue;
        }
        decoded += static_cast<char>(high * 16 + low);
        at += 2;
    }
    return decoded;
}

bool hasScheme(const std::string& path, const char* scheme)
{
    std::size_t length = std::char_traits<char>::length(scheme);
    return path.size() >= length && std::equal(scheme, scheme + length, path.begin(), [](char wanted, char written) {
               return wanted == std::tolower(static_cast<unsigned char>(written));
           });
}

// The file an image's "init_from" means, which exporters write as a path or as a URI:
// file:///C:/maps/a.png gives C:/maps/a.png, file:///home/a.png /home/a.png, file://a.png a.png,
// maps\a%20b.png maps/a b.png.
std::string filePathOf(std::string path)
{
    turnBackslashes(path);
    if (hasScheme(path, "file:"))
    {
        path.erase(0, 5);
        // The authority: empty before an absolute path, else a name ("localhost" means this machine).
        if (path.compare(0, 2, "//") == 0)
            path.erase(0, 2);
        if (hasScheme(path, "localhost/"))
            path.erase(0, 9);
    }
    path = decodePercentEscapes(path);
    turnBackslashes(path);
    bool slashBeforeDriveLetter = path.size() >= 3 && path[0] == '/' &&
                                  std::isalpha(static_cast<unsigned char>(path[1])) && path[2] == ':';
    if (slashBeforeDriveLetter)
        path.erase(0, 1);
    return path;
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
            image.filePath = filePathOf(image.path);
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
    const TiXmlElement* shading = shadingOf(technique, effect.technique);
    if (shading == nullptr)
        return effect;
    readTransparency(shading, effect);
    const char* drawn = effect.technique == Collada::Effect::Technique::Constant ? "emission" : "diffuse";
    const TiXmlElement* colorOrTexture = Xml::child(shading, drawn);
    if (const TiXmlElement* texture = Xml::child(colorOrTexture, "texture"))
    {
        readTexture(element, texture, effect, drawn);
    }
    else if (const TiXmlElement* color = Xml::child(colorOrTexture, "color"))
    {
        std::vector<float> components;
        if (Xml::readFloats(Xml::text(color), components) > 0 || components.size() < 3)
            effect.problems.push_back(Collada::problem("effect", effect.id,
                                                       std::string("its ") + drawn + " color is not three or four numbers"));
        std::copy_n(components.begin(), std::min<std::size_t>(components.size(), 4), effect.color);
        effect.hasColor = true;
    }
    return effect;
}

// With A_ONE (the default) the transparent colour's alpha, with RGB_ZERO its luminance, says how much
// light passes, each times "transparency"; A_ZERO and RGB_ONE turn those around. Without
// "transparent", "transparency" alone is the opacity.
void ColladaMaterialReader::readTransparency(const TiXmlElement* shading, Collada::Effect& effect)
{
    const TiXmlElement* transparent = Xml::child(shading, "transparent");
    float transparency = 1;
    if (const TiXmlElement* amount = Xml::child(shading, "transparency"))
        if (!Xml::readFloat(Xml::text(Xml::child(amount, "float")), transparency) || !std::isfinite(transparency))
        {
            effect.problems.push_back(Collada::problem("effect", effect.id, "its transparency is not a number; 1 is used"));
            transparency = 1;
        }
    if (transparent == nullptr)
    {
        effect.opacity = std::clamp(transparency, 0.0f, 1.0f);
        return;
    }
    std::string mode = Xml::hasAttribute(transparent, "opaque") ? Xml::attribute(transparent, "opaque") : "A_ONE";
    if (Xml::hasChild(transparent, "texture"))
    {
        effect.textureTransparency = true;
        return;
    }
    std::vector<float> color;
    Xml::readFloats(Xml::text(Xml::child(transparent, "color")), color);
    color.resize(4, 1.0f);
    const float luminance = 0.212671f * color[0] + 0.715160f * color[1] + 0.072169f * color[2];
    float opacity = mode == "RGB_ZERO" ? 1 - luminance * transparency
                    : mode == "A_ZERO"  ? 1 - color[3] * transparency
                    : mode == "RGB_ONE" ? luminance * transparency
                                        : color[3] * transparency;
    // 3ds Max's exporters write an opaque surface as A_ONE, alpha 1 and transparency 0, by the
    // formula invisible.
    if (mode == "A_ONE" && color[3] == 1.0f && transparency == 0.0f)
        opacity = 1.0f;
    effect.opacity = std::isfinite(opacity) ? std::clamp(opacity, 0.0f, 1.0f) : 1.0f;
}

void ColladaMaterialReader::readTexture(const TiXmlElement* effectElement, const TiXmlElement* texture,
                                        Collada::Effect& effect, const char* drawn)
{
    std::map<std::string, std::string> parameters = parameterTable(effectElement);
    std::string target = Xml::attribute(texture, "texture");
    effect.diffuseTexCoord = Xml::attribute(texture, "texcoord");
    // Each step leads from a sampler to a surface to an image; a chain that loops stops.
    for (std::size_t step = 0; step <= parameters.size() && parameters.count(target) > 0; ++step)
        target = parameters[target];
    if (isImage(target))
        effect.diffuseImage = target;
    else
        effect.problems.push_back(
            Collada::problem("effect", effect.id, std::string("its ") + drawn + " texture names no image '" + target + "'"));
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
