#include "gltf/GltfAccessors.h"
#include "gltf/GltfBuffers.h"

#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Pellux::Gltf;

namespace
{
// One buffer of `bytes` and one accessor of `count` elements over all of it.
tinygltf::Model modelOver(const std::string& bytes, int componentType, int type, bool normalized, std::size_t stride,
                          std::size_t count)
{
    tinygltf::Model model;
    model.buffers.resize(1);
    model.buffers[0].data.assign(bytes.begin(), bytes.end());
    model.bufferViews.resize(1);
    model.bufferViews[0].buffer = 0;
    model.bufferViews[0].byteLength = bytes.size();
    model.bufferViews[0].byteStride = stride;
    model.accessors.resize(1);
    model.accessors[0].bufferView = 0;
    model.accessors[0].componentType = componentType;
    model.accessors[0].type = type;
    model.accessors[0].normalized = normalized;
    model.accessors[0].count = count;
    return model;
}

std::string countingBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t at = 0; at < size; ++at)
        bytes[at] = static_cast<char>((at * 7 + at / 251) & 0xFF);
    return bytes;
}

struct Layout
{
    const char* description;
    int componentType;
    int type;
    bool normalized;
    std::size_t stride;
    std::size_t count;
};

// Large enough to be read from a file in several pieces.
const Layout layouts[] = {
    {"packed floats, copied as they are", TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, false, 0, 40000},
    {"interleaved floats", TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, false, 20, 30000},
    {"normalized shorts", TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC2, true, 8, 70000},
    {"one byte each", TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_SCALAR, false, 0, 300000},
};
}

TEST(GltfAccessorsTest, ABufferLeftInItsFileReadsAsTheSameBufferInMemory)
{
    TemporaryDirectory directory;
    for (const Layout& layout : layouts)
    {
        std::size_t elementBytes = componentBytes(layout.componentType) * (layout.type == TINYGLTF_TYPE_SCALAR ? 1
                                                                            : layout.type == TINYGLTF_TYPE_VEC2 ? 2
                                                                                                                : 3);
        std::size_t stride = layout.stride != 0 ? layout.stride : elementBytes;
        std::string bytes = countingBytes((layout.count - 1) * stride + elementBytes);
        // Floats from arbitrary bytes may be NaNs, which compare unequal: they are kept finite.
        for (std::size_t at = 3; layout.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT && at < bytes.size(); at += 4)
            bytes[at] = 0x3F;
        tinygltf::Model inMemory = modelOver(bytes, layout.componentType, layout.type, layout.normalized,
                                             layout.stride, layout.count);
        tinygltf::Model inFile = inMemory;
        inFile.buffers[0].data.clear();
        std::vector<BufferFile> files = {{0, directory.write("b.bin", bytes), bytes.size()}};
        BufferBytes memoryBytes(inMemory, {});
        BufferBytes fileBytes(inFile, files);

        std::vector<float> expected;
        std::vector<float> read;
        int components = 0;
        std::string problem;
        ASSERT_TRUE(AccessorReader(inMemory, memoryBytes).readFloats(0, expected, components, problem)) << problem;
        ASSERT_TRUE(AccessorReader(inFile, fileBytes).readFloats(0, read, components, problem))
            << layout.description << ": " << problem;
        EXPECT_EQ(read, expected) << layout.description;
    }
}

TEST(GltfAccessorsTest, AFileThatNoLongerHoldsItsBufferIsReportedNotRead)
{
    TemporaryDirectory directory;
    std::string bytes = countingBytes(36);
    tinygltf::Model model = modelOver(bytes, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, false, 0, 3);
    model.buffers[0].data.clear();
    std::vector<BufferFile> files = {{0, directory.write("b.bin", bytes.substr(0, 20)), 36}};
    BufferBytes buffers(model, files);
    std::vector<float> values;
    int components = 0;
    std::string problem;
    EXPECT_FALSE(AccessorReader(model, buffers).readFloats(0, values, components, problem));
    EXPECT_EQ(problem, "accessors[0] cannot be read from the file of buffers[0]");
}

// What the checks read is kept for one take; a second take reads again.
TEST(GltfAccessorsTest, KeptValuesAreTakenOnceAndThenReadAgain)
{
    std::string bytes = countingBytes(12);
    tinygltf::Model model = modelOver(bytes, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, false, 0, 3);
    BufferBytes buffers(model, {});
    AccessorValues values(model, buffers);
    std::string problem;
    unsigned int largest = 0;
    const std::vector<unsigned int>* kept = values.indices(0, largest, problem);
    ASSERT_NE(kept, nullptr) << problem;
    std::vector<unsigned int> expected = *kept;
    EXPECT_EQ(largest, *std::max_element(expected.begin(), expected.end()));
    for (int take = 0; take < 2; ++take)
    {
        std::vector<unsigned int> taken;
        unsigned int takenLargest = 0;
        ASSERT_TRUE(values.takeIndices(0, taken, takenLargest, problem)) << problem;
        EXPECT_EQ(taken, expected) << "take " << take;
        EXPECT_EQ(takenLargest, largest) << "take " << take;
    }
}
