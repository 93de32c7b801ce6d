#include "gltf/GltfBuilder.h"

#include "gltf/GltfAccessors.h"
#include "gltf/GltfReading.h"
#include "gltf/GltfTangents.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/foundation/Logger.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/MaterialValue.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Image.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Skin.h"
#include "pellux/scene/TrsAnimation.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

namespace Pellux::Gltf
{

namespace
{
// Deeper trees are left out: the engine walks a node's ancestors for its world matrix.
const std::size_t deepestNode = 256;
const int texCoordSets = 32;

Matrix4 columnMajor(const std::vector<double>& m)
{
    Matrix4 matrix;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            matrix(row, column) = static_cast<float>(m[static_cast<std::size_t>(column * 4 + row)]);
    return matrix;
}

Matrix4 rotationOf(const std::vector<double>& q)
{
    double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (!(length > 0) || !std::isfinite(length))
        return Matrix4();
    return Matrix4::fromQuaternion(static_cast<float>(q[0] / length), static_cast<float>(q[1] / length),
                                   static_cast<float>(q[2] / length), static_cast<float>(q[3] / length));
}

Matrix4 transformOf(const tinygltf::Node& node)
{
    if (node.matrix.size() == 16)
        return columnMajor(node.matrix);
    Matrix4 transform;
    if (node.translation.size() == 3)
        transform = Matrix4::translation(Vector3(static_cast<float>(node.translation[0]),
                                                 static_cast<float>(node.translation[1]),
                                                 static_cast<float>(node.translation[2])));
    if (node.rotation.size() == 4)
        transform = transform * rotationOf(node.rotation);
    if (node.scale.size() == 3)
        transform = transform * Matrix4::scaling(Vector3(static_cast<float>(node.scale[0]),
                                                         static_cast<float>(node.scale[1]),
                                                         static_cast<float>(node.scale[2])));
    return transform;
}

// Whether `count` indices of the mode are already a list the engine draws.
bool isList(int mode, std::size_t count)
{
    return (mode == TINYGLTF_MODE_TRIANGLES && count % 3 == 0) || (mode == TINYGLTF_MODE_LINE && count % 2 == 0) ||
           mode == TINYGLTF_MODE_POINTS;
}

// The index lists of the modes as the engine draws them: lists of points, line pairs or triangles.
std::vector<unsigned int> asList(std::vector<unsigned int> indices, int mode)
{
    std::vector<unsigned int> list;
    std::size_t count = indices.size();
    if (isList(mode, count))
        return indices;
    switch (mode)
    {
    case TINYGLTF_MODE_LINE_LOOP:
    case TINYGLTF_MODE_LINE_STRIP:
        for (std::size_t at = 0; at + 1 < count; ++at)
            list.insert(list.end(), {indices[at], indices[at + 1]});
        if (mode == TINYGLTF_MODE_LINE_LOOP && count > 2)
            list.insert(list.end(), {indices[count - 1], indices[0]});
        return list;
    case TINYGLTF_MODE_TRIANGLE_STRIP:
        for (std::size_t at = 0; at + 2 < count; ++at)
            if (at % 2 == 0)
                list.insert(list.end(), {indices[at], indices[at + 1], indices[at + 2]});
            else
                list.insert(list.end(), {indices[at + 1], indices[at], indices[at + 2]});
        return list;
    case TINYGLTF_MODE_TRIANGLE_FAN:
        for (std::size_t at = 1; at + 1 < count; ++at)
            list.insert(list.end(), {indices[0], indices[at], indices[at + 1]});
        return list;
    case TINYGLTF_MODE_LINE:
        list.assign(indices.begin(), indices.begin() + static_cast<std::ptrdiff_t>(count - count % 2));
        return list;
    case TINYGLTF_MODE_TRIANGLES:
        list.assign(indices.begin(), indices.begin() + static_cast<std::ptrdiff_t>(count - count % 3));
        return list;
    default: return indices;
    }
}

int primitiveOf(int mode)
{
    if (mode == TINYGLTF_MODE_POINTS)
        return SubMesh::points;
    if (mode == TINYGLTF_MODE_LINE || mode == TINYGLTF_MODE_LINE_LOOP || mode == TINYGLTF_MODE_LINE_STRIP)
        return SubMesh::lines;
    return SubMesh::triangles;
}

// Vertex n of the sub-mesh becomes a copy of vertex sourceVertex[n]: every array and morph target.
void remapVertices(SubMesh& subMesh, const std::vector<unsigned int>& sourceVertex)
{
    std::vector<std::pair<std::pair<VertexSemantic, int>, std::vector<float>>> remapped;
    subMesh.forEachAttribute([&](VertexSemantic semantic, int set, const VertexAttribute& attribute) {
        std::size_t components = static_cast<std::size_t>(attribute.components);
        std::vector<float> values(sourceVertex.size() * components);
        for (std::size_t vertex = 0; vertex < sourceVertex.size(); ++vertex)
            std::copy_n(attribute.values->begin() + static_cast<std::ptrdiff_t>(sourceVertex[vertex] * components),
                        components, values.begin() + static_cast<std::ptrdiff_t>(vertex * components));
        remapped.push_back({{semantic, set}, std::move(values)});
    });
    for (auto& [key, values] : remapped)
        subMesh.setAttribute(key.first, std::move(values), key.second);
    if (subMesh.getMorphTargetCount() == 0)
        return;
    std::size_t perVertex = subMesh.getMorphTargetCount() * SubMesh::floatsPerMorphOffset;
    const std::vector<float>& offsets = *subMesh.getMorphOffsets();
    std::vector<float> moved(sourceVertex.size() * perVertex);
    for (std::size_t vertex = 0; vertex < sourceVertex.size(); ++vertex)
        std::copy_n(offsets.begin() + static_cast<std::ptrdiff_t>(sourceVertex[vertex] * perVertex), perVertex,
                    moved.begin() + static_cast<std::ptrdiff_t>(vertex * perVertex));
    subMesh.setMorphTargets(subMesh.getMorphTargetCount(), std::move(moved));
}

// The tangents (x, y, z and the bitangent's side in w, one for each vertex) as the sub-mesh's tangent
// and bitangent arrays; the bitangent is the normal times the tangent, on the side w says.
void giveTangentFrame(SubMesh& subMesh, const std::vector<float>& sidedTangents)
{
    const std::vector<float>& normals = *subMesh.attribute(VertexSemantic::Normal)->values;
    std::size_t vertices = sidedTangents.size() / 4;
    std::vector<float> tangents(vertices * 3);
    std::vector<float> bitangents(vertices * 3);
    for (std::size_t vertex = 0; vertex < vertices; ++vertex)
    {
        const float* t = &sidedTangents[vertex * 4];
        Vector3 normal(normals[vertex * 3], normals[vertex * 3 + 1], normals[vertex * 3 + 2]);
        Vector3 bitangent = normal.cross(Vector3(t[0], t[1], t[2])) * (t[3] < 0 ? -1.0f : 1.0f);
        std::copy_n(t, 3, &tangents[vertex * 3]);
        bitangents[vertex * 3] = bitangent.x;
        bitangents[vertex * 3 + 1] = bitangent.y;
        bitangents[vertex * 3 + 2] = bitangent.z;
    }
    subMesh.setAttribute(VertexSemantic::Tangent, std::move(tangents));
    subMesh.setAttribute(VertexSemantic::Bitangent, std::move(bitangents));
}

// Each triangle gets vertices of its own with its face's normal, as glTF asks of a primitive
// without normals.
void giveFlatNormals(SubMesh& subMesh, std::vector<unsigned int>& indices)
{
    remapVertices(subMesh, indices);
    const std::vector<float>& positions = *subMesh.attribute(VertexSemantic::Position)->values;
    std::vector<float> normals;
    normals.reserve(positions.size());
    for (std::size_t corner = 0; corner + 2 < indices.size(); corner += 3)
    {
        const float* a = &positions[corner * 3];
        Vector3 first(a[0], a[1], a[2]);
        Vector3 normal = (Vector3(a[3], a[4], a[5]) - first).cross(Vector3(a[6], a[7], a[8]) - first);
        float length = normal.length();
        normal = length > 0 ? normal * (1 / length) : Vector3(0, 1, 0);
        for (int vertex = 0; vertex < 3; ++vertex)
            normals.insert(normals.end(), {normal.x, normal.y, normal.z});
    }
    subMesh.setAttribute(VertexSemantic::Normal, std::move(normals));
    for (std::size_t at = 0; at < indices.size(); ++at)
        indices[at] = static_cast<unsigned int>(at);
}
}

Builder::Builder(Tavrin& engine, const tinygltf::Model& model, AccessorValues& accessorValues,
                 const std::string& documentPath, Scene& scene, Logger& logger)
    : engine(engine), model(model), accessorValues(accessorValues), documentPath(documentPath),
      documentFolder(std::filesystem::path(documentPath).parent_path().string()), scene(scene),
      problems(documentPath, logger)
{
}

void Builder::report(const std::string& place, const std::string& problem)
{
    problems(place, problem);
}

namespace
{
// KHR_texture_basisu is known: its pictures are named, one line each, and left out.
const char* const drawnExtensions[] = {
    "KHR_materials_unlit",
    "KHR_texture_transform",
    "KHR_lights_punctual",
    "KHR_materials_emissive_strength",
    "KHR_mesh_quantization",
    "KHR_texture_basisu",
    "KHR_draco_mesh_compression",
    "EXT_meshopt_compression",
};

// The names the engine does not draw, joined by commas; empty when it draws them all.
std::string unknownOf(const std::vector<std::string>& extensions)
{
    std::string unknown;
    for (const std::string& name : extensions)
        if (std::find(std::begin(drawnExtensions), std::end(drawnExtensions), name) == std::end(drawnExtensions))
            unknown += (unknown.empty() ? "" : ", ") + name;
    return unknown;
}
}

bool Builder::checkExtensions()
{
    std::string required = unknownOf(model.extensionsRequired);
    if (!required.empty())
    {
        report("extensionsRequired", "needs " + required + ", which the engine does not draw; nothing is loaded");
        return false;
    }
    std::string used = unknownOf(model.extensionsUsed);
    if (!used.empty())
        report("extensionsUsed", "uses " + used + ", which the engine does not draw; it is drawn without them");
    return true;
}

std::size_t Builder::build(bool rendersMaterials, const GltfSceneloader::Selection& chosen)
{
    rendering = rendersMaterials;
    selection = chosen;
    makeMaterials();
    makeMeshes();
    buildScene();
    for (const auto& [node, meshNode] : skinned)
        bindSkin(node, *meshNode);
    makeAnimations();
    return materialNames.size() + (defaultMaterialName.empty() ? 0 : 1);
}

void Builder::makeMaterials()
{
    for (std::size_t index = 0; index < model.materials.size(); ++index)
        makeMaterial(index);
}

SinglePassAutoMapMaterial* Builder::metallicRoughnessMaterial(const std::string& name)
{
    return new SinglePassAutoMapMaterial(name, std::make_shared<File>(DataDirectories::find("shader/default.vert")),
                                         nullptr, std::make_shared<File>(DataDirectories::find("shader/pbr.frag")));
}

// The metallic-roughness shaders with every factor and texture the material gives.
void Builder::makeMaterial(std::size_t index)
{
    const tinygltf::Material& source = model.materials[index];
    std::string place = indexed("materials", index);
    std::string name = documentPath + "#" + place;
    materialNames.push_back(name);
    if (!rendering)
        return;
    SinglePassAutoMapMaterial* material = metallicRoughnessMaterial(name);
    const tinygltf::PbrMetallicRoughness& pbr = source.pbrMetallicRoughness;
    std::vector<double> base = pbr.baseColorFactor.size() == 4 ? pbr.baseColorFactor : std::vector<double>{1, 1, 1, 1};
    material->setValue("baseColorFactor", MaterialValue::vector(static_cast<float>(base[0]), static_cast<float>(base[1]),
                                                                static_cast<float>(base[2]), static_cast<float>(base[3])));
    material->setValue("metallicFactor", MaterialValue::number(static_cast<float>(pbr.metallicFactor)));
    material->setValue("roughnessFactor", MaterialValue::number(static_cast<float>(pbr.roughnessFactor)));
    setTexture(*material, "baseColorTexture", referenceTo(pbr.baseColorTexture),
               place + ".pbrMetallicRoughness.baseColorTexture", true);
    setTexture(*material, "metallicRoughnessTexture", referenceTo(pbr.metallicRoughnessTexture),
               place + ".pbrMetallicRoughness.metallicRoughnessTexture", false);
    if (setTexture(*material, "occlusionTexture", referenceTo(source.occlusionTexture), place + ".occlusionTexture",
                   false))
        material->setValue("occlusionStrength", MaterialValue::number(static_cast<float>(source.occlusionTexture.strength)));
    if (setTexture(*material, "normalTexture", referenceTo(source.normalTexture), place + ".normalTexture", false))
        material->setValue("normalScale", MaterialValue::number(static_cast<float>(source.normalTexture.scale)));
    setTexture(*material, "emissiveTexture", referenceTo(source.emissiveTexture), place + ".emissiveTexture", true);
    float strength = emissiveStrengthOf(source);
    std::vector<double> emissive = source.emissiveFactor.size() == 3 ? source.emissiveFactor : std::vector<double>{0, 0, 0};
    material->setValue("emissiveFactor", MaterialValue::vector(static_cast<float>(emissive[0]) * strength,
                                                               static_cast<float>(emissive[1]) * strength,
                                                               static_cast<float>(emissive[2]) * strength));
    float mode = source.alphaMode == "MASK" ? 1.0f : source.alphaMode == "BLEND" ? 2.0f : 0.0f;
    material->setValue("alphaMode", MaterialValue::number(mode));
    material->setValue("alphaCutoff", MaterialValue::number(static_cast<float>(source.alphaCutoff)));
    if (source.extensions.count("KHR_materials_unlit") > 0)
        material->setFloat("unlit", 1.0f);
    material->setTransparent(source.alphaMode == "BLEND");
    material->setDoubleSided(source.doubleSided);
    // Only a masked material discards, and so only its shadows need its shading.
    if (source.alphaMode != "MASK")
        material->drawDepthWithoutShading();
    engine.getMaterialManager()->add(material);
}

float Builder::emissiveStrengthOf(const tinygltf::Material& material)
{
    auto extension = material.extensions.find("KHR_materials_emissive_strength");
    if (extension == material.extensions.end() || !extension->second.Has("emissiveStrength") ||
        !extension->second.Get("emissiveStrength").IsNumber())
        return 1.0f;
    return static_cast<float>(extension->second.Get("emissiveStrength").GetNumberAsDouble());
}

// The picture, its texture-coordinate set and the transform of its coordinates; without a picture the
// set and transform still hold, as the shaders read them. False when the material has no picture.
bool Builder::setTexture(SinglePassAutoMapMaterial& material, const std::string& uniform,
                         const TextureReference& reference, const std::string& place, bool srgb)
{
    CoordinateTransform transform = coordinateTransformOf(reference, place);
    material.setValue(uniform + "Set", MaterialValue::number(static_cast<float>(transform.set)));
    material.setValue(uniform + "Transform", MaterialValue::matrix3(transform.rowByRow));
    if (reference.index < 0)
        return false;
    Image* image = imageOfTexture(reference.index, place);
    if (image == nullptr)
        return false;
    TextureSampling sampling = samplingOf(reference.index);
    sampling.srgb = srgb;
    material.setValue(uniform, MaterialValue::texture(image, sampling));
    return true;
}

namespace
{
double numberIn(const tinygltf::Value& object, const char* key, std::size_t element, double otherwise)
{
    if (!object.Has(key))
        return otherwise;
    const tinygltf::Value& value = object.Get(key);
    if (value.IsArray())
        return element < value.ArrayLen() && value.Get(static_cast<int>(element)).IsNumber()
                   ? value.Get(static_cast<int>(element)).GetNumberAsDouble()
                   : otherwise;
    return value.IsNumber() ? value.GetNumberAsDouble() : otherwise;
}
}

// The set a picture reads and KHR_texture_transform's offset, rotation (counter-clockwise) and scale,
// as one matrix. Sets past 1 are not drawn: such a picture reads set 0.
Builder::CoordinateTransform Builder::coordinateTransformOf(const TextureReference& reference, const std::string& place)
{
    CoordinateTransform transform;
    transform.set = reference.texCoord;
    auto extension = reference.extensions->find("KHR_texture_transform");
    if (extension != reference.extensions->end() && extension->second.IsObject())
    {
        const tinygltf::Value& values = extension->second;
        double offsetU = numberIn(values, "offset", 0, 0.0);
        double offsetV = numberIn(values, "offset", 1, 0.0);
        double rotation = numberIn(values, "rotation", 0, 0.0);
        double scaleU = numberIn(values, "scale", 0, 1.0);
        double scaleV = numberIn(values, "scale", 1, 1.0);
        if (values.Has("texCoord") && values.Get("texCoord").IsInt())
            transform.set = values.Get("texCoord").GetNumberAsInt();
        double cosine = std::cos(rotation);
        double sine = std::sin(rotation);
        std::array<double, 9> matrix = {cosine * scaleU,  sine * scaleV,   offsetU, -sine * scaleU, cosine * scaleV,
                                        offsetV,          0.0,             0.0,     1.0};
        for (std::size_t element = 0; element < matrix.size(); ++element)
            transform.rowByRow[element] = std::isfinite(matrix[element]) ? static_cast<float>(matrix[element])
                                                                          : (element % 4 == 0 ? 1.0f : 0.0f);
    }
    if (transform.set < 0 || transform.set > 1)
    {
        if (reference.index >= 0)
            report(place, "reads texture-coordinate set " + std::to_string(transform.set) +
                              "; only sets 0 and 1 reach pictures, so it reads set 0");
        transform.set = 0;
    }
    return transform;
}

namespace
{
bool isWrapMode(int mode)
{
    return mode == TINYGLTF_TEXTURE_WRAP_REPEAT || mode == TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE ||
           mode == TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT;
}

bool isFilter(int filter, bool minifying)
{
    if (filter == TINYGLTF_TEXTURE_FILTER_NEAREST || filter == TINYGLTF_TEXTURE_FILTER_LINEAR)
        return true;
    return minifying && filter >= TINYGLTF_TEXTURE_FILTER_NEAREST_MIPMAP_NEAREST &&
           filter <= TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
}
}

// The texture's sampler; what it leaves out, or gives as no mode there is, is repeating and trilinear.
TextureSampling Builder::samplingOf(int texture)
{
    TextureSampling sampling;
    int sampler = model.textures[static_cast<std::size_t>(texture)].sampler;
    if (sampler < 0)
        return sampling;
    std::string place = indexed("samplers", static_cast<std::size_t>(sampler));
    if (static_cast<std::size_t>(sampler) >= model.samplers.size())
    {
        report(indexed("textures", static_cast<std::size_t>(texture)),
               "names " + place + ", which the document does not have; it repeats");
        return sampling;
    }
    const tinygltf::Sampler& source = model.samplers[static_cast<std::size_t>(sampler)];
    if (!isWrapMode(source.wrapS) || !isWrapMode(source.wrapT) ||
        (source.magFilter != -1 && !isFilter(source.magFilter, false)) ||
        (source.minFilter != -1 && !isFilter(source.minFilter, true)))
    {
        report(place, "has a wrap mode or filter no sampler has; it repeats, filtered trilinearly");
        return sampling;
    }
    sampling.wrapS = source.wrapS;
    sampling.wrapT = source.wrapT;
    if (source.magFilter != -1)
        sampling.magFilter = source.magFilter;
    if (source.minFilter != -1)
        sampling.minFilter = source.minFilter;
    return sampling;
}

Image* Builder::imageOfTexture(int texture, const std::string& place)
{
    if (static_cast<std::size_t>(texture) >= model.textures.size())
    {
        report(place, "names textures[" + std::to_string(texture) + "], which the document does not have");
        return nullptr;
    }
    const tinygltf::Texture& textureOf = model.textures[static_cast<std::size_t>(texture)];
    if (textureOf.source < 0 && textureOf.extensions.count("KHR_texture_basisu") > 0)
    {
        report(indexed("textures", static_cast<std::size_t>(texture)),
               "holds a KTX2 picture, which the engine cannot decode; the material goes without it");
        return nullptr;
    }
    // glTF lets an extension give a texture's picture in place of its source; one the engine does not
    // draw was named with the document's extensions.
    int source = textureOf.source;
    if (source < 0)
        return nullptr;
    if (static_cast<std::size_t>(source) >= model.images.size())
    {
        report(indexed("textures", static_cast<std::size_t>(texture)),
               "names images[" + std::to_string(source) + "], which the document does not have");
        return nullptr;
    }
    const tinygltf::Image& image = model.images[static_cast<std::size_t>(source)];
    std::string imagePlace = indexed("images", static_cast<std::size_t>(source));
    if (!image.image.empty())
    {
        Image* embedded = engine.getImageManager()->getFromBytes(documentPath + "#" + imagePlace, image.image);
        if (embedded == nullptr)
            report(imagePlace, "is no PNG or JPEG picture the engine reads; the material goes without it");
        return embedded;
    }
    if (image.uri.empty() || image.uri.compare(0, 5, "data:") == 0)
    {
        report(imagePlace, "holds no picture; the material goes without it");
        return nullptr;
    }
    std::filesystem::path path = std::filesystem::path(documentFolder) / percentDecoded(image.uri);
    if (!insideFolder(path.string(), documentFolder.empty() ? "." : documentFolder))
    {
        report(imagePlace, "lies outside the document's folder and is not opened");
        return nullptr;
    }
    std::error_code unknown;
    if (!std::filesystem::is_regular_file(path, unknown))
    {
        report(imagePlace, "names the file " + image.uri + ", which is not there; the material goes without it");
        return nullptr;
    }
    Image* found = engine.getImageManager()->get(std::filesystem::absolute(path).string());
    if (found == nullptr)
        report(imagePlace, "cannot be read; the material goes without it");
    return found;
}

// glTF's default material: white, fully metallic and fully rough.
std::string Builder::defaultMaterial()
{
    if (defaultMaterialName.empty())
    {
        defaultMaterialName = documentPath + "#default material";
        if (!rendering)
            return defaultMaterialName;
        SinglePassAutoMapMaterial* material = metallicRoughnessMaterial(defaultMaterialName);
        material->setValue("baseColorFactor", MaterialValue::vector(1, 1, 1, 1));
        material->setValue("metallicFactor", MaterialValue::number(1));
        material->setValue("roughnessFactor", MaterialValue::number(1));
        material->drawDepthWithoutShading();
        engine.getMaterialManager()->add(material);
    }
    return defaultMaterialName;
}

void Builder::makeMeshes()
{
    for (std::size_t index = 0; index < model.meshes.size(); ++index)
    {
        std::string place = indexed("meshes", index);
        auto* mesh = new Mesh(documentPath + "#" + place);
        const std::vector<tinygltf::Primitive>& primitives = model.meshes[index].primitives;
        for (std::size_t part = 0; part < primitives.size(); ++part)
            if (SubMesh* subMesh = makeSubMesh(primitives[part], place + "." + indexed("primitives", part)))
                mesh->addSubMesh(subMesh);
        engine.getMeshManager()->add(mesh);
        meshes.push_back(mesh);
    }
}

namespace
{
bool drawnAttribute(const std::string& name, DrawnAttribute& drawn)
{
    if (name == "NORMAL")
        drawn = {VertexSemantic::Normal, 0, 3};
    else if (name == "JOINTS_0")
        drawn = {VertexSemantic::JointIndices, 0, 4};
    else if (name == "WEIGHTS_0")
        drawn = {VertexSemantic::JointWeights, 0, 4};
    else if (name == "COLOR_0")
        drawn = {VertexSemantic::Color, 0, 4};
    else if (name.compare(0, 9, "TEXCOORD_") == 0 && name.size() > 9 && name.size() < 12 &&
             std::all_of(name.begin() + 9, name.end(), ::isdigit))
        drawn = {VertexSemantic::TexCoord, std::stoi(name.substr(9)), 2};
    else
        return false;
    return drawn.set < texCoordSets;
}

// An RGB colour with an opaque alpha.
std::vector<float> opaque(const std::vector<float>& rgb)
{
    std::vector<float> rgba;
    for (std::size_t at = 0; at + 2 < rgb.size(); at += 3)
        rgba.insert(rgba.end(), {rgb[at], rgb[at + 1], rgb[at + 2], 1.0f});
    return rgba;
}
}

bool Builder::readPositions(const tinygltf::Primitive& primitive, const std::string& place, SubMesh& subMesh,
                            std::size_t& vertices)
{
    auto position = primitive.attributes.find("POSITION");
    if (position == primitive.attributes.end())
    {
        report(place, "has no POSITION attribute; it is left out");
        return false;
    }
    std::vector<float> values;
    int components = 0;
    std::string problem;
    if (!accessorValues.takeFloats(position->second, values, components, problem) || components != 3)
    {
        report(place + ".attributes.POSITION", problem.empty() ? "is no VEC3" : problem);
        report(place, "is left out without its positions");
        return false;
    }
    vertices = values.size() / 3;
    subMesh.setAttribute(VertexSemantic::Position, std::move(values));
    return true;
}

// One element for each vertex, else the primitive goes without the attribute.
bool Builder::readAttribute(int accessor, const DrawnAttribute& drawn, std::size_t vertices,
                            const std::string& place, SubMesh& subMesh)
{
    std::vector<float> values;
    int components = 0;
    std::string problem;
    if (!accessorValues.takeFloats(accessor, values, components, problem))
    {
        report(place, problem + "; the primitive goes without it");
        return false;
    }
    bool fits = components == drawn.components || (drawn.semantic == VertexSemantic::Color && components == 3);
    if (!fits || values.size() / static_cast<std::size_t>(components) != vertices)
    {
        report(place, "does not hold one " + std::to_string(drawn.components) +
                          "-component element for each of the primitive's " + std::to_string(vertices) +
                          " vertices; the primitive goes without it");
        return false;
    }
    subMesh.setAttribute(drawn.semantic, components == 3 && drawn.components == 4 ? opaque(values) : std::move(values),
                         drawn.set);
    return true;
}

bool Builder::readAttributes(const tinygltf::Primitive& primitive, const std::string& place, SubMesh& subMesh,
                             std::size_t& vertices)
{
    if (!readPositions(primitive, place, subMesh, vertices))
        return false;
    int sets = 0;
    for (const auto& [name, accessor] : primitive.attributes)
    {
        DrawnAttribute drawn;
        if (drawnAttribute(name, drawn) &&
            readAttribute(accessor, drawn, vertices, place + ".attributes." + name, subMesh) &&
            drawn.semantic == VertexSemantic::TexCoord)
            sets = std::max(sets, drawn.set + 1);
    }
    subMesh.setTexCoordSetCount(sets);
    return true;
}

namespace
{
// Offsets in a target: position, normal and tangent, at these places among a vertex's offsets.
const std::pair<const char*, std::size_t> morphedAttributes[] = {{"POSITION", 0}, {"NORMAL", 4}, {"TANGENT", 8}};
// Bounds the offsets of a damaged document, as the accessors' own cap does.
const std::size_t mostMorphOffsetFloats = std::size_t(1) << 27;
}

// The offsets each target gives its vertices' positions, normals and tangents; what a target leaves
// out, or gives unsoundly, moves nothing.
void Builder::readMorphTargets(const tinygltf::Primitive& primitive, const std::string& place, std::size_t vertices,
                               SubMesh& subMesh)
{
    std::size_t targets = primitive.targets.size();
    if (targets == 0)
        return;
    std::size_t perVertex = targets * SubMesh::floatsPerMorphOffset;
    if (vertices > mostMorphOffsetFloats / perVertex)
    {
        report(place + ".targets", "holds " + std::to_string(targets) + " targets of " + std::to_string(vertices) +
                                       " vertices, more than the engine morphs; it is drawn as it stands");
        return;
    }
    std::vector<float> offsets(vertices * perVertex, 0.0f);
    for (std::size_t target = 0; target < targets; ++target)
        for (const auto& [name, at] : morphedAttributes)
        {
            auto accessor = primitive.targets[target].find(name);
            if (accessor == primitive.targets[target].end())
                continue;
            std::string targetPlace = place + "." + indexed("targets", target) + "." + name;
            std::vector<float> values;
            int components = 0;
            std::string problem;
            if (!accessorValues.takeFloats(accessor->second, values, components, problem))
                report(targetPlace, problem + "; the target moves nothing there");
            else if (components != 3 || values.size() != vertices * 3)
                report(targetPlace, "does not hold one 3-component element for each of the primitive's " +
                                        std::to_string(vertices) + " vertices; the target moves nothing there");
            else
                for (std::size_t vertex = 0; vertex < vertices; ++vertex)
                    std::copy_n(&values[vertex * 3], 3, &offsets[vertex * perVertex + target * 12 + at]);
        }
    subMesh.setMorphTargets(targets, std::move(offsets));
}

std::vector<unsigned int> Builder::readIndices(const tinygltf::Primitive& primitive, const std::string& place,
                                               std::size_t vertices, unsigned int& largest, bool& sound)
{
    std::vector<unsigned int> indices;
    sound = true;
    largest = 0;
    if (primitive.indices < 0)
    {
        for (std::size_t vertex = 0; vertex < vertices; ++vertex)
            indices.push_back(static_cast<unsigned int>(vertex));
        largest = vertices > 0 ? static_cast<unsigned int>(vertices - 1) : 0;
        return indices;
    }
    std::string problem;
    if (!accessorValues.takeIndices(primitive.indices, indices, largest, problem))
    {
        report(place + ".indices", problem + "; the primitive is left out");
        sound = false;
        return indices;
    }
    if (largest >= vertices)
    {
        auto past = std::find_if(indices.begin(), indices.end(), [&](unsigned int index) { return index >= vertices; });
        report(place + ".indices", "holds the index " + std::to_string(*past) + ", past the primitive's " +
                                       std::to_string(vertices) + " vertices; the primitive is left out");
        sound = false;
    }
    return indices;
}

SubMesh* Builder::makeSubMesh(const tinygltf::Primitive& primitive, const std::string& place)
{
    if (primitive.mode < TINYGLTF_MODE_POINTS || primitive.mode > TINYGLTF_MODE_TRIANGLE_FAN)
    {
        report(place, "has the mode " + std::to_string(primitive.mode) + ", which no primitive has; it is left out");
        return nullptr;
    }
    auto subMesh = std::make_unique<SubMesh>();
    std::size_t vertices = 0;
    bool sound = false;
    if (!readAttributes(primitive, place, *subMesh, vertices))
        return nullptr;
    readMorphTargets(primitive, place, vertices, *subMesh);
    unsigned int largest = 0;
    std::vector<unsigned int> indices = readIndices(primitive, place, vertices, largest, sound);
    if (!sound)
        return nullptr;
    // Indices that stay as they were read keep the largest found on reading them.
    bool asRead = isList(primitive.mode, indices.size());
    indices = asList(std::move(indices), primitive.mode);
    subMesh->setPrimitive(primitiveOf(primitive.mode));
    // Given tangents go with given normals only.
    bool flat = subMesh->attribute(VertexSemantic::Normal) == nullptr && subMesh->getPrimitive() == SubMesh::triangles;
    if (flat)
        giveFlatNormals(*subMesh, indices);
    int normalSet = normalTextureSet(primitive.material);
    bool tangentsWorkedOut = normalSet >= 0 && subMesh->getPrimitive() == SubMesh::triangles &&
                             (flat || !readTangents(primitive, place, *subMesh));
    if (tangentsWorkedOut)
        computeTangents(*subMesh, normalSet, indices);
    if (asRead && !flat && !tangentsWorkedOut)
        subMesh->setIndices(std::move(indices), largest);
    else
        subMesh->setIndices(std::move(indices));
    bool known = primitive.material >= 0 && static_cast<std::size_t>(primitive.material) < materialNames.size();
    if (primitive.material >= 0 && !known)
        report(place, "names materials[" + std::to_string(primitive.material) +
                          "], which the document does not have; it is drawn with the default material");
    subMesh->setMaterialName(known ? materialNames[static_cast<std::size_t>(primitive.material)] : defaultMaterial());
    return subMesh.release();
}

// The texture-coordinate set the material's normal picture reads; -1 without a normal picture.
int Builder::normalTextureSet(int material) const
{
    if (material < 0 || static_cast<std::size_t>(material) >= model.materials.size())
        return -1;
    const tinygltf::NormalTextureInfo& normal = model.materials[static_cast<std::size_t>(material)].normalTexture;
    if (normal.index < 0)
        return -1;
    int set = normal.texCoord;
    auto transform = normal.extensions.find("KHR_texture_transform");
    if (transform != normal.extensions.end() && transform->second.IsObject() && transform->second.Has("texCoord") &&
        transform->second.Get("texCoord").IsInt())
        set = transform->second.Get("texCoord").GetNumberAsInt();
    return set == 1 ? 1 : 0;
}

// The primitive's own tangents (xyz and the bitangent's sign in w) as the engine's tangent and
// bitangent arrays; false when it has none that fit.
bool Builder::readTangents(const tinygltf::Primitive& primitive, const std::string& place, SubMesh& subMesh)
{
    auto accessor = primitive.attributes.find("TANGENT");
    const VertexAttribute* normals = subMesh.attribute(VertexSemantic::Normal);
    if (accessor == primitive.attributes.end() || normals == nullptr)
        return false;
    std::vector<float> values;
    int components = 0;
    std::string problem;
    std::size_t vertices = normals->vertexCount();
    if (!accessorValues.takeFloats(accessor->second, values, components, problem) || components != 4 ||
        values.size() != vertices * 4)
    {
        report(place + ".attributes.TANGENT", (problem.empty() ? "does not hold one VEC4 for each vertex" : problem) +
                                                  "; tangents are worked out instead");
        return false;
    }
    giveTangentFrame(subMesh, values);
    return true;
}

// By the MikkTSpace method, from the texture coordinates the normal picture reads; vertices whose
// corners need different tangents are split. Without those coordinates there is no frame to find.
void Builder::computeTangents(SubMesh& subMesh, int set, std::vector<unsigned int>& indices)
{
    const VertexAttribute* texCoords = subMesh.attribute(VertexSemantic::TexCoord, set);
    if (texCoords == nullptr)
        return;
    TangentFrames frames = Gltf::computeTangents({*subMesh.attribute(VertexSemantic::Position)->values,
                                                  *subMesh.attribute(VertexSemantic::Normal)->values,
                                                  *texCoords->values, indices});
    remapVertices(subMesh, frames.sourceVertex);
    giveTangentFrame(subMesh, frames.tangents);
    indices = std::move(frames.indices);
}

// The default scene, else the first; a document without scenes shows every node no other holds.
std::vector<int> Builder::rootNodes()
{
    if (!model.scenes.empty())
    {
        bool asked = selection.scene >= 0;
        if (asked && static_cast<std::size_t>(selection.scene) < model.scenes.size())
            return model.scenes[static_cast<std::size_t>(selection.scene)].nodes;
        if (asked)
            report("scenes", "has no scene " + std::to_string(selection.scene) + " of the " +
                                 std::to_string(model.scenes.size()) + " it holds; the default scene is shown");
        std::size_t chosen = model.defaultScene >= 0 ? static_cast<std::size_t>(model.defaultScene) : 0;
        if (chosen >= model.scenes.size())
        {
            report("scene", "names scenes[" + std::to_string(model.defaultScene) +
                                "], which the document does not have; scenes[0] is shown");
            chosen = 0;
        }
        return model.scenes[chosen].nodes;
    }
    std::vector<bool> held(model.nodes.size(), false);
    for (const tinygltf::Node& node : model.nodes)
        for (int child : node.children)
            if (child >= 0 && static_cast<std::size_t>(child) < held.size())
                held[static_cast<std::size_t>(child)] = true;
    std::vector<int> roots;
    for (std::size_t index = 0; index < held.size(); ++index)
        if (!held[index])
            roots.push_back(static_cast<int>(index));
    return roots;
}

void Builder::buildScene()
{
    struct Pending
    {
        int index;
        SceneNode* parent;
        std::size_t depth;
        std::string place;
    };
    std::vector<bool> placed(model.nodes.size(), false);
    madeNodes.assign(model.nodes.size(), nullptr);
    std::vector<Pending> pending;
    std::vector<int> roots = rootNodes();
    for (auto root = roots.rbegin(); root != roots.rend(); ++root)
        pending.push_back({*root, scene.getRoot(), 1, "scenes"});
    while (!pending.empty())
    {
        Pending next = pending.back();
        pending.pop_back();
        if (next.index < 0 || static_cast<std::size_t>(next.index) >= model.nodes.size())
        {
            report(next.place, "names nodes[" + std::to_string(next.index) + "], which the document does not have");
            continue;
        }
        std::size_t index = static_cast<std::size_t>(next.index);
        if (placed[index])
        {
            report(indexed("nodes", index), "is held by more than one node or by itself; it is placed once");
            continue;
        }
        placed[index] = true;
        if (next.depth > deepestNode)
        {
            report(indexed("nodes", index), "lies deeper than " + std::to_string(deepestNode) +
                                                " levels; it and the nodes below it are left out");
            continue;
        }
        SceneNode* made = makeNode(index, *next.parent);
        madeNodes[index] = made;
        const std::vector<int>& children = model.nodes[index].children;
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            pending.push_back({*child, made, next.depth + 1, indexed("nodes", index) + ".children"});
    }
}

std::string Builder::uniqueChildName(const SceneNode& parent, const std::string& wanted, std::size_t index)
{
    std::string name = wanted.empty() ? indexed("nodes", index) : wanted;
    if (parent.getChildren().count(name) > 0)
        name += " " + indexed("nodes", index);
    return name;
}

SceneNode* Builder::makeNode(std::size_t index, SceneNode& parent)
{
    const tinygltf::Node& node = model.nodes[index];
    auto* made = new SceneNode(uniqueChildName(parent, node.name, index));
    made->setTransform(transformOf(node));
    parent.addChild(made);
    if (node.mesh >= 0)
    {
        if (static_cast<std::size_t>(node.mesh) < meshes.size())
        {
            auto* meshNode = new MeshNode(made->getName() + "_mesh", meshes[static_cast<std::size_t>(node.mesh)]);
            made->addChild(meshNode);
            const std::vector<double>& weights =
                node.weights.empty() ? model.meshes[static_cast<std::size_t>(node.mesh)].weights : node.weights;
            meshNode->setMorphWeights(std::vector<float>(weights.begin(), weights.end()));
            meshNodes[index] = meshNode;
            if (node.skin >= 0)
                skinned.push_back({index, meshNode});
        }
        else
            report(indexed("nodes", index), "names meshes[" + std::to_string(node.mesh) +
                                                "], which the document does not have");
    }
    attachCamera(node, index, *made);
    attachLight(node, index, *made);
    return made;
}

void Builder::attachCamera(const tinygltf::Node& node, std::size_t index, SceneNode& made)
{
    if (node.camera < 0)
        return;
    if (static_cast<std::size_t>(node.camera) >= model.cameras.size())
    {
        report(indexed("nodes", index), "names cameras[" + std::to_string(node.camera) +
                                            "], which the document does not have");
        return;
    }
    const tinygltf::Camera& source = model.cameras[static_cast<std::size_t>(node.camera)];
    auto* camera = new CameraNode(made.getName() + "_camera");
    const tinygltf::OrthographicCamera& orthographic = source.orthographic;
    if (source.type == "perspective" && source.perspective.yfov > 0 && source.perspective.znear > 0)
    {
        camera->setFov(static_cast<float>(source.perspective.yfov));
        camera->setNear(static_cast<float>(source.perspective.znear));
        if (source.perspective.zfar > source.perspective.znear)
            camera->setFar(static_cast<float>(source.perspective.zfar));
    }
    else if (source.type == "orthographic" && orthographic.ymag > 0 && orthographic.znear >= 0 &&
             orthographic.zfar > orthographic.znear && std::isfinite(orthographic.ymag) &&
             std::isfinite(orthographic.zfar))
    {
        // The viewport's aspect sets the width, as it does for a perspective camera.
        camera->setNear(static_cast<float>(orthographic.znear));
        camera->setFar(static_cast<float>(orthographic.zfar));
        camera->setOrthographic(static_cast<float>(orthographic.ymag));
    }
    else
        report(indexed("cameras", static_cast<std::size_t>(node.camera)),
               "is no camera the engine draws; it is drawn with the engine's perspective");
    made.addChild(camera);
    if (!cameraChosen)
        scene.setActiveCamera(camera);
    cameraChosen = true;
}

// Intensities as they stand: a directional light's lux scale its colour; a point or spot light's
// candela do so over 1 + d * d, inverse square beyond a metre.
void Builder::attachLight(const tinygltf::Node& node, std::size_t index, SceneNode& made)
{
    auto extension = node.extensions.find("KHR_lights_punctual");
    if (extension == node.extensions.end() || !extension->second.Has("light"))
        return;
    int lightIndex = extension->second.Get("light").IsNumber() ? extension->second.Get("light").GetNumberAsInt() : -1;
    if (lightIndex < 0 || static_cast<std::size_t>(lightIndex) >= model.lights.size())
    {
        report(indexed("nodes", index) + ".extensions.KHR_lights_punctual",
               "names lights[" + std::to_string(lightIndex) + "], which the document does not have");
        return;
    }
    const tinygltf::Light& source = model.lights[static_cast<std::size_t>(lightIndex)];
    LightKind kind = source.type == "directional" ? LightKind::Directional
                     : source.type == "spot"      ? LightKind::Spot
                                                  : LightKind::Point;
    auto* light = new LightNode(made.getName() + "_light", kind);
    std::vector<double> color = source.color.size() == 3 ? source.color : std::vector<double>{1, 1, 1};
    light->setColor(std::make_shared<Vector4>(static_cast<float>(color[0]), static_cast<float>(color[1]),
                                              static_cast<float>(color[2]), 1.0f));
    light->setDiffuseCoefficient(static_cast<float>(source.intensity));
    if (kind != LightKind::Directional)
    {
        light->setConstAttenuation(1.0f);
        light->setQuadraticAttenuation(1.0f);
    }
    if (kind == LightKind::Spot)
    {
        light->setFalloffAngle(static_cast<float>(2 * source.spot.outerConeAngle));
        light->setHotspotAngle(static_cast<float>(2 * source.spot.innerConeAngle));
        light->setFov(static_cast<float>(2 * source.spot.outerConeAngle));
    }
    made.addChild(light);
}

// The skin's joints are nodes of the scene; one the scene does not hold keeps its vertices where
// they were bound.
void Builder::bindSkin(std::size_t nodeIndex, MeshNode& meshNode)
{
    const tinygltf::Node& node = model.nodes[nodeIndex];
    std::string place = indexed("nodes", nodeIndex);
    if (static_cast<std::size_t>(node.skin) >= model.skins.size())
        return report(place, "names skins[" + std::to_string(node.skin) + "], which the document does not have");
    const tinygltf::Skin& skin = model.skins[static_cast<std::size_t>(node.skin)];
    std::string skinPlace = indexed("skins", static_cast<std::size_t>(node.skin));
    std::vector<const SceneNode*> joints;
    for (int joint : skin.joints)
        joints.push_back(joint >= 0 && static_cast<std::size_t>(joint) < madeNodes.size()
                             ? madeNodes[static_cast<std::size_t>(joint)]
                             : nullptr);
    std::vector<Matrix4> inverseBindMatrices(joints.size());
    if (skin.inverseBindMatrices >= 0)
    {
        std::vector<float> values;
        int components = 0;
        std::string problem;
        if (!accessorValues.takeFloats(skin.inverseBindMatrices, values, components, problem))
            report(skinPlace + ".inverseBindMatrices", problem + "; the joints are bound where they stand");
        else if (components != 16 || values.size() / 16 != joints.size())
            report(skinPlace + ".inverseBindMatrices", "does not hold one matrix for each of the " +
                                                           std::to_string(joints.size()) +
                                                           " joints; the joints are bound where they stand");
        else
            for (std::size_t joint = 0; joint < joints.size(); ++joint)
                inverseBindMatrices[joint] =
                    columnMajor(std::vector<double>(values.begin() + static_cast<std::ptrdiff_t>(joint * 16),
                                                    values.begin() + static_cast<std::ptrdiff_t>(joint * 16 + 16)));
    }
    dropUnknownJoints(meshNode, joints.size(), skinPlace);
    meshNode.setSkin(std::make_unique<Skin>(std::move(joints), std::move(inverseBindMatrices)));
}

// A vertex may name only joints its skin has: the weight of any other goes.
void Builder::dropUnknownJoints(MeshNode& meshNode, std::size_t jointCount, const std::string& skinPlace)
{
    for (SubMesh* subMesh : meshNode.getMesh()->getSubMeshes())
    {
        const VertexAttribute* indices = subMesh->attribute(VertexSemantic::JointIndices);
        const VertexAttribute* weights = subMesh->attribute(VertexSemantic::JointWeights);
        if (indices == nullptr || weights == nullptr || indices->values->size() != weights->values->size())
            continue;
        std::vector<float> kept = *weights->values;
        bool dropped = false;
        for (std::size_t at = 0; at < kept.size(); ++at)
            if ((*indices->values)[at] >= static_cast<float>(jointCount) && kept[at] != 0)
            {
                kept[at] = 0;
                dropped = true;
            }
        if (!dropped)
            continue;
        report(meshNode.getMesh()->getName().substr(documentPath.size() + 1),
               "names joints past the " + std::to_string(jointCount) + " of " + skinPlace +
                   "; their weights are dropped");
        subMesh->setAttribute(VertexSemantic::JointWeights, std::move(kept));
    }
}

namespace
{
TrsAnimation::Interpolation interpolationOf(const std::string& name, bool& known)
{
    known = name == "LINEAR" || name == "STEP" || name == "CUBICSPLINE";
    if (name == "STEP")
        return TrsAnimation::Interpolation::Step;
    return name == "CUBICSPLINE" ? TrsAnimation::Interpolation::CubicSpline : TrsAnimation::Interpolation::Linear;
}

std::array<float, 4> restRotationOf(const tinygltf::Node& node)
{
    if (node.rotation.size() != 4)
        return {0, 0, 0, 1};
    return {static_cast<float>(node.rotation[0]), static_cast<float>(node.rotation[1]),
            static_cast<float>(node.rotation[2]), static_cast<float>(node.rotation[3])};
}

Vector3 restVectorOf(const std::vector<double>& values, float otherwise)
{
    if (values.size() != 3)
        return Vector3(otherwise, otherwise, otherwise);
    return Vector3(static_cast<float>(values[0]), static_cast<float>(values[1]), static_cast<float>(values[2]));
}
}

// Every animation of the document plays at once: each animated node gets one animation of the
// channels that move it.
void Builder::makeAnimations()
{
    std::map<int, TrsAnimation*> animated;
    bool anyPlays = false;
    for (std::size_t index = 0; index < model.animations.size(); ++index)
    {
        if (!plays(index))
            continue;
        anyPlays = true;
        const tinygltf::Animation& animation = model.animations[index];
        for (std::size_t channel = 0; channel < animation.channels.size(); ++channel)
            addChannel(animation, animation.channels[channel],
                       indexed("animations", index) + "." + indexed("channels", channel), animated);
    }
    if (!selection.animation.empty() && !anyPlays)
        report("animations", "has no animation '" + selection.animation + "'; none plays");
    for (const auto& [node, made] : animated)
        scene.addAnimation(made);
    scene.setTime(scene.getTime());
}

// glTF gives every primitive of a mesh the same number of targets.
std::size_t Builder::morphTargetCountOf(int mesh) const
{
    const std::vector<tinygltf::Primitive>& primitives = model.meshes[static_cast<std::size_t>(mesh)].primitives;
    return primitives.empty() ? 0 : primitives.front().targets.size();
}

bool Builder::plays(std::size_t animation)
{
    const std::string& asked = selection.animation;
    if (asked.empty() || model.animations[animation].name == asked)
        return true;
    return std::all_of(asked.begin(), asked.end(), ::isdigit) && asked.size() < 10 &&
           static_cast<std::size_t>(std::stoul(asked)) == animation;
}

void Builder::addChannel(const tinygltf::Animation& animation, const tinygltf::AnimationChannel& channel,
                         const std::string& place, std::map<int, TrsAnimation*>& animated)
{
    const std::string& path = channel.target_path;
    if (channel.target_node < 0 || static_cast<std::size_t>(channel.target_node) >= madeNodes.size())
        return report(place, "moves nodes[" + std::to_string(channel.target_node) +
                                 "], which the document does not have; it is left out");
    // A node of another scene than the one shown.
    if (madeNodes[static_cast<std::size_t>(channel.target_node)] == nullptr)
        return;
    if (path != "translation" && path != "rotation" && path != "scale" && path != "weights")
        return report(place, "animates the path '" + path + "', which no node has; it is left out");
    const tinygltf::Node& node = model.nodes[static_cast<std::size_t>(channel.target_node)];
    MeshNode* meshNode = meshNodes[static_cast<std::size_t>(channel.target_node)];
    if (path == "weights" && meshNode == nullptr)
        return report(place, "animates the morph weights of a node without a mesh; it is left out");
    if (path != "weights" && node.matrix.size() == 16)
        return report(place, "moves a node given by a matrix, which glTF does not allow; it is left out");
    if (channel.sampler < 0 || static_cast<std::size_t>(channel.sampler) >= animation.samplers.size())
        return report(place, "names samplers[" + std::to_string(channel.sampler) +
                                 "], which its animation does not have; it is left out");
    const tinygltf::AnimationSampler& sampler = animation.samplers[static_cast<std::size_t>(channel.sampler)];
    TrsAnimation::Track track;
    track.path = path == "translation" ? TrsAnimation::Path::Translation
                 : path == "rotation"  ? TrsAnimation::Path::Rotation
                 : path == "scale"     ? TrsAnimation::Path::Scale
                                       : TrsAnimation::Path::Weights;
    bool knownInterpolation = false;
    track.interpolation = interpolationOf(sampler.interpolation, knownInterpolation);
    if (!knownInterpolation)
        report(place, "has the interpolation '" + sampler.interpolation + "', which glTF has not; it goes in "
                      "straight lines");
    std::string problem;
    int components = 0;
    if (!accessorValues.takeFloats(sampler.input, track.times, components, problem) ||
        !accessorValues.takeFloats(sampler.output, track.values, components, problem))
        return report(place, problem + "; it is left out");
    // Weights are scalars, one for each target at each key.
    std::size_t width = track.path == TrsAnimation::Path::Weights    ? 1
                        : track.path == TrsAnimation::Path::Rotation ? 4
                                                                      : 3;
    if (!track.times.empty() && static_cast<std::size_t>(components) != width)
        return report(place, "has keys of " + std::to_string(components) + " values where its path takes " +
                                 std::to_string(width) + "; it is left out");
    TrsAnimation*& target = animated[channel.target_node];
    if (target == nullptr)
    {
        target = new TrsAnimation(restVectorOf(node.translation, 0), restRotationOf(node), restVectorOf(node.scale, 1));
        target->setTarget(madeNodes[static_cast<std::size_t>(channel.target_node)]);
        if (meshNode != nullptr)
            target->setWeightsTarget(meshNode, morphTargetCountOf(node.mesh));
    }
    if (!target->addTrack(std::move(track)))
        report(place, "has keys whose times go back, or values that do not fit its keys; it is left out");
}

}
