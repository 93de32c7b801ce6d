#include "collada/ColladaMaterialBuilder.h"

#include "collada/ColladaLoad.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/foundation/Logger.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Image.h"
#include "pellux/resources/ImageManager.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace Pellux
{

namespace
{
// The colour of surfaces that name no material.
const float defaultGrey = 0.8f;

unsigned char colorByte(float component)
{
    return static_cast<unsigned char>(std::lround(std::clamp(std::isfinite(component) ? component : 1.0f, 0.0f, 1.0f) * 255));
}

// One of the engine's own shaders, found where the engine's data is.
std::shared_ptr<File> shaderFile(const char* name)
{
    return std::make_shared<File>(DataDirectories::find(name));
}
}

void ColladaMaterialBuilder::loadImages()
{
    ImageManager* imageManager = load.engine.getImageManager();
    for (const Collada::Image& image : load.document.images)
    {
        Image* loaded = nullptr;
        if (image.hasPath)
            loaded = findImage(*imageManager, image);
        else
            LOG(load.logger.err) << "missing init_from tag" << std::endl;
        load.images[image.id] = loaded;
    }
}

void ColladaMaterialBuilder::reportEffects()
{
    for (const Collada::Effect& effect : load.document.effects)
    {
        if (effect.technique == Collada::Effect::Technique::None)
            LOG(load.logger.err) << "missing phong or blinn tag" << std::endl;
        load.report(effect.problems);
        load.effects[effect.id] = &effect;
    }
}

void ColladaMaterialBuilder::makeMaterials()
{
    for (const Collada::Material& material : load.document.materials)
        makeMaterial(material);
}

std::vector<std::string> ColladaMaterialBuilder::imageNames(const Collada::Image& image,
                                                            const std::string& documentDirectory)
{
    std::vector<std::string> names = {image.path};
    if (image.filePath != image.path)
        names.push_back(image.filePath);
    if (documentDirectory.empty())
        return names;
    std::filesystem::path file(image.filePath);
    std::filesystem::path directory(documentDirectory);
    if (file.is_relative())
        names.push_back((directory / file).lexically_normal().string());
    if (file.has_filename())
        names.push_back((directory / file.filename()).string());
    return names;
}

// The image under the first of its names that the image manager finds; when it finds none, it
// says so once, for the path as written.
Image* ColladaMaterialBuilder::findImage(ImageManager& imageManager, const Collada::Image& image) const
{
    for (const std::string& name : imageNames(image, load.documentDirectory))
        if (imageManager.canFind(name))
            return imageManager.get(name);
    return imageManager.get(image.path);
}

// The image a default-shader material of the effect draws with: its texture, else one 1 x 1 image
// of its colour for all its materials, which the image manager keeps.
Image* ColladaMaterialBuilder::diffuseImageOf(const Collada::Effect& effect)
{
    auto found = load.images.find(effect.diffuseImage);
    Image* texture = found != load.images.end() ? found->second : nullptr;
    if (texture != nullptr || !effect.hasColor)
        return texture;
    Image*& colorImage = load.colorImages[effect.id];
    if (colorImage == nullptr)
    {
        std::vector<unsigned char> pixel;
        for (float component : effect.color)
            pixel.push_back(colorByte(component));
        bool emission = effect.technique == Collada::Effect::Technique::Constant;
        colorImage = new Image(effect.id + (emission ? " emission color" : " diffuse color"), 1, 1, std::move(pixel));
        load.engine.getImageManager()->add(colorImage);
    }
    return colorImage;
}

// Lit with highlights ("phong", "blinn"), lit without them ("lambert"), or the colour as it is
// ("constant"), all by the default shaders.
SinglePassAutoMapMaterial* ColladaMaterialBuilder::defaultShaderMaterial(const std::string& id,
                                                                         const Collada::Effect& effect)
{
    using Technique = Collada::Effect::Technique;
    auto* material = new SinglePassAutoMapMaterial(id, shaderFile("shader/default.vert"), nullptr,
                                                   shaderFile("shader/default.frag"));
    material->setFloat("specularExponent", 0.0f);
    material->setFloat("specularCoefficient", effect.technique == Technique::Phong ? 1.0f : 0.0f);
    if (effect.technique == Technique::Constant)
        material->setFloat("unlit", 1.0f);
    Image* image = diffuseImageOf(effect);
    material->addTexture(image);
    bool translucentImage = image != nullptr && image->hasTranslucentPixels();
    if (effect.opacity < 1.0f || effect.textureTransparency || translucentImage)
        material->setTransparent(true);
    if (effect.opacity < 1.0f)
        material->setFloat("transparency", 1.0f - effect.opacity);
    // Nothing of a surface that covers nothing darkens what lies behind it.
    material->castsShadows = effect.opacity > 0.0f;
    return material;
}

std::string ColladaMaterialBuilder::makeDefaultMaterial()
{
    Collada::Effect plain;
    plain.id = load.documentName + "#default-material";
    plain.technique = Collada::Effect::Technique::Lambert;
    plain.hasColor = true;
    std::fill(plain.color, plain.color + 3, defaultGrey);
    if (makes(plain.id))
        load.engine.getMaterialManager()->add(defaultShaderMaterial(plain.id, plain));
    return plain.id;
}

bool ColladaMaterialBuilder::makes(const std::string& materialId)
{
    if (!load.rendering)
        load.materialsNotMade.insert(materialId);
    return load.rendering;
}

void ColladaMaterialBuilder::makeMaterial(const Collada::Material& description)
{
    auto effect = load.effects.find(description.effect);
    if (effect == load.effects.end())
    {
        load.report("material", description.id, "instances no effect read before");
        return;
    }
    SinglePassAutoMapMaterial* material = nullptr;
    if (effect->second->parallax)
    {
        if (!makes(description.id))
            return;
        material = new SinglePassAutoMapMaterial(description.id, shaderFile("shader/parallax.vert"), nullptr,
                                                 shaderFile("shader/relief.frag"));
        material->setFloat("specularExponent", 1.0f);
        material->setFloat("specularCoefficient", 1.0f);
        const char* maps[] = {"diffuseMap", "normalMap", "heightMap"};
        for (int map = 0; map < 3; ++map)
        {
            const std::string& imageId = effect->second->parallaxMaps[map];
            auto image = load.images.find(imageId);
            if (image == load.images.end())
                load.report("material", description.id, std::string("its ") + maps[map] + " names no image '" + imageId + "'");
            material->addTexture(image != load.images.end() ? image->second : nullptr);
        }
    }
    else if (effect->second->technique != Collada::Effect::Technique::None)
    {
        if (!makes(description.id))
            return;
        material = defaultShaderMaterial(description.id, *effect->second);
    }
    else
    {
        load.report("material", description.id, "its effect has no phong, blinn, lambert, constant or parallax technique");
        return;
    }
    load.engine.getMaterialManager()->add(material);
}

}
