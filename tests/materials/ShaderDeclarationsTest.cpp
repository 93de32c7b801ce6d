#include "pellux/materials/ShaderDeclarations.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

using Pellux::ShaderVariables;

namespace
{
struct ScanResult
{
    ShaderVariables uniforms;
    ShaderVariables inputs;
};

ScanResult scan(const std::string& source, bool vertexFile)
{
    ScanResult result;
    std::istringstream stream(source);
    Pellux::scanShaderDeclarations(stream, vertexFile, result.uniforms, result.inputs);
    return result;
}

struct ScanCase
{
    const char* line;
    bool uniform;
    const char* name;
    const char* type;
    int count;
    bool fragmentReadsIt;
};

TEST(ShaderDeclarations, RecordsDeclarationsAtColumnZero)
{
    const ScanCase cases[] = {
        {"uniform mat4 world;", true, "world", "mat4", 1, true},
        {"uniform sampler2D textures[4];", true, "textures", "sampler2D", 4, true},
        {"uniform Light lightArray[8];", true, "lightArray", "Light", 8, true},
        {"uniform vec4 weights[MAX];", true, "weights", "vec4", 0, true},
        {"uniform Light lightArray[ 8 ];", true, "lightArray", "Light", 0, true},
        {"in vec3 position;", false, "position", "vec3", 1, false},
        {"uniform float x ;", true, "x", "float", 1, true},
        {"uniform vec3 a, b;", true, "a,", "vec3", 1, true},
        {"int counter = 0;", false, "=", "counter", 1, false},
        {"uniforms vec2 offset;", true, "offset", "vec2", 1, true},
        {"inout vec2 flow;", false, "flow", "vec2", 1, false},
        {"uniform vec2\toffset scale;", true, "scale", "vec2\toffset", 1, true},
    };
    for (const ScanCase& row : cases)
        for (bool vertexFile : {true, false})
        {
            ScanResult result = scan(std::string(row.line) + "\n", vertexFile);
            const ShaderVariables& found = row.uniform ? result.uniforms : result.inputs;
            bool expected = vertexFile || row.fragmentReadsIt;
            ASSERT_EQ(found.size(), expected ? 1u : 0u) << row.line << (vertexFile ? " (vertex)" : " (fragment)");
            EXPECT_EQ((row.uniform ? result.inputs : result.uniforms).size(), 0u) << row.line;
            if (!expected)
                continue;
            const auto& variable = found.begin()->second;
            EXPECT_EQ(found.begin()->first, row.name) << row.line;
            EXPECT_EQ(variable.name, row.name) << row.line;
            EXPECT_EQ(variable.type, row.type) << row.line;
            EXPECT_EQ(variable.count, row.count) << row.line;
        }
}

TEST(ShaderDeclarations, SkipsWhatIsNoDeclaration)
{
    for (const char* line : {"    uniform float specularCoefficient;", "uniform float;", "int counter;",
                             "// uniform mat4 world;", "void main() {", "", "in"})
    {
        ScanResult result = scan(std::string(line) + "\n", true);
        EXPECT_TRUE(result.uniforms.empty()) << line;
        EXPECT_TRUE(result.inputs.empty()) << line;
    }
}

// Declarations that are commented out must not be taken for real ones: a huge array length in a
// comment once made every draw walk two thousand million elements.
TEST(ShaderDeclarations, CommentsHoldNoDeclarations)
{
    struct CommentCase
    {
        const char* source;
        std::vector<std::string> uniforms;
    };
    const CommentCase cases[] = {
        {"/*\nuniform sampler2D textures[2000000000];\n*/\nuniform mat4 world;\n", {"world"}},
        {"/* uniform mat4 hidden; */\nuniform mat4 world;\n", {"world"}},
        {"/* one\n   two */uniform mat4 hidden;\nuniform mat4 world;\n", {"world"}},
        {"uniform mat4 world; // uniform mat4 hidden;\n", {"world"}},
        {"uniform mat4 world; /* a block\nuniform mat4 hidden;\nthat ends */\nuniform mat4 view;\n", {"view", "world"}},
        {"uniform /* the */ mat4 world;\n", {"world"}},
        {"uniform mat4 world;\n// /* not a block\nuniform mat4 view;\n", {"view", "world"}},
    };
    for (const CommentCase& row : cases)
    {
        ScanResult result = scan(row.source, false);
        std::vector<std::string> names;
        for (const auto& [name, variable] : result.uniforms)
            names.push_back(name);
        EXPECT_EQ(names, row.uniforms) << row.source;
    }
}

TEST(ShaderDeclarations, WindowsLineEndsReadAsUnixOnes)
{
    const std::string unix = "#version 150\nuniform mat4 proj;\nin vec2 texCoord_0;\nuniform int lightCount;";
    std::string windows;
    for (char c : unix)
        windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ScanResult fromUnix = scan(unix, true);
    ScanResult fromWindows = scan(windows + "\r\n", true);
    ASSERT_EQ(fromWindows.uniforms.size(), 2u);
    for (const auto& [name, variable] : fromUnix.uniforms)
        EXPECT_EQ(fromWindows.uniforms.at(name).type, variable.type) << name;
    EXPECT_EQ(fromWindows.inputs.at("texCoord_0").type, "vec2");
}

TEST(ShaderDeclarations, ALaterDeclarationReplacesAnEarlierOne)
{
    ScanResult result = scan("uniform vec3 tint;\nuniform vec4 tint;\n", false);
    EXPECT_EQ(result.uniforms.at("tint").type, "vec4");
}
}
