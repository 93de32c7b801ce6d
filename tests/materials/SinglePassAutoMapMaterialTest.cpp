#include "pellux/materials/SinglePassAutoMapMaterial.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "TemporaryDirectory.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

using Pellux::SinglePassAutoMapMaterial;

namespace
{
const char* const vertexSource = R"(#version 150
uniform mat4 world;
uniform mat4 view;
uniform mat4 proj;
in vec3 position;
in vec3 normal;
in vec2 texCoord_0;
out vec2 uv;
void main()
{
    uv = texCoord_0 + normal.xy * 0.0;
    gl_Position = proj * view * world * vec4(position, 1.0);
}
)";

const char* const fragmentSource = R"(#version 150
uniform sampler2D textures[2];
uniform float specularCoefficient;
in vec2 uv;
out vec4 fragColor;
void main()
{
    fragColor = texture(textures[0], uv) * specularCoefficient;
}
)";

class SinglePassAutoMapMaterialTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(openRenderEngine(), nullptr); }
    void TearDown() override { EXPECT_FALSE(glErrorRaised()); }

    std::shared_ptr<File> shader(const std::string& name, const std::string& source)
    {
        return std::make_shared<File>(directory.write(name, source));
    }

    std::shared_ptr<File> missing(const std::string& name)
    {
        return std::make_shared<File>(directory.path() + "/" + name);
    }

    SinglePassAutoMapMaterial* build(std::shared_ptr<File> vertex, std::shared_ptr<File> fragment)
    {
        SinglePassAutoMapMaterial* material = nullptr;
        output = captureOutput([&] { material = new SinglePassAutoMapMaterial("test", vertex, nullptr, fragment); });
        return material;
    }

    bool logged(const std::string& text) const { return output.out.find(text) != std::string::npos; }

    TemporaryDirectory directory;
    CapturedOutput output;
};

TEST_F(SinglePassAutoMapMaterialTest, RecordsWhatBothShadersDeclareAndLinks)
{
    SinglePassAutoMapMaterial* material = build(shader("a.vert", vertexSource), shader("a.frag", fragmentSource));
    EXPECT_TRUE(material->isLinked()) << output.out;
    EXPECT_TRUE(glIsProgram(material->getProgram()));
    for (const char* name : {"world", "view", "proj", "textures", "specularCoefficient"})
        EXPECT_EQ(material->getUniforms().count(name), 1u) << name;
    EXPECT_EQ(material->getUniforms().at("textures").count, 2);
    EXPECT_EQ(material->getUniforms().size(), 5u) << "the fragment shader's own uniforms count too";
    for (const char* name : {"position", "normal", "texCoord_0"})
        EXPECT_EQ(material->getAttributes().count(name), 1u) << name;
    EXPECT_EQ(material->getAttributes().count("uv"), 0u) << "inputs of the fragment shader are not vertex inputs";
    EXPECT_EQ(material->getMaterialName(), "test");
    EXPECT_EQ(glGetFragDataLocation(material->getProgram(), "fragColor"), 0);
}

TEST_F(SinglePassAutoMapMaterialTest, LogsEveryStepOfTheBuild)
{
    auto vertex = shader("a.vert", vertexSource);
    auto fragment = shader("a.frag", fragmentSource);
    build(vertex, fragment);
    const std::string steps[] = {
        "parse File: " + vertex->getFullPath() + "\n",
        "parse File: " + fragment->getFullPath() + "\n",
        "create shader\n",
        "finished loading shader: " + vertex->getPath() + "\n",
        "finished loading shader: " + fragment->getPath() + "\n",
        "Shader-program linked successfully.\n",
    };
    std::size_t at = 0;
    for (const std::string& step : steps)
    {
        std::size_t found = output.out.find(")]:\t" + step, at);
        EXPECT_NE(found, std::string::npos) << step << output.out;
        at = found == std::string::npos ? at : found;
    }
    EXPECT_EQ(output.out.find("ERR"), std::string::npos) << output.out;
    EXPECT_EQ(output.err, "");
}

TEST_F(SinglePassAutoMapMaterialTest, WindowsLineEndsScanAndCompileAlike)
{
    auto toWindows = [](std::string text) {
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
            text.replace(at, 1, "\r\n");
        return text;
    };
    SinglePassAutoMapMaterial* material =
        build(shader("w.vert", toWindows(vertexSource)), shader("w.frag", toWindows(fragmentSource)));
    EXPECT_TRUE(material->isLinked()) << output.out;
    EXPECT_EQ(material->getUniforms().size(), 5u);
    EXPECT_EQ(material->getAttributes().size(), 3u);
}

TEST_F(SinglePassAutoMapMaterialTest, ACompileErrorIsLoggedAndTheMaterialDoesNotDraw)
{
    auto vertex = shader("bad.vert", "#version 150\nvoid main() { nonsense }\n");
    SinglePassAutoMapMaterial* material = build(vertex, shader("a.frag", fragmentSource));
    EXPECT_FALSE(material->isLinked());
    EXPECT_TRUE(logged("ERR:\t[ SinglePassAutoMapMaterial.cpp (")) << output.out;
    EXPECT_TRUE(logged(")]:\tVertex-shader compile error:\n\n")) << output.out;
    EXPECT_TRUE(logged(")]:\tfailed to load shader: " + vertex->getPath() + "\n")) << output.out;
    EXPECT_TRUE(logged(")]:\tShader-program link error: the vertex shader did not load\n")) << output.out;
}

TEST_F(SinglePassAutoMapMaterialTest, ALinkErrorIsLoggedWithTheDriversWords)
{
    const char* mismatched = "#version 150\nin float uv;\nout vec4 fragColor;\nvoid main() { fragColor = vec4(uv); }\n";
    SinglePassAutoMapMaterial* material = build(shader("a.vert", vertexSource), shader("m.frag", mismatched));
    EXPECT_FALSE(material->isLinked());
    std::size_t error = output.out.find(")]:\tShader-program link error: ");
    ASSERT_NE(error, std::string::npos) << output.out;
    EXPECT_GT(output.out.size() - error, 40u) << "the driver's log is missing: " << output.out;
}

TEST_F(SinglePassAutoMapMaterialTest, AMissingVertexShaderIsReportedTwice)
{
    auto vertex = missing("none.vert");
    SinglePassAutoMapMaterial* material = build(vertex, shader("a.frag", fragmentSource));
    EXPECT_FALSE(material->isLinked());
    EXPECT_TRUE(logged(")]:\tDatei existiert nicht: " + vertex->getPath() + "\n")) << output.out;
    EXPECT_TRUE(logged(")]:\tparse File: " + vertex->getFullPath() + "\n")) << output.out;
    EXPECT_EQ(output.err, "Error: file could not be opened: " + vertex->getPath() + "\n");
    EXPECT_TRUE(material->getAttributes().empty());
}

TEST_F(SinglePassAutoMapMaterialTest, AMissingFragmentShaderIsReportedOnStandardErrorOnly)
{
    auto fragment = missing("none.frag");
    SinglePassAutoMapMaterial* material = build(shader("a.vert", vertexSource), fragment);
    EXPECT_FALSE(material->isLinked());
    EXPECT_FALSE(logged("Datei existiert nicht")) << output.out;
    EXPECT_TRUE(logged(")]:\tparse File: " + fragment->getFullPath() + "\n")) << output.out;
    EXPECT_EQ(output.err, "Error: file could not be opened: " + fragment->getPath() + "\n");
}

TEST_F(SinglePassAutoMapMaterialTest, EmptyAndBinaryShaderFilesGiveAMaterialThatDoesNotDraw)
{
    for (const std::string& content : {std::string(), std::string("\0\1\2\3binary", 10)})
    {
        SinglePassAutoMapMaterial* material = build(shader("odd.vert", content), shader("odd.frag", content));
        EXPECT_FALSE(material->isLinked());
        EXPECT_TRUE(logged("Vertex-shader compile error:")) << output.out;
        EXPECT_TRUE(logged("Fragment-shader compile error:")) << output.out;
    }
}

TEST_F(SinglePassAutoMapMaterialTest, KeepsNumericParametersAsFloats)
{
    SinglePassAutoMapMaterial* material = build(shader("a.vert", vertexSource), shader("a.frag", fragmentSource));
    material->setInt("specularExponent", 20);
    material->setFloat("specularCoefficient", 0.25f);
    ASSERT_NE(material->getValue("specularExponent"), nullptr);
    EXPECT_EQ(*material->getValue("specularExponent"), 20.0f);
    material->setFloat("specularCoefficient", 0.5f);
    EXPECT_EQ(*material->getValue("specularCoefficient"), 0.5f);

    float* missingValue = material->getValue("specularExponent");
    std::string log = captureStdout([&] { missingValue = material->getValue("shininess"); });
    EXPECT_EQ(missingValue, nullptr);
    EXPECT_NE(log.find("ERR:\t[ SinglePassAutoMapMaterial.cpp ("), std::string::npos) << log;
    EXPECT_NE(log.find(")]:\tvalue ist NULL: shininess\n"), std::string::npos) << log;
}

TEST_F(SinglePassAutoMapMaterialTest, KeepsItsImagesInOrderAlsoTwice)
{
    SinglePassAutoMapMaterial* material = build(shader("a.vert", vertexSource), shader("a.frag", fragmentSource));
    auto* image = reinterpret_cast<Pellux::Image*>(0x10);
    material->addTexture(image);
    material->addTexture(nullptr);
    material->addTexture(image);
    EXPECT_EQ(material->getTextures(), (std::vector<Pellux::Image*>{image, nullptr, image}));
}
// An array no program can hold is taken at the length OpenGL can hold, with one line that says so.
TEST_F(SinglePassAutoMapMaterialTest, ArrayLengthsBeyondWhatOpenGLHoldsAreCut)
{
    struct LongArray
    {
        const char* declaration;
        const char* name;
        GLenum limit;
    };
    const LongArray arrays[] = {
        {"uniform sampler2D manyMaps[2000000000];", "manyMaps", GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS},
        {"uniform vec4 weights[2000000000];", "weights", GL_MAX_FRAGMENT_UNIFORM_COMPONENTS},
    };
    for (const LongArray& array : arrays)
    {
        std::shared_ptr<File> fragment =
            shader(std::string(array.name) + ".frag", std::string(array.declaration) + "\n" + fragmentSource);
        SinglePassAutoMapMaterial* material = build(shader("a.vert", vertexSource), fragment);
        GLint limit = 0;
        glGetIntegerv(array.limit, &limit);
        EXPECT_EQ(material->getUniforms().at(array.name).count, limit) << array.name;
        std::string line = ")]:\tshader " + fragment->getFullPath() + ": uniform '" + array.name +
                           "' declares 2000000000 elements, more than OpenGL holds; " + std::to_string(limit) +
                           " are used\n";
        EXPECT_TRUE(logged(line)) << output.out;
        EXPECT_EQ(output.out.find(" elements, more than"), output.out.rfind(" elements, more than")) << output.out;
    }
}
}
