#include "gltf/GltfChecks.h"

#include "gltf/GltfAccessors.h"
#include "gltf/GltfReading.h"
#include "gltf/GltfReport.h"
#include "pellux/foundation/FileChecks.h"
#include "pellux/foundation/Logger.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

namespace Pellux::Gltf
{

namespace
{
using Json = nlohmann::json;

// How far a unit vector, a unit quaternion or a sum of weights may stray from length 1.
const double unitTolerance = 5e-4;
// Deeper JSON is not walked; no glTF object nests nearly as deep.
const std::size_t deepestWalked = 32;

std::string member(const std::string& place, const std::string& name)
{
    return place.empty() ? name : place + "." + name;
}

std::string number(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

bool resolves(int index, std::size_t count)
{
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

bool declares(const std::vector<std::string>& extensions, const std::string& name)
{
    return std::find(extensions.begin(), extensions.end(), name) != extensions.end();
}

bool isFloatAccessor(const tinygltf::Model& model, int accessor)
{
    return resolves(accessor, model.accessors.size()) &&
           model.accessors[static_cast<std::size_t>(accessor)].componentType == TINYGLTF_COMPONENT_TYPE_FLOAT;
}

// The semantic and set of an attribute's name: "TEXCOORD" and 1 of "TEXCOORD_1", -1 for a semantic
// without sets and for an application's own attribute, whose name begins with "_". False for a name glTF
// does not have.
bool attributeNameOf(const std::string& name, std::string& semantic, int& set)
{
    static const char* const single[] = {"POSITION", "NORMAL", "TANGENT"};
    static const char* const numbered[] = {"TEXCOORD", "COLOR", "JOINTS", "WEIGHTS"};
    set = -1;
    semantic = name;
    if ((!name.empty() && name[0] == '_') || std::find(std::begin(single), std::end(single), name) != std::end(single))
        return true;
    std::size_t separator = name.rfind('_');
    if (separator == std::string::npos)
        return false;
    semantic = name.substr(0, separator);
    std::string digits = name.substr(separator + 1);
    bool wellFormed = !digits.empty() && digits.size() < 6 && (digits == "0" || digits[0] != '0') &&
                      std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!wellFormed || std::find(std::begin(numbered), std::end(numbered), semantic) == std::end(numbered))
        return false;
    set = std::stoi(digits);
    return true;
}

// The major and minor number of a version written "major.minor"; false for any other text.
bool versionOf(const std::string& text, int& major, int& minor)
{
    auto isNumber = [](const std::string& part) {
        return !part.empty() && part.size() < 10 &&
               std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    std::size_t dot = text.find('.');
    if (dot == std::string::npos || !isNumber(text.substr(0, dot)) || !isNumber(text.substr(dot + 1)))
        return false;
    major = std::stoi(text.substr(0, dot));
    minor = std::stoi(text.substr(dot + 1));
    return true;
}

// False when the document is of another major version than 2, whose objects mean other things.
bool checkAsset(const tinygltf::Asset& asset, DocumentReport& findings)
{
    int major = 0;
    int minor = 0;
    if (!versionOf(asset.version, major, minor))
    {
        findings("asset.version", "'" + asset.version + "' is no version of the form major.minor");
        return true;
    }
    if (major != 2)
    {
        findings("asset.version",
                        "is " + asset.version + ", and the engine reads glTF 2 only; nothing is loaded");
        return false;
    }
    int leastMajor = 0;
    int leastMinor = 0;
    if (asset.minVersion.empty())
        return true;
    if (!versionOf(asset.minVersion, leastMajor, leastMinor))
        findings("asset.minVersion", "'" + asset.minVersion + "' is no version of the form major.minor");
    else if (std::make_pair(leastMajor, leastMinor) > std::make_pair(major, minor))
        findings("asset.minVersion", "is " + asset.minVersion + ", above the version " + asset.version);
    if (std::make_pair(leastMajor, leastMinor) > std::make_pair(2, 0))
    {
        findings("asset.minVersion", "asks for glTF " + asset.minVersion +
                                                " at least, and the engine reads 2.0; nothing is loaded");
        return false;
    }
    return true;
}

// The document's JSON text, and on the way a GLB container's chunks checked: each a whole number of
// 4-byte words, and neither JSON nor BIN twice.
class DocumentText
{
public:
    DocumentText(const std::string& path, DocumentReport& findings) : path(path), findings(findings) {}

    std::string read()
    {
        std::ifstream file(path, std::ios::binary);
        char magic[4] = {};
        if (file.read(magic, sizeof magic) && std::memcmp(magic, "glTF", 4) == 0)
            return containerJson(file);
        file.clear();
        file.seekg(0);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

private:
    static constexpr std::uint32_t jsonChunk = 0x4E4F534A;
    static constexpr std::uint32_t binChunk = 0x004E4942;
    static constexpr std::uint64_t headerBytes = 12;
    static constexpr std::uint64_t chunkHeaderBytes = 8;

    std::string containerJson(std::ifstream& file)
    {
        std::error_code unknown;
        std::uint64_t size = std::filesystem::file_size(path, unknown);
        std::string json;
        std::set<std::uint32_t> seen;
        char header[chunkHeaderBytes];
        for (std::uint64_t at = headerBytes; !unknown && at + chunkHeaderBytes <= size;)
        {
            file.seekg(static_cast<std::streamoff>(at));
            if (!file.read(header, sizeof header))
                break;
            std::uint32_t length = 0;
            std::uint32_t type = 0;
            std::memcpy(&length, header, 4);
            std::memcpy(&type, header + 4, 4);
            checkChunk(at, length, type, seen);
            if (type == jsonChunk && json.empty())
            {
                json.resize(static_cast<std::size_t>(std::min<std::uint64_t>(length, size - at - chunkHeaderBytes)));
                file.read(json.data(), static_cast<std::streamsize>(json.size()));
            }
            at += chunkHeaderBytes + length;
        }
        return json;
    }

    void checkChunk(std::uint64_t at, std::uint32_t length, std::uint32_t type, std::set<std::uint32_t>& seen)
    {
        std::string where = "its GLB chunk at byte " + std::to_string(at);
        if (length % 4 != 0)
            findings("", where + " is " + std::to_string(length) + " bytes long, not a multiple of 4");
        if ((type == jsonChunk || type == binChunk) && !seen.insert(type).second)
            findings("", where + " is a second " + (type == jsonChunk ? "JSON" : "BIN") +
                                    " chunk, which is not read");
    }

    const std::string& path;
    DocumentReport& findings;
};

// Where an extension the engine draws may stand: its owner's kind, the path of member names from the
// root without indices ("" for the root, "nodes"), and the member it must have there. An extension
// with no owner stands nowhere.
struct Placement
{
    const char* extension;
    const char* owner;
    const char* required;
};

// The owner kind of every texture reference of a material, each a member named "...Texture".
const char* const anyTextureInfo = "a texture reference";

const Placement placements[] = {
    {"KHR_lights_punctual", "", "lights"},
    {"KHR_lights_punctual", "nodes", "light"},
    {"KHR_materials_unlit", "materials", nullptr},
    {"KHR_materials_emissive_strength", "materials", nullptr},
    {"KHR_texture_transform", anyTextureInfo, nullptr},
    {"KHR_texture_basisu", "textures", "source"},
    {"KHR_draco_mesh_compression", "meshes.primitives", "bufferView"},
    {"EXT_meshopt_compression", "bufferViews", "buffer"},
    {"EXT_meshopt_compression", "buffers", nullptr},
    {"KHR_mesh_quantization", nullptr, nullptr},
};

bool ownedBy(const std::string& kind, const char* owner)
{
    const std::string suffix = "Texture";
    if (owner == anyTextureInfo)
        return kind.size() > suffix.size() && kind.compare(kind.size() - suffix.size(), suffix.size(), suffix) == 0;
    return owner != nullptr && kind == owner;
}

// The JSON as written, where tinygltf ignores or defaults what it does not expect: empty arrays,
// collections of another type, extensions undeclared or out of place, and properties whose presence
// tinygltf does not keep.
class JsonCheck
{
public:
    JsonCheck(const Json& document, const tinygltf::Model& model, DocumentReport& findings)
        : document(document), model(model), findings(findings)
    {
    }

    void run()
    {
        if (!document.is_object())
            return;
        walk();
        checkRootTypes();
        checkAccessorOffsets();
        checkCameraProjections();
        checkNodeTransforms();
    }

private:
    struct Visit
    {
        const Json* value;
        std::string place;
        std::string kind;
        std::size_t depth;
    };

    // Every array and object but extras, depth first, without recursion.
    void walk()
    {
        std::vector<Visit> pending{{&document, "", "", 0}};
        while (!pending.empty())
        {
            Visit visit = std::move(pending.back());
            pending.pop_back();
            if (visit.value->is_array() && visit.value->empty())
                findings(visit.place, "is empty, which glTF does not allow");
            if (visit.depth >= deepestWalked)
                continue;
            if (visit.value->is_array())
                for (std::size_t index = 0; index < visit.value->size(); ++index)
                {
                    const Json& element = (*visit.value)[index];
                    if (element.is_structured())
                        pending.push_back({&element, indexed(visit.place, index), visit.kind, visit.depth + 1});
                }
            else
                for (const auto& [name, value] : visit.value->items())
                {
                    if (name == "extras" || !value.is_structured())
                        continue;
                    if (name == "extensions" && value.is_object())
                        checkExtensions(value, member(visit.place, name), visit.kind);
                    pending.push_back({&value, member(visit.place, name), member(visit.kind, name), visit.depth + 1});
                }
        }
    }

    void checkExtensions(const Json& extensions, const std::string& place, const std::string& ownerKind)
    {
        for (const auto& [name, body] : extensions.items())
        {
            std::string at = place + "." + name;
            if (!declares(model.extensionsUsed, name))
                findings(at, "is not declared in extensionsUsed");
            bool known = false;
            const Placement* found = nullptr;
            for (const Placement& placement : placements)
            {
                known = known || name == placement.extension;
                if (name == placement.extension && ownedBy(ownerKind, placement.owner))
                    found = &placement;
            }
            if (known && found == nullptr)
                findings(at, "stands where " + name + " has no meaning; it is ignored");
            else if (found != nullptr && found->required != nullptr && body.is_object() &&
                     !body.contains(found->required))
                findings(at, "has no " + std::string(found->required) + ", which it must have");
        }
    }

    void checkRootTypes()
    {
        static const char* const collections[] = {"accessors", "animations", "buffers", "bufferViews", "cameras",
                                                  "images", "materials", "meshes", "nodes", "samplers",
                                                  "scenes", "skins", "textures"};
        for (const char* name : collections)
            if (document.contains(name) && !document[name].is_array())
                findings(name, "is no array; the document is read without it");
    }

    void checkAccessorOffsets()
    {
        const Json* accessors = rootArray("accessors");
        for (std::size_t index = 0; accessors != nullptr && index < accessors->size(); ++index)
        {
            const Json& accessor = (*accessors)[index];
            if (accessor.is_object() && accessor.contains("byteOffset") && !accessor.contains("bufferView"))
                findings(indexed("accessors", index) + ".byteOffset", "is given without a bufferView");
        }
    }

    void checkCameraProjections()
    {
        const Json* cameras = rootArray("cameras");
        for (std::size_t index = 0; cameras != nullptr && index < cameras->size(); ++index)
        {
            const Json& camera = (*cameras)[index];
            if (camera.is_object() && camera.contains("perspective") && camera.contains("orthographic"))
                findings(indexed("cameras", index),
                                "has both a perspective and an orthographic projection; its type says which is used");
        }
    }

    // tinygltf reads a node's matrix and drops its translation, rotation and scale.
    void checkNodeTransforms()
    {
        const Json* nodes = rootArray("nodes");
        for (std::size_t index = 0; nodes != nullptr && index < nodes->size(); ++index)
        {
            const Json& node = (*nodes)[index];
            if (node.is_object() && node.contains("matrix") &&
                (node.contains("translation") || node.contains("rotation") || node.contains("scale")))
                findings(indexed("nodes", index),
                                "has both a matrix and a translation, rotation or scale; the matrix is used");
        }
    }

    const Json* rootArray(const char* name) const
    {
        if (!document.is_object() || !document.contains(name) || !document[name].is_array())
            return nullptr;
        return &document[name];
    }

    const Json& document;
    const tinygltf::Model& model;
    DocumentReport& findings;
};

// The references, values and structure of the read document where the builder may never look: objects
// nothing else names, nodes of no scene, and values the builder takes as they stand.
class StructureCheck
{
public:
    StructureCheck(const tinygltf::Model& model, const BufferBytes& buffers, DocumentReport& findings)
        : model(model), buffers(buffers), findings(findings)
    {
    }

    void run()
    {
        checkExtensionLists();
        checkReferences();
        checkAccessors();
        checkBufferViews();
        checkCameras();
        checkLights();
        checkMaterials();
        checkMeshes();
        checkNodes();
        checkNodeLoops();
        checkScenes();
        checkSkins();
        checkAnimations();
    }

private:
    void reference(const std::string& place, int index, std::size_t count, const char* array)
    {
        if (index < -1 || (index >= 0 && static_cast<std::size_t>(index) >= count))
            findings(place, "names " + std::string(array) + "[" + std::to_string(index) +
                                       "], which the document does not have");
    }

    void checkExtensionLists()
    {
        for (const auto* list : {&model.extensionsUsed, &model.extensionsRequired})
            for (auto name = list->begin(); name != list->end(); ++name)
                if (std::find(list->begin(), name, *name) != name)
                    findings(list == &model.extensionsUsed ? "extensionsUsed" : "extensionsRequired",
                                    "names " + *name + " more than once");
        if (declares(model.extensionsUsed, "KHR_mesh_quantization") &&
            !declares(model.extensionsRequired, "KHR_mesh_quantization"))
            findings("extensionsRequired", "lacks KHR_mesh_quantization, which may not be optional");
    }

    void checkReferences()
    {
        for (std::size_t index = 0; index < model.accessors.size(); ++index)
        {
            const tinygltf::Accessor& accessor = model.accessors[index];
            std::string place = indexed("accessors", index);
            reference(place + ".bufferView", accessor.bufferView, model.bufferViews.size(), "bufferViews");
            if (!accessor.sparse.isSparse)
                continue;
            reference(place + ".sparse.indices.bufferView", accessor.sparse.indices.bufferView,
                      model.bufferViews.size(), "bufferViews");
            reference(place + ".sparse.values.bufferView", accessor.sparse.values.bufferView,
                      model.bufferViews.size(), "bufferViews");
        }
        for (std::size_t index = 0; index < model.bufferViews.size(); ++index)
            reference(indexed("bufferViews", index) + ".buffer", model.bufferViews[index].buffer, model.buffers.size(),
                      "buffers");
        for (std::size_t index = 0; index < model.textures.size(); ++index)
        {
            std::string place = indexed("textures", index);
            reference(place + ".sampler", model.textures[index].sampler, model.samplers.size(), "samplers");
            reference(place + ".source", model.textures[index].source, model.images.size(), "images");
        }
        for (std::size_t index = 0; index < model.skins.size(); ++index)
        {
            const tinygltf::Skin& skin = model.skins[index];
            std::string place = indexed("skins", index);
            reference(place + ".inverseBindMatrices", skin.inverseBindMatrices, model.accessors.size(), "accessors");
            reference(place + ".skeleton", skin.skeleton, model.nodes.size(), "nodes");
            for (std::size_t joint = 0; joint < skin.joints.size(); ++joint)
                reference(indexed(place + ".joints", joint), skin.joints[joint], model.nodes.size(), "nodes");
        }
        if (model.scenes.empty() && model.defaultScene >= 0)
            findings("scene", "names " + indexed("scenes", static_cast<std::size_t>(model.defaultScene)) +
                                         ", but the document has no scenes");
    }

    void checkAccessors()
    {
        for (std::size_t index = 0; index < model.accessors.size(); ++index)
        {
            const tinygltf::Accessor& accessor = model.accessors[index];
            if (accessor.normalized && (accessor.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT ||
                                        accessor.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT))
                findings(indexed("accessors", index) + ".normalized",
                                "is set for floats or unsigned ints, where only bytes and shorts may be normalized");
        }
    }

    void checkBufferViews()
    {
        for (std::size_t index = 0; index < model.bufferViews.size(); ++index)
        {
            const tinygltf::BufferView& view = model.bufferViews[index];
            std::string place = indexed("bufferViews", index);
            if (resolves(view.buffer, model.buffers.size()))
            {
                std::size_t size = buffers.size(view.buffer);
                if (view.byteOffset > size || view.byteLength > size - view.byteOffset)
                    findings(place, "reaches past the " + std::to_string(size) + " bytes of " +
                                               indexed("buffers", static_cast<std::size_t>(view.buffer)));
            }
            if (view.byteStride > view.byteLength)
                findings(place + ".byteStride", "is " + std::to_string(view.byteStride) + ", more than the " +
                                                           std::to_string(view.byteLength) + " bytes of its view");
            if (view.byteStride != 0 && view.target == TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER)
                findings(place + ".byteStride", "is given for a view of indices, which are packed");
        }
    }

    void checkCameras()
    {
        for (std::size_t index = 0; index < model.cameras.size(); ++index)
        {
            const tinygltf::Camera& camera = model.cameras[index];
            std::string place = indexed("cameras", index);
            if (camera.type == "orthographic")
            {
                const tinygltf::OrthographicCamera& box = camera.orthographic;
                if (box.xmag == 0 || box.ymag == 0)
                    findings(place + ".orthographic", "has an xmag or ymag of 0");
                checkDepthRange(place + ".orthographic", box.znear, box.zfar);
            }
            // A perspective camera without zfar reaches to infinity, which tinygltf reads as 0.
            else if (camera.type == "perspective" && camera.perspective.zfar != 0)
                checkDepthRange(place + ".perspective", camera.perspective.znear, camera.perspective.zfar);
        }
    }

    void checkDepthRange(const std::string& place, double znear, double zfar)
    {
        if (!(zfar > znear))
            findings(place, "has a zfar of " + number(zfar) + ", not beyond its znear of " + number(znear));
    }

    void checkLights()
    {
        const double rightAngle = std::acos(0.0);
        for (std::size_t index = 0; index < model.lights.size(); ++index)
        {
            const tinygltf::Light& light = model.lights[index];
            const tinygltf::SpotLight& spot = light.spot;
            if (light.type == "spot" &&
                !(spot.innerConeAngle >= 0 && spot.innerConeAngle < spot.outerConeAngle &&
                  spot.outerConeAngle <= rightAngle))
                findings(indexed("extensions.KHR_lights_punctual.lights", index) + ".spot",
                                "has the cone angles " + number(spot.innerConeAngle) + " and " +
                                    number(spot.outerConeAngle) + ", where 0 <= inner < outer <= pi / 2 must hold");
        }
    }

    void checkMaterials()
    {
        for (std::size_t index = 0; index < model.materials.size(); ++index)
        {
            const tinygltf::ExtensionMap& extensions = model.materials[index].extensions;
            auto strength = extensions.find("KHR_materials_emissive_strength");
            if (strength == extensions.end() || !strength->second.Has("emissiveStrength"))
                continue;
            const tinygltf::Value& value = strength->second.Get("emissiveStrength");
            if (value.IsNumber() && value.GetNumberAsDouble() < 0)
                findings(indexed("materials", index) +
                                    ".extensions.KHR_materials_emissive_strength.emissiveStrength",
                                "is " + number(value.GetNumberAsDouble()) + ", below 0");
        }
    }

    void checkMeshes()
    {
        for (std::size_t mesh = 0; mesh < model.meshes.size(); ++mesh)
        {
            const std::vector<tinygltf::Primitive>& primitives = model.meshes[mesh].primitives;
            std::string place = indexed("meshes", mesh);
            for (std::size_t part = 0; part < primitives.size(); ++part)
            {
                std::string primitive = place + "." + indexed("primitives", part);
                checkAttributes(primitives[part].attributes, primitive + ".attributes");
                checkMorphTargets(primitives[part], primitive);
                if (primitives[part].targets.size() != primitives.front().targets.size())
                    findings(primitive + ".targets",
                                    "has " + std::to_string(primitives[part].targets.size()) +
                                        " morph targets where primitives[0] has " +
                                        std::to_string(primitives.front().targets.size()));
            }
            checkWeightCount(model.meshes[mesh].weights, static_cast<int>(mesh), place + ".weights");
        }
    }

    std::size_t morphTargetsOf(int mesh) const
    {
        const std::vector<tinygltf::Primitive>& primitives = model.meshes[static_cast<std::size_t>(mesh)].primitives;
        return primitives.empty() ? 0 : primitives.front().targets.size();
    }

    // Default weights, of a mesh or of a node, one for each morph target of the mesh.
    void checkWeightCount(const std::vector<double>& weights, int mesh, const std::string& place)
    {
        if (weights.empty() || !resolves(mesh, model.meshes.size()) || weights.size() == morphTargetsOf(mesh))
            return;
        findings(place, "has " + std::to_string(weights.size()) + " weights for the " +
                                   std::to_string(morphTargetsOf(mesh)) + " morph targets of " +
                                   indexed("meshes", static_cast<std::size_t>(mesh)));
    }

    void checkAttributes(const std::map<std::string, int>& attributes, const std::string& place)
    {
        std::map<std::string, std::set<int>> sets;
        for (const auto& [name, accessor] : attributes)
        {
            checkAttribute(name, accessor, place);
            std::string semantic;
            int set = -1;
            if (attributeNameOf(name, semantic, set) && set >= 0)
                sets[semantic].insert(set);
        }
        for (const auto& [semantic, numbers] : sets)
            if (*numbers.rbegin() != static_cast<int>(numbers.size()) - 1)
                findings(place, "has " + semantic + " sets that do not run from 0 without a gap");
        if (sets["JOINTS"].size() != sets["WEIGHTS"].size())
            findings(place, "has " + std::to_string(sets["JOINTS"].size()) + " JOINTS sets but " +
                                       std::to_string(sets["WEIGHTS"].size()) + " WEIGHTS sets");
    }

    void checkAttribute(const std::string& name, int accessor, const std::string& place)
    {
        std::string semantic;
        int set = -1;
        if (!attributeNameOf(name, semantic, set))
            findings(member(place, name), "is no attribute name glTF has; it is ignored");
        if (!resolves(accessor, model.accessors.size()))
            return;
        const tinygltf::Accessor& values = model.accessors[static_cast<std::size_t>(accessor)];
        if (values.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)
            findings(member(place, name), "holds unsigned ints, which no attribute may");
        if (name == "POSITION" && (values.minValues.empty() || values.maxValues.empty()))
            findings(member(place, name), "has no min and max, which positions must have");
    }

    // A morph target moves attributes the primitive has.
    void checkMorphTargets(const tinygltf::Primitive& primitive, const std::string& place)
    {
        for (std::size_t target = 0; target < primitive.targets.size(); ++target)
            for (const auto& [name, accessor] : primitive.targets[target])
            {
                std::string at = indexed(place + ".targets", target);
                checkAttribute(name, accessor, at);
                if (primitive.attributes.count(name) == 0)
                    findings(member(at, name), "moves " + name + ", which the primitive does not have");
            }
    }

    void checkNodes()
    {
        for (std::size_t index = 0; index < model.nodes.size(); ++index)
        {
            const tinygltf::Node& node = model.nodes[index];
            std::string place = indexed("nodes", index);
            if (node.matrix.size() == 16 && !endsInTransformRow(node.matrix))
                findings(place + ".matrix",
                                "is no translation, rotation and scale: its last row is not 0, 0, 0, 1");
            if (node.rotation.size() == 4)
            {
                double length = std::sqrt(node.rotation[0] * node.rotation[0] + node.rotation[1] * node.rotation[1] +
                                          node.rotation[2] * node.rotation[2] + node.rotation[3] * node.rotation[3]);
                if (!(std::abs(length - 1) <= unitTolerance))
                    findings(place + ".rotation", "has the length " + number(length) + ", not 1");
            }
            if (node.skin >= 0 && node.mesh < 0)
                findings(place + ".skin", "is given without a mesh");
            if (!node.weights.empty() && node.mesh < 0)
                findings(place + ".weights", "are given without a mesh");
            checkWeightCount(node.weights, node.mesh, place + ".weights");
            if (node.skin >= 0 && resolves(node.mesh, model.meshes.size()) && !hasJoints(node.mesh))
                findings(place, "has a skin, but " + indexed("meshes", static_cast<std::size_t>(node.mesh)) +
                                           " has no joints to bind");
        }
    }

    // Column by column: the last row is the fourth value of each column.
    static bool endsInTransformRow(const std::vector<double>& m)
    {
        return m[3] == 0 && m[7] == 0 && m[11] == 0 && m[15] == 1;
    }

    bool hasJoints(int mesh) const
    {
        const std::vector<tinygltf::Primitive>& primitives = model.meshes[static_cast<std::size_t>(mesh)].primitives;
        return std::any_of(primitives.begin(), primitives.end(),
                           [](const tinygltf::Primitive& primitive) { return primitive.attributes.count("JOINTS_0"); });
    }

    // A node that is its own descendant, found by a depth-first walk that keeps its path.
    void checkNodeLoops()
    {
        enum class Mark { Unseen, OnPath, Done };
        std::vector<Mark> marks(model.nodes.size(), Mark::Unseen);
        for (std::size_t start = 0; start < model.nodes.size(); ++start)
        {
            if (marks[start] != Mark::Unseen)
                continue;
            // Each node on the path with the index of its next child to visit.
            std::vector<std::pair<std::size_t, std::size_t>> path{{start, 0}};
            marks[start] = Mark::OnPath;
            while (!path.empty())
            {
                auto& [node, next] = path.back();
                const std::vector<int>& children = model.nodes[node].children;
                if (next == children.size())
                {
                    marks[node] = Mark::Done;
                    path.pop_back();
                    continue;
                }
                int child = children[next++];
                if (!resolves(child, model.nodes.size()))
                    continue;
                std::size_t index = static_cast<std::size_t>(child);
                if (marks[index] == Mark::OnPath)
                    findings(indexed("nodes", index), "is among its own descendants");
                else if (marks[index] == Mark::Unseen)
                {
                    marks[index] = Mark::OnPath;
                    path.push_back({index, 0});
                }
            }
        }
    }

    // The parent of each node, the first that names it; -1 for none.
    std::vector<int> parents() const
    {
        std::vector<int> parentOf(model.nodes.size(), -1);
        for (std::size_t index = 0; index < model.nodes.size(); ++index)
            for (int child : model.nodes[index].children)
                if (resolves(child, parentOf.size()) && parentOf[static_cast<std::size_t>(child)] < 0)
                    parentOf[static_cast<std::size_t>(child)] = static_cast<int>(index);
        return parentOf;
    }

    // Every node of a scene: its roots and all below them.
    std::vector<bool> membersOf(const tinygltf::Scene& scene) const
    {
        std::vector<bool> member(model.nodes.size(), false);
        std::vector<int> pending(scene.nodes.begin(), scene.nodes.end());
        while (!pending.empty())
        {
            int node = pending.back();
            pending.pop_back();
            if (!resolves(node, member.size()) || member[static_cast<std::size_t>(node)])
                continue;
            member[static_cast<std::size_t>(node)] = true;
            const std::vector<int>& children = model.nodes[static_cast<std::size_t>(node)].children;
            pending.insert(pending.end(), children.begin(), children.end());
        }
        return member;
    }

    void checkScenes()
    {
        std::vector<int> parentOf = parents();
        for (std::size_t scene = 0; scene < model.scenes.size(); ++scene)
        {
            const std::vector<int>& roots = model.scenes[scene].nodes;
            std::string place = indexed("scenes", scene) + ".nodes";
            for (std::size_t at = 0; at < roots.size(); ++at)
                if (resolves(roots[at], parentOf.size()) && parentOf[static_cast<std::size_t>(roots[at])] >= 0)
                    findings(indexed(place, at), "names nodes[" + std::to_string(roots[at]) +
                                                            "], which is the child of another node");
            checkSkinnedNodesOf(scene);
        }
    }

    // A skinned node's joints must be in the scene that shows it.
    void checkSkinnedNodesOf(std::size_t scene)
    {
        std::vector<bool> member = membersOf(model.scenes[scene]);
        for (std::size_t index = 0; index < model.nodes.size(); ++index)
        {
            const tinygltf::Node& node = model.nodes[index];
            if (!member[index] || node.mesh < 0 || !resolves(node.skin, model.skins.size()))
                continue;
            const std::vector<int>& joints = model.skins[static_cast<std::size_t>(node.skin)].joints;
            if (std::any_of(joints.begin(), joints.end(), [&](int joint) {
                    return resolves(joint, member.size()) && !member[static_cast<std::size_t>(joint)];
                }))
                findings(indexed("nodes", index),
                                "is skinned in " + indexed("scenes", scene) + ", which lacks joints of " +
                                    indexed("skins", static_cast<std::size_t>(node.skin)));
        }
    }

    // The topmost ancestor of a node, or -1 where its ancestors loop.
    int rootOf(int node, const std::vector<int>& parentOf) const
    {
        for (std::size_t step = 0; step <= parentOf.size(); ++step)
        {
            int parent = parentOf[static_cast<std::size_t>(node)];
            if (parent < 0)
                return node;
            node = parent;
        }
        return -1;
    }

    // Nodes of one tree share its root; the roots of one scene share the scene.
    bool haveCommonRoot(const std::set<int>& roots) const
    {
        if (roots.count(-1) > 0)
            return false;
        auto holdsAll = [&](const tinygltf::Scene& scene) {
            return std::all_of(roots.begin(), roots.end(), [&](int root) {
                return std::find(scene.nodes.begin(), scene.nodes.end(), root) != scene.nodes.end();
            });
        };
        return roots.size() <= 1 || std::any_of(model.scenes.begin(), model.scenes.end(), holdsAll);
    }

    bool isAncestorOrSelf(int ancestor, int node, const std::vector<int>& parentOf) const
    {
        for (std::size_t step = 0; node >= 0 && step <= parentOf.size(); ++step)
        {
            if (node == ancestor)
                return true;
            node = parentOf[static_cast<std::size_t>(node)];
        }
        return false;
    }

    void checkSkins()
    {
        std::vector<int> parentOf = parents();
        for (std::size_t index = 0; index < model.skins.size(); ++index)
        {
            const tinygltf::Skin& skin = model.skins[index];
            std::string place = indexed("skins", index);
            checkInverseBindMatrices(skin, place);
            std::vector<int> joints;
            std::copy_if(skin.joints.begin(), skin.joints.end(), std::back_inserter(joints),
                         [&](int joint) { return resolves(joint, model.nodes.size()); });
            std::set<int> roots;
            for (int joint : joints)
                roots.insert(rootOf(joint, parentOf));
            if (!haveCommonRoot(roots))
                findings(place + ".joints", "have no common root");
            if (resolves(skin.skeleton, model.nodes.size()) &&
                !std::all_of(joints.begin(), joints.end(),
                             [&](int joint) { return isAncestorOrSelf(skin.skeleton, joint, parentOf); }))
                findings(place + ".skeleton", "names nodes[" + std::to_string(skin.skeleton) +
                                                         "], which is not above every joint");
        }
    }

    void checkInverseBindMatrices(const tinygltf::Skin& skin, const std::string& place)
    {
        if (!resolves(skin.inverseBindMatrices, model.accessors.size()))
            return;
        const tinygltf::Accessor& matrices = model.accessors[static_cast<std::size_t>(skin.inverseBindMatrices)];
        if (matrices.type != TINYGLTF_TYPE_MAT4 || matrices.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT)
            findings(place + ".inverseBindMatrices", "is no MAT4 of floats");
        else if (matrices.count < skin.joints.size())
            findings(place + ".inverseBindMatrices", "holds " + std::to_string(matrices.count) +
                                                                " matrices for " + std::to_string(skin.joints.size()) +
                                                                " joints");
    }

    void checkAnimations()
    {
        for (std::size_t index = 0; index < model.animations.size(); ++index)
        {
            const tinygltf::Animation& animation = model.animations[index];
            std::string place = indexed("animations", index);
            for (std::size_t sampler = 0; sampler < animation.samplers.size(); ++sampler)
                checkSampler(animation.samplers[sampler], indexed(place + ".samplers", sampler));
            std::map<std::pair<int, std::string>, std::size_t> targets;
            for (std::size_t channel = 0; channel < animation.channels.size(); ++channel)
            {
                const tinygltf::AnimationChannel& moving = animation.channels[channel];
                if (moving.target_node < 0)
                    continue;
                auto [first, added] = targets.insert({{moving.target_node, moving.target_path}, channel});
                if (!added)
                    findings(indexed(place + ".channels", channel),
                                    "moves the same node and path as " + indexed("channels", first->second));
            }
        }
    }

    void checkSampler(const tinygltf::AnimationSampler& sampler, const std::string& place)
    {
        if (!resolves(sampler.input, model.accessors.size()))
            return;
        const tinygltf::Accessor& times = model.accessors[static_cast<std::size_t>(sampler.input)];
        if (times.type != TINYGLTF_TYPE_SCALAR || times.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT)
            findings(place + ".input", "is no scalar of floats, as key times are");
        if (times.minValues.empty() || times.maxValues.empty())
            findings(place + ".input", "has no min and max, which key times must have");
        if (sampler.interpolation == "CUBICSPLINE" && times.count < 2)
            findings(place, "is a CUBICSPLINE of " + std::to_string(times.count) +
                                       " key, where at least 2 are needed");
    }

    const tinygltf::Model& model;
    const BufferBytes& buffers;
    DocumentReport& findings;
};

// What an accessor is used as, which asks more of its values than that they be numbers.
enum class Role
{
    Normal,
    Tangent,
    Color,
    Weights,
    KeyTimes,
    Rotations,
    CubicRotations,
    InverseBindMatrices,
};

struct Use
{
    Role role;
    std::string place;
};

// The values of every accessor: finite, inside the min and max it declares, which they must reach,
// and fit for what they are used as: unit normals, tangents with a handedness, colours from 0 to 1,
// weights that add up to 1, rising key times, unit rotations, inverse bind matrices that are
// transforms, and indices that are no primitive restart. Accessors that cannot be read are left to
// the builder, which says so where they are used.
class DataCheck
{
public:
    DataCheck(const tinygltf::Model& model, AccessorValues& accessorValues, DocumentReport& findings)
        : model(model), accessorValues(accessorValues), findings(findings), uses(model.accessors.size())
    {
    }

    void run()
    {
        gatherUses();
        for (std::size_t index = 0; index < model.accessors.size(); ++index)
        {
            int components = 0;
            std::string problem;
            const std::vector<float>* values = nullptr;
            if (!holdsData(model.accessors[index]) || !hasValuesToCheck(index) ||
                (values = accessorValues.floats(static_cast<int>(index), components, problem)) == nullptr)
                continue;
            checkValues(index, *values, static_cast<std::size_t>(components));
            for (const Use& use : uses[index])
                checkUse(use, *values, static_cast<std::size_t>(components));
        }
        checkIndicesAndWeights();
    }

private:
    // An accessor without a buffer view or sparse values holds zeros, which stand in for data it does not give.
    static bool holdsData(const tinygltf::Accessor& accessor)
    {
        return accessor.bufferView >= 0 || accessor.sparse.isSparse;
    }

    // Integers are always finite: only bounds they declare, or a use, make them worth reading here.
    bool hasValuesToCheck(std::size_t index) const
    {
        const tinygltf::Accessor& accessor = model.accessors[index];
        return accessor.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT || !accessor.minValues.empty() ||
               !accessor.maxValues.empty() || !uses[index].empty();
    }

    void use(int accessor, Role role, const std::string& place)
    {
        if (resolves(accessor, model.accessors.size()))
            uses[static_cast<std::size_t>(accessor)].push_back({role, place});
    }

    // Only float values are held to unit length and ranges: quantized ones are as near as their
    // precision allows.
    void gatherUses()
    {
        for (std::size_t mesh = 0; mesh < model.meshes.size(); ++mesh)
            for (std::size_t part = 0; part < model.meshes[mesh].primitives.size(); ++part)
                for (const auto& [name, accessor] : model.meshes[mesh].primitives[part].attributes)
                {
                    std::string place = indexed("meshes", mesh) + "." + indexed("primitives", part) + ".attributes." +
                                        name;
                    if (!isFloatAccessor(model, accessor))
                        continue;
                    if (name == "NORMAL")
                        use(accessor, Role::Normal, place);
                    else if (name == "TANGENT")
                        use(accessor, Role::Tangent, place);
                    else if (name.compare(0, 6, "COLOR_") == 0)
                        use(accessor, Role::Color, place);
                    else if (name.compare(0, 8, "WEIGHTS_") == 0)
                        use(accessor, Role::Weights, place);
                }
        for (std::size_t index = 0; index < model.animations.size(); ++index)
            gatherAnimationUses(model.animations[index], indexed("animations", index));
        for (std::size_t index = 0; index < model.skins.size(); ++index)
            use(model.skins[index].inverseBindMatrices, Role::InverseBindMatrices,
                indexed("skins", index) + ".inverseBindMatrices");
    }

    void gatherAnimationUses(const tinygltf::Animation& animation, const std::string& place)
    {
        for (std::size_t sampler = 0; sampler < animation.samplers.size(); ++sampler)
            use(animation.samplers[sampler].input, Role::KeyTimes, indexed(place + ".samplers", sampler) + ".input");
        for (const tinygltf::AnimationChannel& channel : animation.channels)
        {
            if (channel.target_path != "rotation" || !resolves(channel.sampler, animation.samplers.size()))
                continue;
            const tinygltf::AnimationSampler& sampler = animation.samplers[static_cast<std::size_t>(channel.sampler)];
            if (isFloatAccessor(model, sampler.output))
                use(sampler.output,
                    sampler.interpolation == "CUBICSPLINE" ? Role::CubicRotations : Role::Rotations,
                    indexed(place + ".samplers", static_cast<std::size_t>(channel.sampler)) + ".output");
        }
    }

    void checkValues(std::size_t index, const std::vector<float>& values, std::size_t components)
    {
        const tinygltf::Accessor& accessor = model.accessors[index];
        std::string place = indexed("accessors", index);
        // Counted without an early end, so that the compiler turns the loop into vector instructions;
        // an accessor holds fewer values than the count can reach.
        unsigned int notFinite = 0;
        for (float value : values)
            notFinite += !(std::fabs(value) <= std::numeric_limits<float>::max());
        if (notFinite > 0)
            return findings(place, "holds a value that is no finite number");
        // The bounds of normalized integers are written as the integers, which the reader has scaled.
        if (accessor.normalized)
            return;
        if (accessor.minValues.size() == components)
            checkBound(place + ".min", accessor.minValues, values, components, "least", std::less<float>());
        if (accessor.maxValues.size() == components)
            checkBound(place + ".max", accessor.maxValues, values, components, "greatest", std::greater<float>());
    }

    // A declared bound must be the extreme value of its component, compared in the precision of the values.
    template <class Beyond>
    void checkBound(const std::string& place, const std::vector<double>& declared, const std::vector<float>& values,
                    std::size_t components, const char* extreme, Beyond beyond)
    {
        for (std::size_t component = 0; component < components; ++component)
        {
            float actual = values[component];
            for (std::size_t at = component; at < values.size(); at += components)
                if (beyond(values[at], actual))
                    actual = values[at];
            float bound = static_cast<float>(declared[component]);
            if (bound != actual)
            {
                findings(place, "gives " + number(declared[component]) + " where the " + extreme +
                                           " value of component " + std::to_string(component) + " is " +
                                           number(actual));
                return;
            }
        }
    }

    void checkUse(const Use& use, const std::vector<float>& values, std::size_t components)
    {
        switch (use.role)
        {
        case Role::Normal: return checkUnitVectors(use.place, values, components, 3, 1);
        case Role::Tangent:
            checkUnitVectors(use.place, values, components, 3, 1);
            return checkHandedness(use.place, values, components);
        case Role::Color: return checkRange(use.place, values, 0, 1);
        case Role::Weights: return checkWeights(use.place, values);
        case Role::KeyTimes: return checkKeyTimes(use.place, values);
        case Role::Rotations: return checkUnitVectors(use.place, values, components, 4, 1);
        // A cubic spline's keys are in-tangent, value and out-tangent: only the values are rotations.
        case Role::CubicRotations: return checkUnitVectors(use.place, values, components, 4, 3);
        case Role::InverseBindMatrices: return checkTransforms(use.place, values, components);
        }
    }

    // The first `width` components of every `every`th element (the one in the middle of each group)
    // are a unit vector.
    void checkUnitVectors(const std::string& place, const std::vector<float>& values, std::size_t components,
                          std::size_t width, std::size_t every)
    {
        if (components < width)
            return;
        std::size_t stride = components * every;
        for (std::size_t at = components * (every / 2); at + width <= values.size(); at += stride)
        {
            double squared = 0;
            for (std::size_t component = 0; component < width; ++component)
                squared += static_cast<double>(values[at + component]) * values[at + component];
            double length = std::sqrt(squared);
            if (!(std::abs(length - 1) <= unitTolerance))
            {
                findings(place, "holds a vector of length " + number(length) + ", not 1");
                return;
            }
        }
    }

    void checkHandedness(const std::string& place, const std::vector<float>& values, std::size_t components)
    {
        for (std::size_t at = 3; components == 4 && at < values.size(); at += 4)
            if (values[at] != 1 && values[at] != -1)
            {
                findings(place, "holds a tangent whose w is " + number(values[at]) + ", not 1 or -1");
                return;
            }
    }

    void checkRange(const std::string& place, const std::vector<float>& values, float least, float greatest)
    {
        auto outside = std::find_if(values.begin(), values.end(),
                                    [&](float value) { return value < least || value > greatest; });
        if (outside != values.end())
            findings(place, "holds the value " + number(*outside) + ", outside " + number(least) + " to " +
                                       number(greatest));
    }

    void checkWeights(const std::string& place, const std::vector<float>& weights)
    {
        auto negative = std::find_if(weights.begin(), weights.end(), [](float weight) { return weight < 0; });
        if (negative != weights.end())
            findings(place, "holds the negative weight " + number(*negative));
    }

    void checkKeyTimes(const std::string& place, const std::vector<float>& times)
    {
        if (!times.empty() && times.front() < 0)
            findings(place, "holds the negative key time " + number(times.front()));
        for (std::size_t at = 1; at < times.size(); ++at)
            if (!(times[at] > times[at - 1]))
            {
                findings(place, "has the key time " + number(times[at]) + " after " + number(times[at - 1]) +
                                           "; key times must rise");
                return;
            }
    }

    void checkTransforms(const std::string& place, const std::vector<float>& values, std::size_t components)
    {
        for (std::size_t at = 0; components == 16 && at + 16 <= values.size(); at += 16)
            if (values[at + 3] != 0 || values[at + 7] != 0 || values[at + 11] != 0 || values[at + 15] != 1)
            {
                findings(place, "holds a matrix whose last row is not 0, 0, 0, 1");
                return;
            }
    }

    void checkIndicesAndWeights()
    {
        for (std::size_t mesh = 0; mesh < model.meshes.size(); ++mesh)
            for (std::size_t part = 0; part < model.meshes[mesh].primitives.size(); ++part)
            {
                const tinygltf::Primitive& primitive = model.meshes[mesh].primitives[part];
                std::string place = indexed("meshes", mesh) + "." + indexed("primitives", part);
                checkRestart(primitive.indices, place + ".indices");
                checkWeightSums(primitive, place + ".attributes");
            }
    }

    // The largest value of an index's type restarts a strip in OpenGL; glTF does not allow it.
    void checkRestart(int accessor, const std::string& place)
    {
        std::string problem;
        unsigned int largest = 0;
        if (accessor < 0 || !checkedIndices.insert(accessor).second ||
            accessorValues.indices(accessor, largest, problem) == nullptr)
            return;
        int type = model.accessors[static_cast<std::size_t>(accessor)].componentType;
        unsigned int restart = type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE    ? 0xFFu
                               : type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ? 0xFFFFu
                                                                                : 0xFFFFFFFFu;
        // No index of the type is larger than its restart value.
        if (largest == restart)
            findings(place, "holds " + std::to_string(restart) + ", which restarts primitives");
    }

    // Each vertex's weights, of all its WEIGHTS sets together, add up to 1.
    void checkWeightSums(const tinygltf::Primitive& primitive, const std::string& place)
    {
        std::vector<double> sums;
        for (const auto& [name, accessor] : primitive.attributes)
        {
            int components = 0;
            std::string problem;
            const std::vector<float>* weights = nullptr;
            if (name.compare(0, 8, "WEIGHTS_") != 0 || !resolves(accessor, model.accessors.size()) ||
                !holdsData(model.accessors[static_cast<std::size_t>(accessor)]) ||
                (weights = accessorValues.floats(accessor, components, problem)) == nullptr || components != 4 ||
                (!sums.empty() && sums.size() * 4 != weights->size()))
                continue;
            sums.resize(weights->size() / 4, 0.0);
            for (std::size_t at = 0; at < weights->size(); ++at)
                sums[at / 4] += (*weights)[at];
        }
        auto unweighted = std::find_if(sums.begin(), sums.end(),
                                       [](double sum) { return !(std::abs(sum - 1) <= unitTolerance); });
        if (unweighted != sums.end())
            findings(place, "has weights that add up to " + number(*unweighted) + ", not 1");
    }

    const tinygltf::Model& model;
    AccessorValues& accessorValues;
    DocumentReport& findings;
    std::vector<std::vector<Use>> uses;
    std::set<int> checkedIndices;
};

enum class PictureFormat
{
    Unknown,
    Png,
    Jpeg,
    Webp,
    Ktx2,
};

struct PictureKind
{
    PictureFormat format;
    const char* mimeType;
    const char* name;
    // The extension that allows pictures of the kind; null for those glTF always allows.
    const char* extension;
};

const PictureKind pictureKinds[] = {
    {PictureFormat::Png, "image/png", "PNG", nullptr},
    {PictureFormat::Jpeg, "image/jpeg", "JPEG", nullptr},
    {PictureFormat::Webp, "image/webp", "WebP", "EXT_texture_webp"},
    {PictureFormat::Ktx2, "image/ktx2", "KTX2", "KHR_texture_basisu"},
};

const PictureKind* kindOfMimeType(const std::string& mimeType)
{
    for (const PictureKind& kind : pictureKinds)
        if (mimeType == kind.mimeType)
            return &kind;
    return nullptr;
}

const PictureKind* kindOfBytes(const std::vector<unsigned char>& bytes)
{
    auto begins = [&](std::size_t at, const char* signature, std::size_t length) {
        return bytes.size() >= at + length && std::memcmp(bytes.data() + at, signature, length) == 0;
    };
    PictureFormat format = begins(0, "\x89PNG\r\n\x1a\n", 8)                     ? PictureFormat::Png
                           : begins(0, "\xFF\xD8\xFF", 3)                        ? PictureFormat::Jpeg
                           : begins(0, "RIFF", 4) && begins(8, "WEBP", 4)        ? PictureFormat::Webp
                           : begins(0, "\xABKTX 20\xBB\r\n\x1A\n", 12)           ? PictureFormat::Ktx2
                                                                                 : PictureFormat::Unknown;
    for (const PictureKind& kind : pictureKinds)
        if (kind.format == format)
            return &kind;
    return nullptr;
}

std::uint32_t bigEndianAt(const std::vector<unsigned char>& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

// Empty when a PNG picture's chunks run whole from its IHDR to its IEND.
std::string pngProblem(const std::vector<unsigned char>& bytes)
{
    const std::size_t chunkOverhead = 12;
    for (std::size_t at = 8; at + chunkOverhead <= bytes.size();)
    {
        std::uint32_t length = bigEndianAt(bytes, at);
        std::string type(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                         bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
        if (at == 8 && type != "IHDR")
            return "its PNG data does not begin with an IHDR chunk";
        if (length > bytes.size() - at - chunkOverhead)
            break;
        if (type == "IEND")
            return "";
        at += chunkOverhead + length;
    }
    return "its PNG data ends before its IEND chunk";
}

// Empty when a JPEG picture's marker segments run whole up to its first scan, whose coded data is
// not walked.
std::string jpegProblem(const std::vector<unsigned char>& bytes)
{
    const unsigned char startOfScan = 0xDA;
    const unsigned char endOfImage = 0xD9;
    for (std::size_t at = 2; at + 2 <= bytes.size();)
    {
        if (bytes[at] != 0xFF)
            return "its JPEG data has no marker where one must stand";
        unsigned char marker = bytes[at + 1];
        bool standalone = marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
        if (marker == startOfScan || marker == endOfImage)
            return "";
        if (marker == 0xFF || standalone)
        {
            at += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (at + 4 > bytes.size())
            break;
        std::size_t length = static_cast<std::size_t>(bytes[at + 2]) << 8 | bytes[at + 3];
        if (length < 2)
            return "its JPEG data has a marker segment of impossible length";
        at += 2 + length;
    }
    return "its JPEG data ends before its first scan";
}

// The scheme of an absolute URI, as "http" of "http://..."; empty for a relative reference.
std::string schemeOf(const std::string& uri)
{
    std::size_t end = uri.find_first_of(":/?#");
    return end != std::string::npos && uri[end] == ':' ? uri.substr(0, end + 1) : "";
}

bool isWellFormedScheme(const std::string& scheme)
{
    auto isSchemeCharacter = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    };
    return scheme.size() > 1 && std::isalpha(static_cast<unsigned char>(scheme[0])) &&
           std::all_of(scheme.begin(), scheme.end() - 1, isSchemeCharacter);
}

// Every picture of the document, used or not: a type glTF knows, with its extension declared where
// it needs one, a file that is there, and whole data of the type it says it is.
class PictureCheck
{
public:
    PictureCheck(const Json& document, const tinygltf::Model& model, const std::string& folder,
                 DocumentReport& findings)
        : document(document), model(model), folder(folder), findings(findings)
    {
    }

    void run()
    {
        if (!document.is_object() || !document.contains("images") || !document["images"].is_array())
            return;
        const Json& images = document["images"];
        for (std::size_t index = 0; index < images.size() && index < model.images.size(); ++index)
            if (images[index].is_object())
                checkImage(index, images[index]);
    }

private:
    void checkImage(std::size_t index, const Json& image)
    {
        std::string place = indexed("images", index);
        std::string declared = image.contains("mimeType") && image["mimeType"].is_string()
                                   ? image["mimeType"].get<std::string>()
                                   : "";
        const std::vector<unsigned char>* bytes = &model.images[index].image;
        std::vector<unsigned char> fileBytes;
        if (image.contains("uri") && image["uri"].is_string())
        {
            std::string uri = image["uri"].get<std::string>();
            if (uri.compare(0, 5, "data:") == 0)
            {
                std::string mediaType = uri.substr(5, uri.find_first_of(";,") - 5);
                if (kindOfMimeType(mediaType) == nullptr)
                    return findings(place + ".uri", "holds data of the type " + mediaType +
                                                               ", which no glTF picture has");
                declared = declared.empty() ? mediaType : declared;
            }
            else if (!readFile(uri, index, fileBytes))
                return;
            else
                bytes = &fileBytes;
        }
        checkBytes(place, declared, *bytes);
    }

    // The bytes of a file beside the document, false when there are none to check: a URI elsewhere
    // is not opened. A missing picture that a texture names is left to the builder, which says what
    // goes without it.
    bool readFile(const std::string& uri, std::size_t index, std::vector<unsigned char>& bytes)
    {
        std::string place = indexed("images", index) + ".uri";
        std::string scheme = schemeOf(uri);
        if (!scheme.empty())
        {
            if (!isWellFormedScheme(scheme))
                findings(place, "'" + uri + "' is no URI: it begins with no well-formed scheme");
            return false;
        }
        std::string path = (std::filesystem::path(folder) / percentDecoded(uri)).string();
        if (!insideFolder(path, folder))
            return false;
        std::string unreadable = unreadableFileReason(path);
        if (!unreadable.empty())
        {
            if (!isTextured(index))
                findings(place, "names the file " + uri + ", which " + unreadable);
            return false;
        }
        std::ifstream file(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        return true;
    }

    // Whether a texture names the picture, itself or through an extension's source.
    bool isTextured(std::size_t image) const
    {
        auto names = [&](const tinygltf::Texture& texture) {
            return texture.source == static_cast<int>(image) ||
                   std::any_of(texture.extensions.begin(), texture.extensions.end(), [&](const auto& extension) {
                       const tinygltf::Value& source = extension.second.Get("source");
                       return source.IsNumber() && source.GetNumberAsInt() == static_cast<int>(image);
                   });
        };
        return std::any_of(model.textures.begin(), model.textures.end(), names);
    }

    void checkBytes(const std::string& place, const std::string& declared, const std::vector<unsigned char>& bytes)
    {
        const PictureKind* found = kindOfBytes(bytes);
        const PictureKind* said = kindOfMimeType(declared);
        if (found != nullptr && said != nullptr && found != said)
            findings(place, "holds a " + std::string(found->name) + " picture, but its type says " + declared);
        const PictureKind* kind = found != nullptr ? found : said;
        if (kind != nullptr && kind->extension != nullptr && !declares(model.extensionsUsed, kind->extension))
            findings(place, "is a " + std::string(kind->name) + " picture, which needs " + kind->extension +
                                       " in extensionsUsed");
        std::string problem = found == nullptr                      ? ""
                              : found->format == PictureFormat::Png  ? pngProblem(bytes)
                              : found->format == PictureFormat::Jpeg ? jpegProblem(bytes)
                                                                     : "";
        if (!problem.empty())
            findings(place, problem);
    }

    const Json& document;
    const tinygltf::Model& model;
    std::string folder;
    DocumentReport& findings;
};
}

bool checkDocument(const std::string& documentPath, const tinygltf::Model& model, const BufferBytes& buffers,
                   AccessorValues& accessorValues, Logger& logger)
{
    DocumentReport findings(documentPath, logger);
    if (!checkAsset(model.asset, findings))
        return false;
    std::string text = DocumentText(documentPath, findings).read();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        findings("", "its JSON begins with a byte order mark, which glTF does not allow");
    Json document = Json::parse(text, nullptr, false);
    std::string folder = std::filesystem::path(documentPath).parent_path().string();
    JsonCheck(document, model, findings).run();
    StructureCheck(model, buffers, findings).run();
    DataCheck(model, accessorValues, findings).run();
    PictureCheck(document, model, folder.empty() ? "." : folder, findings).run();
    return true;
}

}
