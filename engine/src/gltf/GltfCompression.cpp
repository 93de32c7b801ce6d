#include "gltf/GltfCompression.h"

#include "gltf/GltfAccessors.h"
#include "gltf/GltfReport.h"

#include "pellux/foundation/Logger.h"

#include <draco/compression/decode.h>
#include <meshoptimizer.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace Pellux::Gltf
{

namespace
{
const char* const meshoptName = "EXT_meshopt_compression";
const char* const dracoName = "KHR_draco_mesh_compression";

// The bytes a document may decode to in all: far more than a sane one needs, and a bound on what
// hostile counts can make the engine allocate.
class DecodeBudget
{
public:
    static constexpr std::uint64_t limit = std::uint64_t(256) << 20;

    // Takes `count` elements of `size` bytes when that many are left; compared by division, so that
    // no product of hostile numbers can wrap around.
    bool take(std::uint64_t count, std::uint64_t size)
    {
        if (size != 0 && count > (limit - used) / size)
            return false;
        used += count * size;
        return true;
    }

    static std::string refusal(std::uint64_t count, std::uint64_t size)
    {
        return "decodes " + std::to_string(count) + " elements of " + std::to_string(size) + " bytes, past the " +
               std::to_string(limit) + " bytes a document may decode to";
    }

private:
    std::uint64_t used = 0;
};

// The extension's object as the document wrote it, with its numbers whole: the reader's own values
// keep only 32 bits of them. Null when the object has no such extension.
nlohmann::json extensionOf(const std::string& extensionsJson, const char* name)
{
    nlohmann::json extensions = nlohmann::json::parse(extensionsJson, nullptr, false);
    if (!extensions.is_object() || !extensions.contains(name))
        return nullptr;
    return extensions[name];
}

// A member that must be an unsigned integer when given; `value` keeps its default when it is absent.
bool readUnsigned(const nlohmann::json& object, const char* name, bool required, std::uint64_t& value,
                  std::string& problem)
{
    auto member = object.find(name);
    if (member != object.end() && member->is_number_unsigned())
        value = member->get<std::uint64_t>();
    else if (required || member != object.end())
        problem = std::string("has no ") + name + " that is an unsigned integer";
    return problem.empty();
}

// A member that is a string, or `otherwise` when it is absent; empty when it is no string.
std::string stringMember(const nlohmann::json& object, const char* name, const char* otherwise)
{
    auto member = object.find(name);
    if (member == object.end())
        return otherwise;
    return member->is_string() ? member->get<std::string>() : "";
}

// Whether `length` bytes from `offset` lie inside `size` bytes.
bool inside(std::uint64_t offset, std::uint64_t length, std::uint64_t size)
{
    return offset <= size && length <= size - offset;
}

int appendBuffer(tinygltf::Model& model, std::vector<unsigned char> bytes)
{
    tinygltf::Buffer buffer;
    buffer.data = std::move(bytes);
    model.buffers.push_back(std::move(buffer));
    return static_cast<int>(model.buffers.size() - 1);
}

struct MeshoptLayout
{
    std::uint64_t buffer = 0;
    std::uint64_t byteOffset = 0;
    std::uint64_t byteLength = 0;
    std::uint64_t byteStride = 0;
    std::uint64_t count = 0;
    std::string mode;
    std::string filter = "NONE";
};

// Decodes each bufferView compressed with EXT_meshopt_compression into a buffer of its own, which
// the view then names; one that cannot be decoded keeps its fallback buffer.
class MeshoptViews
{
public:
    MeshoptViews(tinygltf::Model& model, DocumentReport& report, DecodeBudget& budget)
        : model(model), report(report), budget(budget)
    {
    }

    void decodeAll()
    {
        for (std::size_t index = 0; index < model.bufferViews.size(); ++index)
            if (model.bufferViews[index].extensions.count(meshoptName) > 0)
                decode(index);
    }

private:
    void decode(std::size_t index)
    {
        tinygltf::BufferView& view = model.bufferViews[index];
        MeshoptLayout layout;
        std::string problem;
        std::vector<unsigned char> decoded;
        if (!readLayout(extensionOf(view.extensions_json_string, meshoptName), layout, problem) ||
            !checkLayout(view, layout, problem) || !decodeInto(layout, decoded, problem))
            return report(indexed("bufferViews", index) + ".extensions." + meshoptName, problem);
        view.buffer = appendBuffer(model, std::move(decoded));
        view.byteOffset = 0;
        view.byteLength = static_cast<std::size_t>(layout.count * layout.byteStride);
    }

    static bool readLayout(const nlohmann::json& extension, MeshoptLayout& layout, std::string& problem)
    {
        if (!readUnsigned(extension, "buffer", true, layout.buffer, problem) ||
            !readUnsigned(extension, "byteOffset", false, layout.byteOffset, problem) ||
            !readUnsigned(extension, "byteLength", true, layout.byteLength, problem) ||
            !readUnsigned(extension, "byteStride", true, layout.byteStride, problem) ||
            !readUnsigned(extension, "count", true, layout.count, problem))
            return false;
        layout.mode = stringMember(extension, "mode", "");
        layout.filter = stringMember(extension, "filter", "NONE");
        if (layout.mode != "ATTRIBUTES" && layout.mode != "TRIANGLES" && layout.mode != "INDICES")
            problem = "has the mode '" + layout.mode + "', which is none of ATTRIBUTES, TRIANGLES and INDICES";
        else if (layout.filter != "NONE" && layout.filter != "OCTAHEDRAL" && layout.filter != "QUATERNION" &&
                 layout.filter != "EXPONENTIAL")
            problem = "has the filter '" + layout.filter + "', which is none of NONE, OCTAHEDRAL, QUATERNION and "
                                                           "EXPONENTIAL";
        return problem.empty();
    }

    // The strides and counts each mode and filter takes.
    static std::string shapeProblem(const MeshoptLayout& layout)
    {
        std::string stride = "has the byteStride " + std::to_string(layout.byteStride);
        bool attributes = layout.mode == "ATTRIBUTES";
        if (attributes && (layout.byteStride == 0 || layout.byteStride % 4 != 0 || layout.byteStride > 256))
            return stride + ", where ATTRIBUTES takes a multiple of 4 up to 256";
        if (!attributes && layout.byteStride != 2 && layout.byteStride != 4)
            return stride + ", where " + layout.mode + " takes 2 or 4";
        if (layout.mode == "TRIANGLES" && layout.count % 3 != 0)
            return "has the count " + std::to_string(layout.count) + ", where TRIANGLES takes a multiple of 3";
        if (!attributes && layout.filter != "NONE")
            return "has the filter " + layout.filter + ", which only ATTRIBUTES takes";
        if (layout.filter == "OCTAHEDRAL" && layout.byteStride != 4 && layout.byteStride != 8)
            return stride + ", where the OCTAHEDRAL filter takes 4 or 8";
        if (layout.filter == "QUATERNION" && layout.byteStride != 8)
            return stride + ", where the QUATERNION filter takes 8";
        return "";
    }

    bool checkLayout(const tinygltf::BufferView& view, const MeshoptLayout& layout, std::string& problem)
    {
        if (layout.buffer >= model.buffers.size())
            problem = "names " + indexed("buffers", layout.buffer) + ", which the document does not have";
        else if (!inside(layout.byteOffset, layout.byteLength, model.buffers[layout.buffer].data.size()))
            problem = "reaches past the " + std::to_string(model.buffers[layout.buffer].data.size()) + " bytes of " +
                      indexed("buffers", layout.buffer);
        else if (layout.count == 0 || layout.byteLength == 0)
            problem = "has a count or byteLength of 0, which decodes to nothing";
        else if (view.byteStride != 0 && view.byteStride != layout.byteStride)
            problem = "has the byteStride " + std::to_string(layout.byteStride) + " where its bufferView has " +
                      std::to_string(view.byteStride);
        else
            problem = shapeProblem(layout);
        if (problem.empty() && !budget.take(layout.count, layout.byteStride))
            problem = DecodeBudget::refusal(layout.count, layout.byteStride);
        return problem.empty();
    }

    bool decodeInto(const MeshoptLayout& layout, std::vector<unsigned char>& decoded, std::string& problem) const
    {
        const unsigned char* source = model.buffers[layout.buffer].data.data() + layout.byteOffset;
        std::size_t count = static_cast<std::size_t>(layout.count);
        std::size_t stride = static_cast<std::size_t>(layout.byteStride);
        std::size_t length = static_cast<std::size_t>(layout.byteLength);
        decoded.resize(count * stride);
        unsigned char* target = decoded.data();
        int result = layout.mode == "ATTRIBUTES"  ? meshopt_decodeVertexBuffer(target, count, stride, source, length)
                     : layout.mode == "TRIANGLES" ? meshopt_decodeIndexBuffer(target, count, stride, source, length)
                                                  : meshopt_decodeIndexSequence(target, count, stride, source, length);
        if (result != 0)
        {
            problem = "holds data that does not decode as " + layout.mode;
            return false;
        }
        if (layout.filter == "OCTAHEDRAL")
            meshopt_decodeFilterOct(target, count, stride);
        else if (layout.filter == "QUATERNION")
            meshopt_decodeFilterQuat(target, count, stride);
        else if (layout.filter == "EXPONENTIAL")
            meshopt_decodeFilterExp(target, count, stride);
        return true;
    }

    tinygltf::Model& model;
    DocumentReport& report;
    DecodeBudget& budget;
};

template <class Component>
bool convertEach(const draco::PointAttribute& attribute, std::size_t points, int components,
                 std::vector<unsigned char>& bytes)
{
    std::size_t elementBytes = static_cast<std::size_t>(components) * sizeof(Component);
    bytes.resize(points * elementBytes);
    std::array<Component, 16> element{};
    for (std::size_t point = 0; point < points; ++point)
    {
        draco::AttributeValueIndex value = attribute.mapped_index(draco::PointIndex(static_cast<std::uint32_t>(point)));
        if (!attribute.ConvertValue<Component>(value, static_cast<std::int8_t>(components), element.data()))
            return false;
        std::memcpy(bytes.data() + point * elementBytes, element.data(), elementBytes);
    }
    return true;
}

// The attribute's value of each point in the accessor's component type; false when one does not fit.
bool convertValues(const draco::PointAttribute& attribute, std::size_t points, int componentType, int components,
                   std::vector<unsigned char>& bytes)
{
    switch (componentType)
    {
    case TINYGLTF_COMPONENT_TYPE_BYTE: return convertEach<std::int8_t>(attribute, points, components, bytes);
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return convertEach<std::uint8_t>(attribute, points, components, bytes);
    case TINYGLTF_COMPONENT_TYPE_SHORT: return convertEach<std::int16_t>(attribute, points, components, bytes);
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
        return convertEach<std::uint16_t>(attribute, points, components, bytes);
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: return convertEach<std::uint32_t>(attribute, points, components, bytes);
    default: return convertEach<float>(attribute, points, components, bytes);
    }
}

// The compressed data of one primitive: its bufferView and the Draco id of each attribute.
struct DracoSource
{
    std::uint64_t view = 0;
    std::map<std::string, std::uint64_t> attributes;
};

// What an accessor was filled with: a compressed bufferView and a Draco attribute id, or -1 for the
// mesh's indices.
using DracoOrigin = std::pair<std::uint64_t, std::int64_t>;

// Decodes each primitive compressed with KHR_draco_mesh_compression and points its accessors at
// views of the decoded data. An accessor named by several compressed primitives is filled once for
// each compressed data it is decoded from: primitives decoded from the same bufferView share it,
// and one decoded from other data gets a copy of the accessor of its own, so that neither
// overwrites the other.
class DracoPrimitives
{
public:
    DracoPrimitives(tinygltf::Model& model, DocumentReport& report, DecodeBudget& budget)
        : model(model), report(report), budget(budget)
    {
    }

    void decodeAll()
    {
        for (std::size_t mesh = 0; mesh < model.meshes.size(); ++mesh)
        {
            std::vector<tinygltf::Primitive>& primitives = model.meshes[mesh].primitives;
            for (std::size_t part = 0; part < primitives.size(); ++part)
                if (primitives[part].extensions.count(dracoName) > 0)
                    decode(primitives[part], indexed("meshes", mesh) + "." + indexed("primitives", part));
        }
    }

private:
    // A primitive whose mesh cannot be decoded goes without all of its data, which the builder
    // then names.
    static void leaveOut(tinygltf::Primitive& primitive)
    {
        primitive.attributes.clear();
        primitive.indices = -1;
    }

    void decode(tinygltf::Primitive& primitive, const std::string& place)
    {
        std::string extensionPlace = place + ".extensions." + dracoName;
        DracoSource source;
        std::string problem;
        std::unique_ptr<draco::Mesh> mesh;
        if (!readSource(extensionOf(primitive.extensions_json_string, dracoName), source, problem) ||
            !(mesh = decodeMesh(source.view, problem)))
        {
            report(extensionPlace, problem);
            return leaveOut(primitive);
        }
        if (primitive.indices >= 0 && !fillIndices(*mesh, source.view, primitive.indices, problem))
        {
            report(place + ".indices", problem);
            return leaveOut(primitive);
        }
        for (const auto& [name, id] : source.attributes)
            decodeAttribute(primitive, *mesh, source.view, name, id, place);
    }

    // One attribute the extension names; the primitive goes without it when it cannot be decoded.
    void decodeAttribute(tinygltf::Primitive& primitive, const draco::Mesh& mesh, std::uint64_t view,
                         const std::string& name, std::uint64_t id, const std::string& place)
    {
        std::string extensionPlace = place + ".extensions." + dracoName + ".attributes." + name;
        auto named = primitive.attributes.find(name);
        if (named == primitive.attributes.end())
            return report(extensionPlace, "names an attribute the primitive does not have");
        bool fitsAnId = id <= std::numeric_limits<std::uint32_t>::max();
        const draco::PointAttribute* attribute =
            fitsAnId ? mesh.GetAttributeByUniqueId(static_cast<std::uint32_t>(id)) : nullptr;
        if (attribute == nullptr)
        {
            report(extensionPlace, "names the Draco attribute " + std::to_string(id) +
                                       ", which the compressed mesh does not have; the primitive goes without it");
            primitive.attributes.erase(named);
            return;
        }
        std::string problem;
        DracoOrigin origin{view, static_cast<std::int64_t>(id)};
        if (!fillAttribute(mesh, *attribute, origin, named->second, problem))
        {
            report(place + ".attributes." + name, problem + "; the primitive goes without it");
            primitive.attributes.erase(named);
        }
    }

    static bool readSource(const nlohmann::json& extension, DracoSource& source, std::string& problem)
    {
        if (!readUnsigned(extension, "bufferView", true, source.view, problem))
            return false;
        auto attributes = extension.find("attributes");
        if (attributes == extension.end() || !attributes->is_object())
        {
            problem = "has no attributes object";
            return false;
        }
        for (const auto& [name, id] : attributes->items())
        {
            if (!id.is_number_unsigned())
            {
                problem = "gives " + name + " an id that is no unsigned integer";
                return false;
            }
            source.attributes[name] = id.get<std::uint64_t>();
        }
        return true;
    }

    std::unique_ptr<draco::Mesh> decodeMesh(std::uint64_t viewIndex, std::string& problem) const
    {
        if (viewIndex >= model.bufferViews.size())
        {
            problem = "names " + indexed("bufferViews", viewIndex) + ", which the document does not have";
            return nullptr;
        }
        const tinygltf::BufferView& view = model.bufferViews[viewIndex];
        if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= model.buffers.size() ||
            !inside(view.byteOffset, view.byteLength, model.buffers[static_cast<std::size_t>(view.buffer)].data.size()))
        {
            problem = indexed("bufferViews", viewIndex) + " reaches past the end of its buffer";
            return nullptr;
        }
        const char* start =
            reinterpret_cast<const char*>(model.buffers[static_cast<std::size_t>(view.buffer)].data.data()) +
            view.byteOffset;
        draco::DecoderBuffer compressed;
        compressed.Init(start, view.byteLength);
        draco::StatusOr<draco::EncodedGeometryType> kind = draco::Decoder::GetEncodedGeometryType(&compressed);
        if (kind.ok() && kind.value() == draco::POINT_CLOUD)
        {
            problem = "holds a Draco point cloud, where a triangle mesh is expected";
            return nullptr;
        }
        // Read from the start again, whatever the question of its kind has read.
        compressed.Init(start, view.byteLength);
        draco::Decoder decoder;
        draco::StatusOr<std::unique_ptr<draco::Mesh>> decoded = decoder.DecodeMeshFromBuffer(&compressed);
        if (!decoded.ok())
        {
            problem = "does not decode as a Draco mesh (" + decoded.status().error_msg_string() + ")";
            return nullptr;
        }
        return std::move(decoded).value();
    }

    // Whether the accessor holds the data of `origin` already.
    bool filledWith(int accessor, const DracoOrigin& origin) const
    {
        auto filled = filledFrom.find(accessor);
        return filled != filledFrom.end() && filled->second == origin;
    }

    // Points the accessor at a view of `bytes`, or a copy of it when other compressed data filled it.
    void fill(int& accessor, const DracoOrigin& origin, std::vector<unsigned char> bytes)
    {
        if (filledFrom.count(accessor) > 0)
        {
            tinygltf::Accessor copy = model.accessors[static_cast<std::size_t>(accessor)];
            model.accessors.push_back(std::move(copy));
            accessor = static_cast<int>(model.accessors.size() - 1);
        }
        tinygltf::BufferView view;
        view.byteLength = bytes.size();
        view.buffer = appendBuffer(model, std::move(bytes));
        model.bufferViews.push_back(view);
        tinygltf::Accessor& filled = model.accessors[static_cast<std::size_t>(accessor)];
        filled.bufferView = static_cast<int>(model.bufferViews.size() - 1);
        filled.byteOffset = 0;
        filled.sparse.isSparse = false;
        filledFrom[accessor] = origin;
    }

    bool fillIndices(const draco::Mesh& mesh, std::uint64_t view, int& accessor, std::string& problem)
    {
        DracoOrigin origin{view, -1};
        if (filledWith(accessor, origin))
            return true;
        const tinygltf::Accessor& target = model.accessors[static_cast<std::size_t>(accessor)];
        std::string name = indexed("accessors", static_cast<std::size_t>(accessor));
        std::size_t corners = std::size_t(3) * mesh.num_faces();
        bool unsignedScalar = target.type == TINYGLTF_TYPE_SCALAR &&
                              (target.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
                               target.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ||
                               target.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
        std::size_t indexBytes = componentBytes(target.componentType);
        std::uint64_t largest = (std::uint64_t(1) << (8 * indexBytes)) - 1;
        if (!unsignedScalar)
            problem = name + " is no scalar of unsigned integers, as indices are";
        else if (target.count != corners)
            problem = name + " holds " + std::to_string(target.count) + " indices where the compressed mesh has " +
                      std::to_string(corners);
        else if (mesh.num_points() > largest + 1)
            problem = name + " has the componentType " + std::to_string(target.componentType) +
                      ", too small for the compressed mesh's " + std::to_string(mesh.num_points()) + " vertices";
        else if (!budget.take(corners, indexBytes))
            problem = DecodeBudget::refusal(corners, indexBytes);
        if (!problem.empty())
            return false;
        std::vector<unsigned char> bytes(corners * indexBytes);
        for (std::uint32_t face = 0; face < mesh.num_faces(); ++face)
            for (std::size_t corner = 0; corner < 3; ++corner)
            {
                std::uint32_t index = mesh.face(draco::FaceIndex(face))[corner].value();
                // Little-endian, as glTF stores numbers.
                for (std::size_t byte = 0; byte < indexBytes; ++byte)
                    bytes[(std::size_t(face) * 3 + corner) * indexBytes + byte] =
                        static_cast<unsigned char>(index >> (8 * byte));
            }
        fill(accessor, origin, std::move(bytes));
        return true;
    }

    bool fillAttribute(const draco::Mesh& mesh, const draco::PointAttribute& attribute, const DracoOrigin& origin,
                       int& accessor, std::string& problem)
    {
        if (accessor < 0 || static_cast<std::size_t>(accessor) >= model.accessors.size())
        {
            problem = "names accessors[" + std::to_string(accessor) + "], which the document does not have";
            return false;
        }
        if (filledWith(accessor, origin))
            return true;
        const tinygltf::Accessor& target = model.accessors[static_cast<std::size_t>(accessor)];
        std::string name = indexed("accessors", static_cast<std::size_t>(accessor));
        std::size_t points = mesh.num_points();
        int components = tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(target.type));
        std::size_t bytesPerComponent = componentBytes(target.componentType);
        std::vector<unsigned char> bytes;
        if (components <= 0 || bytesPerComponent == 0)
            problem = name + " has a type or componentType no accessor has";
        else if (target.count != points)
            problem = name + " holds " + std::to_string(target.count) + " elements where the compressed mesh has " +
                      std::to_string(points) + " vertices";
        else if (attribute.num_components() != components)
            problem = name + " holds " + std::to_string(components) + " components an element where the compressed "
                      "attribute has " + std::to_string(attribute.num_components());
        else if (!budget.take(points, components * bytesPerComponent))
            problem = DecodeBudget::refusal(points, components * bytesPerComponent);
        else if (!convertValues(attribute, points, target.componentType, components, bytes))
            problem = name + " cannot hold the compressed values as componentType " +
                      std::to_string(target.componentType);
        if (!problem.empty())
            return false;
        fill(accessor, origin, std::move(bytes));
        return true;
    }

    tinygltf::Model& model;
    DocumentReport& report;
    DecodeBudget& budget;
    std::map<int, DracoOrigin> filledFrom;
};
}

void decompress(tinygltf::Model& model, const std::string& documentPath, Logger& logger)
{
    DocumentReport report(documentPath, logger);
    DecodeBudget budget;
    // Meshopt first: a Draco primitive's bufferView may itself be compressed.
    MeshoptViews(model, report, budget).decodeAll();
    DracoPrimitives(model, report, budget).decodeAll();
}

}
