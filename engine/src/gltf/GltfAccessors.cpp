#include "gltf/GltfAccessors.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

bool AccessorReader::locate(int view, std::size_t offset, std::size_t count, std::size_t elementBytes,
                            bool strided, const unsigned char*& first, std::size_t& stride,
                            std::string& problem) const
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
    const std::vector<unsigned char>& buffer = model.buffers[static_cast<std::size_t>(bufferView.buffer)].data;
    if (bufferView.byteOffset > buffer.size() || bufferView.byteLength > buffer.size() - bufferView.byteOffset)
    {
        problem = where + " reaches past the end of its buffer";
        return false;
    }
    stride = strided && bufferView.byteStride != 0 ? bufferView.byteStride : elementBytes;
    if (stride < elementBytes)
    {
        problem = where + " has a byteStride of " + std::to_string(stride) + ", less than the element's " +
                  std::to_string(elementBytes) + " bytes";
        return false;
    }
    // Compared by division, so that no product of hostile numbers can wrap around.
    std::size_t available = offset <= bufferView.byteLength ? bufferView.byteLength - offset : 0;
    if (elementBytes > available || (count > 1 && stride > (available - elementBytes) / (count - 1)))
    {
        problem = "reaches past the " + std::to_string(bufferView.byteLength) + " bytes of " + where;
        return false;
    }
    first = buffer.data() + bufferView.byteOffset + offset;
    return true;
}

template <class Value>
bool AccessorReader::readElements(const tinygltf::Accessor& accessor, const Layout& layout, bool normalized,
                                  std::vector<Value>& values, std::string& problem) const
{
    std::size_t perElement = static_cast<std::size_t>(layout.components);
    values.assign(layout.count * perElement, Value(0));
    // Without a buffer view the elements are zeros, which sparse substitutions may replace.
    if (accessor.bufferView < 0)
        return true;
    const unsigned char* first = nullptr;
    std::size_t stride = 0;
    std::size_t elementBytes = layout.componentBytes * perElement;
    if (!locate(accessor.bufferView, accessor.byteOffset, layout.count, elementBytes, true, first, stride, problem))
        return false;
    // Packed numbers of the very kind wanted are copied as they are.
    bool sameKind = (std::is_same<Value, float>::value && layout.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT) ||
                    (std::is_same<Value, unsigned int>::value &&
                     layout.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT && !normalized);
    if (sameKind && stride == elementBytes)
    {
        std::memcpy(values.data(), first, values.size() * sizeof(Value));
        return true;
    }
    for (std::size_t element = 0; element < layout.count; ++element)
        for (std::size_t component = 0; component < perElement; ++component)
            values[element * perElement + component] = static_cast<Value>(
                componentAt(first + element * stride + component * layout.componentBytes, layout.componentType,
                            normalized));
    return true;
}

template <class Value>
bool AccessorReader::applySparse(const tinygltf::Accessor& accessor, const Layout& layout, bool normalized,
                                 std::vector<Value>& values, std::string& problem) const
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
    const unsigned char* indices = nullptr;
    const unsigned char* substitutes = nullptr;
    std::size_t indexStride = 0;
    std::size_t valueStride = 0;
    if (!locate(sparse.indices.bufferView, static_cast<std::size_t>(std::max(sparse.indices.byteOffset, 0)), count,
                indexBytes, false, indices, indexStride, problem) ||
        !locate(sparse.values.bufferView, static_cast<std::size_t>(std::max(sparse.values.byteOffset, 0)), count,
                layout.componentBytes * perElement, false, substitutes, valueStride, problem))
    {
        problem = "sparse: " + problem;
        return false;
    }
    for (std::size_t entry = 0; entry < count; ++entry)
    {
        double index = componentAt(indices + entry * indexStride, sparse.indices.componentType, false);
        if (index >= static_cast<double>(layout.count))
        {
            problem = "has the sparse index " + std::to_string(static_cast<std::uint64_t>(index)) +
                      ", past its " + std::to_string(layout.count) + " elements";
            return false;
        }
        std::size_t element = static_cast<std::size_t>(index);
        for (std::size_t component = 0; component < perElement; ++component)
            values[element * perElement + component] = static_cast<Value>(componentAt(
                substitutes + entry * valueStride + component * layout.componentBytes, layout.componentType,
                normalized));
    }
    return true;
}

bool AccessorReader::readFloats(int index, std::vector<float>& values, int& components, std::string& problem) const
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

bool AccessorReader::readIndices(int index, std::vector<unsigned int>& indices, std::string& problem) const
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
    return true;
}

}
