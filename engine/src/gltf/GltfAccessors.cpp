#include "gltf/GltfAccessors.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace Pellux::Gltf
{

std::size_t componentBytes(int componentType)
{
    switch (componentType)
    {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return 4;
    default: return 0;
    }
}

namespace
{
int componentsOf(int type)
{
    switch (type)
    {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    case TINYGLTF_TYPE_MAT2: return 4;
    case TINYGLTF_TYPE_MAT3: return 9;
    case TINYGLTF_TYPE_MAT4: return 16;
    default: return 0;
    }
}

// One component; a normalized integer maps to [0, 1], or [-1, 1] when signed, as glTF reads it.
double componentAt(const unsigned char* at, int componentType, bool normalized)
{
    switch (componentType)
    {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    {
        std::int8_t value = 0;
        std::memcpy(&value, at, 1);
        return normalized ? std::max(value / 127.0, -1.0) : value;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return normalized ? at[0] / 255.0 : at[0];
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    {
        std::int16_t value = 0;
        std::memcpy(&value, at, 2);
        return normalized ? std::max(value / 32767.0, -1.0) : value;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
    {
        std::uint16_t value = 0;
        std::memcpy(&value, at, 2);
        return normalized ? value / 65535.0 : value;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    {
        std::uint32_t value = 0;
        std::memcpy(&value, at, 4);
        return normalized ? value / 4294967295.0 : value;
    }
    default:
    {
        float value = 0;
        std::memcpy(&value, at, 4);
        return value;
    }
    }
}
}

bool AccessorReader::layoutOf(const tinygltf::Accessor& accessor, Layout& layout, std::string& problem) const
{
    layout.componentType = accessor.componentType;
    layout.componentBytes = componentBytes(accessor.componentType);
    layout.components = componentsOf(accessor.type);
    layout.count = accessor.count;
    if (layout.componentBytes == 0)
        problem = "has the componentType " + std::to_string(accessor.componentType) + ", which no accessor has";
    else if (layout.components == 0)
        problem = "has a type no accessor has";
    else if (accessor.count == 0)
        problem = "has no elements (count 0)";
    else if (accessor.count > largestValues / static_cast<std::size_t>(layout.components))
        problem = "has " + std::to_string(accessor.count) + " elements, more than the " +
                  std::to_string(largestValues / static_cast<std::size_t>(layout.components)) + " read";
    return problem.empty();
}

bool AccessorReader::locate(int view, std::size_t offset, std::size_t count, std::size_t elementBytes, bool strided,
                            Span& span, std::string& problem) const
{
    if (view < 0 || static_cast<std::size_t>(view) >= model.bufferViews.size())
    {
        problem = "names bufferViews[" + std::to_string(view) + "], which the document does not have";
        return false;
    }
    const tinygltf::BufferView& bufferView = model.bufferViews[static_cast<std::size_t>(view)];
    std::string where = "bufferViews[" + std::to_string(view) + "]";
    if (bufferView.buffer < 0 || static_cast<std::size_t>(bufferView.buffer) >= model.buffers.size())
    {
        problem = where + " names buffers[" + std::to_string(bufferView.buffer) + "], which the document does not have";
        return false;
    }
    std::size_t bufferBytes = buffers.size(bufferView.buffer);
    if (bufferView.byteOffset > bufferBytes || bufferView.byteLength > bufferBytes - bufferView.byteOffset)
    {
        problem = where + " reaches past the end of its buffer";
        return false;
    }
    span.stride = strided && bufferView.byteStride != 0 ? bufferView.byteStride : elementBytes;
    if (span.stride < elementBytes)
    {
        problem = where + " has a byteStride of " + std::to_string(span.stride) + ", less than the element's " +
                  std::to_string(elementBytes) + " bytes";
        return false;
    }
    // Compared by division, so that no product of hostile numbers can wrap around.
    std::size_t available = offset <= bufferView.byteLength ? bufferView.byteLength - offset : 0;
    if (elementBytes > available || (count > 1 && span.stride > (available - elementBytes) / (count - 1)))
    {
        problem = "reaches past the " + std::to_string(bufferView.byteLength) + " bytes of " + where;
        return false;
    }
    span.buffer = bufferView.buffer;
    span.first = bufferView.byteOffset + offset;
    return true;
}

bool AccessorReader::fetch(const Span& span, std::size_t element, std::size_t count, std::size_t elementBytes,
                           std::vector<unsigned char>& into, const unsigned char*& bytes, std::string& problem)
{
    std::size_t length = (count - 1) * span.stride + elementBytes;
    return buffers.read(span.buffer, span.first + element * span.stride, length, into, bytes) ||
           unreadable(span, problem);
}

bool AccessorReader::unreadable(const Span& span, std::string& problem)
{
    problem = "cannot be read from the file of buffers[" + std::to_string(span.buffer) + "]";
    return false;
}

namespace
{
// Kept as eight running maxima, which the compiler holds side by side in vector registers so that no
// step waits for the one before it, of the indices shifted into signed numbers, which the processor
// compares in one instruction.
unsigned int largestOf(const std::vector<unsigned int>& indices)
{
    const std::size_t lanes = 8;
    const unsigned int shift = 0x80000000u;
    int largest[lanes];
    std::fill(largest, largest + lanes, std::numeric_limits<int>::min());
    std::size_t at = 0;
    for (; at + lanes <= indices.size(); at += lanes)
        for (std::size_t lane = 0; lane < lanes; ++lane)
            largest[lane] = std::max(largest[lane], static_cast<int>(indices[at + lane] ^ shift));
    for (; at < indices.size(); ++at)
        largest[0] = std::max(largest[0], static_cast<int>(indices[at] ^ shift));
    return static_cast<unsigned int>(*std::max_element(largest, largest + lanes)) ^ shift;
}

// Elements read at a time from a buffer's file: a piece that stays in the processor's cache.
std::size_t elementsPerPiece(std::size_t stride)
{
    const std::size_t pieceBytes = std::size_t(1) << 18;
    return std::max<std::size_t>(1, pieceBytes / stride);
}
}

template <class Value>
bool AccessorReader::readElements(const tinygltf::Accessor& accessor, const Layout& layout, bool normalized,
                                  std::vector<Value>& values, std::string& problem)
{
    std::size_t perElement = static_cast<std::size_t>(layout.components);
    // Without a buffer view the elements are zeros, which sparse substitutions may replace.
    if (accessor.bufferView < 0)
    {
        values.assign(layout.count * perElement, Value(0));
        return true;
    }
    Span span{};
    std::size_t elementBytes = layout.componentBytes * perElement;
    if (!locate(accessor.bufferView, accessor.byteOffset, layout.count, elementBytes, true, span, problem))
        return false;
    // Packed numbers of the very kind wanted are copied as they are.
    bool sameKind = (std::is_same<Value, float>::value && layout.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT) ||
                    (std::is_same<Value, unsigned int>::value &&
                     layout.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT && !normalized);
    bool copied = sameKind && span.stride == elementBytes;
    values.clear();
    values.reserve(layout.count * perElement);
    for (std::size_t element = 0; element < layout.count;)
    {
        std::size_t count = std::min(layout.count - element, elementsPerPiece(span.stride));
        std::size_t at = values.size();
        values.resize(at + count * perElement);
        const unsigned char* bytes = nullptr;
        if (copied && !buffers.copy(span.buffer, span.first + element * span.stride, count * elementBytes,
                                    reinterpret_cast<unsigned char*>(values.data() + at)))
            return unreadable(span, problem);
        if (!copied && !fetch(span, element, count, elementBytes, scratch, bytes, problem))
            return false;
        for (std::size_t piece = 0; !copied && piece < count; ++piece)
            for (std::size_t component = 0; component < perElement; ++component)
                values[at + piece * perElement + component] = static_cast<Value>(
                    componentAt(bytes + piece * span.stride + component * layout.componentBytes,
                                layout.componentType, normalized));
        element += count;
    }
    return true;
}

template <class Value>
bool AccessorReader::applySparse(const tinygltf::Accessor& accessor, const Layout& layout, bool normalized,
                                 std::vector<Value>& values, std::string& problem)
{
    const auto& sparse = accessor.sparse;
    if (!sparse.isSparse)
        return true;
    std::size_t count = static_cast<std::size_t>(std::max(sparse.count, 0));
    if (count == 0 || count > layout.count)
    {
        problem = "has " + std::to_string(sparse.count) + " sparse elements, where 1 to " +
                  std::to_string(layout.count) + " may be";
        return false;
    }
    std::size_t indexBytes = componentBytes(sparse.indices.componentType);
    if (indexBytes == 0 || sparse.indices.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT ||
        sparse.indices.componentType == TINYGLTF_COMPONENT_TYPE_BYTE ||
        sparse.indices.componentType == TINYGLTF_COMPONENT_TYPE_SHORT)
    {
        problem = "has sparse indices of componentType " + std::to_string(sparse.indices.componentType) +
                  ", which are not unsigned integers";
        return false;
    }
    std::size_t perElement = static_cast<std::size_t>(layout.components);
    std::size_t valueBytes = layout.componentBytes * perElement;
    Span indexSpan{};
    Span valueSpan{};
    const unsigned char* indices = nullptr;
    const unsigned char* substitutes = nullptr;
    if (!locate(sparse.indices.bufferView, static_cast<std::size_t>(std::max(sparse.indices.byteOffset, 0)), count,
                indexBytes, false, indexSpan, problem) ||
        !locate(sparse.values.bufferView, static_cast<std::size_t>(std::max(sparse.values.byteOffset, 0)), count,
                valueBytes, false, valueSpan, problem) ||
        !fetch(indexSpan, 0, count, indexBytes, sparseScratch, indices, problem) ||
        !fetch(valueSpan, 0, count, valueBytes, scratch, substitutes, problem))
    {
        problem = "sparse: " + problem;
        return false;
    }
    for (std::size_t entry = 0; entry < count; ++entry)
    {
        double index = componentAt(indices + entry * indexSpan.stride, sparse.indices.componentType, false);
        if (index >= static_cast<double>(layout.count))
        {
            problem = "has the sparse index " + std::to_string(static_cast<std::uint64_t>(index)) +
                      ", past its " + std::to_string(layout.count) + " elements";
            return false;
        }
        std::size_t element = static_cast<std::size_t>(index);
        for (std::size_t component = 0; component < perElement; ++component)
            values[element * perElement + component] = static_cast<Value>(componentAt(
                substitutes + entry * valueSpan.stride + component * layout.componentBytes, layout.componentType,
                normalized));
    }
    return true;
}

bool AccessorReader::readFloats(int index, std::vector<float>& values, int& components, std::string& problem)
{
    if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size())
    {
        problem = "names accessors[" + std::to_string(index) + "], which the document does not have";
        return false;
    }
    const tinygltf::Accessor& accessor = model.accessors[static_cast<std::size_t>(index)];
    Layout layout{};
    if (!layoutOf(accessor, layout, problem) || !readElements(accessor, layout, accessor.normalized, values, problem) ||
        !applySparse(accessor, layout, accessor.normalized, values, problem))
    {
        problem = "accessors[" + std::to_string(index) + "] " + problem;
        return false;
    }
    components = layout.components;
    return true;
}

bool AccessorReader::readIndices(int index, std::vector<unsigned int>& indices, unsigned int& largest,
                                 std::string& problem)
{
    if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size())
    {
        problem = "names accessors[" + std::to_string(index) + "], which the document does not have";
        return false;
    }
    const tinygltf::Accessor& accessor = model.accessors[static_cast<std::size_t>(index)];
    bool unsignedScalar = accessor.type == TINYGLTF_TYPE_SCALAR &&
                          (accessor.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
                           accessor.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ||
                           accessor.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
    Layout layout{};
    if (!unsignedScalar)
        problem = "is no scalar of unsigned integers, as indices are";
    if (!unsignedScalar || !layoutOf(accessor, layout, problem) ||
        !readElements(accessor, layout, false, indices, problem) || !applySparse(accessor, layout, false, indices, problem))
    {
        problem = "accessors[" + std::to_string(index) + "] " + problem;
        return false;
    }
    largest = largestOf(indices);
    return true;
}

bool AccessorValues::holdsFloats(int accessor) const
{
    return accessor >= 0 && static_cast<std::size_t>(accessor) < model.accessors.size() &&
           model.accessors[static_cast<std::size_t>(accessor)].componentType == TINYGLTF_COMPONENT_TYPE_FLOAT;
}

const std::vector<float>* AccessorValues::floats(int accessor, int& components, std::string& problem)
{
    auto kept = keptFloats.find(accessor);
    if (kept != keptFloats.end())
    {
        components = kept->second.components;
        return &kept->second.values;
    }
    if (!holdsFloats(accessor))
        return reader.readFloats(accessor, unkept, components, problem) ? &unkept : nullptr;
    KeptFloats read;
    if (!reader.readFloats(accessor, read.values, read.components, problem))
        return nullptr;
    components = read.components;
    return &keptFloats.emplace(accessor, std::move(read)).first->second.values;
}

const std::vector<unsigned int>* AccessorValues::indices(int accessor, unsigned int& largest, std::string& problem)
{
    auto kept = keptIndices.find(accessor);
    if (kept == keptIndices.end())
    {
        KeptIndices read;
        if (!reader.readIndices(accessor, read.values, read.largest, problem))
            return nullptr;
        kept = keptIndices.emplace(accessor, std::move(read)).first;
    }
    largest = kept->second.largest;
    return &kept->second.values;
}

bool AccessorValues::takeFloats(int accessor, std::vector<float>& values, int& components, std::string& problem)
{
    auto kept = keptFloats.find(accessor);
    if (kept == keptFloats.end())
        return reader.readFloats(accessor, values, components, problem);
    values = std::move(kept->second.values);
    components = kept->second.components;
    keptFloats.erase(kept);
    return true;
}

bool AccessorValues::takeIndices(int accessor, std::vector<unsigned int>& values, unsigned int& largest,
                                 std::string& problem)
{
    auto kept = keptIndices.find(accessor);
    if (kept == keptIndices.end())
        return reader.readIndices(accessor, values, largest, problem);
    values = std::move(kept->second.values);
    largest = kept->second.largest;
    keptIndices.erase(kept);
    return true;
}

}
