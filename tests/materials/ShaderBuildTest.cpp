#include "pellux/core/RenderEngine.h"
#include "pellux/foundation/File.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "TemporaryDirectory.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

using Pellux::RenderEngine;

namespace
{
const char* const goodVertexShader = "#version 150\nin vec3 position;\nvoid main() { gl_Position = vec4(position, 1.0); }\n";
const char* const goodFragmentShader = "#version 150\nout vec4 fragColor;\nvoid main() { fragColor = vec4(1.0); }\n";

class ShaderBuildTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(openRenderEngine(), nullptr); }
    void TearDown() override { EXPECT_FALSE(glErrorRaised()); }

    File shaderFile(const std::string& name, const std::string& source) { return File(directory.write(name, source)); }

    TemporaryDirectory directory;
};

TEST_F(ShaderBuildTest, AGoodVertexShaderIsReportedOnStandardOutput)
{
    File file = shaderFile("good.vert", goodVertexShader);
    unsigned int shader = 0;
    std::string out = captureStdout([&] { shader = RenderEngine::loadVertexShader(&file); });
    EXPECT_NE(shader, 0u);
    EXPECT_TRUE(glIsShader(shader));
    EXPECT_NE(out.find(")]:\tloadVertexShader(" + file.getPath() + ")\n"), std::string::npos) << out;
    EXPECT_NE(out.find(")]:\tcompile vertex shader\n"), std::string::npos) << out;
    EXPECT_NE(out.find(")]:\tglCreateShader: 0x"), std::string::npos) << out;
    EXPECT_NE(out.find("\nfinished loading shader: " + file.getPath() + "\n"), std::string::npos) << out;
}

TEST_F(ShaderBuildTest, AVertexCompileErrorGoesToStandardOutputWithoutLogPrefix)
{
    File file = shaderFile("broken.vert", "#version 150\nvoid main() { this is not glsl }\n");
    unsigned int shader = 99;
    std::string out = captureStdout([&] { shader = RenderEngine::loadVertexShader(&file); });
    EXPECT_EQ(shader, 0u);
    std::string afterCompile = out.substr(out.find("compile vertex shader\n") + 22);
    EXPECT_EQ(afterCompile.rfind("Vertex-shader compile error:\n\n", 0), 0u) << out;
    EXPECT_GT(afterCompile.size(), 60u) << "the driver's log is missing: " << out;
    EXPECT_NE(afterCompile.find("\nfailed to load shader: " + file.getPath() + "\n"), std::string::npos) << out;
    EXPECT_EQ(afterCompile.find("ERR:\t"), std::string::npos) << out;
}

TEST_F(ShaderBuildTest, AFragmentCompileErrorHasItsOwnHeading)
{
    File file = shaderFile("broken.frag", "#version 150\nout vec4 fragColor;\nvoid main() { fragColor = 1; }\n");
    unsigned int shader = 99;
    std::string out = captureStdout([&] { shader = RenderEngine::loadFragmentShader(&file); });
    EXPECT_EQ(shader, 0u);
    EXPECT_NE(out.find("Fragment-shader compile error:\n\n"), std::string::npos) << out;
    EXPECT_NE(out.find("failed to load shader: " + file.getPath() + "\n"), std::string::npos) << out;
}

TEST_F(ShaderBuildTest, MissingFilesAreReportedOnTheirChannels)
{
    File vertex(directory.path() + "/missing.vert");
    File fragment(directory.path() + "/missing.frag");
    unsigned int vertexShader = 99;
    unsigned int fragmentShader = 99;
    CapturedOutput vertexOutput = captureOutput([&] { vertexShader = RenderEngine::loadVertexShader(&vertex); });
    CapturedOutput fragmentOutput = captureOutput([&] { fragmentShader = RenderEngine::loadFragmentShader(&fragment); });

    EXPECT_EQ(vertexShader, 0u);
    EXPECT_EQ(vertexOutput.err, "");
    std::size_t error = vertexOutput.out.find("ERR:\t[ RenderEngine.cpp     (");
    ASSERT_NE(error, std::string::npos) << vertexOutput.out;
    EXPECT_EQ(vertexOutput.out.find("ERR", error + 1), std::string::npos) << "exactly one ERR line";
    EXPECT_NE(vertexOutput.out.find(")]:\tError: file could not be opened: " + vertex.getPath() + "\n"), std::string::npos);

    EXPECT_EQ(fragmentShader, 0u);
    EXPECT_EQ(fragmentOutput.err, "Error: file could not be opened: " + fragment.getPath() + "\n");
    EXPECT_EQ(fragmentOutput.out.find("ERR"), std::string::npos) << fragmentOutput.out;
}

TEST_F(ShaderBuildTest, EmptyAndBinaryFilesFailToCompile)
{
    for (const std::string& content : {std::string(), std::string("\x7f" "ELF\x02\x01\x01\0\0\0garbage", 18)})
    {
        File file = shaderFile("odd.vert", content);
        unsigned int shader = 99;
        std::string out = captureStdout([&] { shader = RenderEngine::loadVertexShader(&file); });
        EXPECT_EQ(shader, 0u);
        EXPECT_NE(out.find("failed to load shader: "), std::string::npos) << out;
    }
}

TEST_F(ShaderBuildTest, AProgramLinksWithFragColorOnBufferZero)
{
    File vertex = shaderFile("good.vert", goodVertexShader);
    File fragment = shaderFile("good.frag", goodFragmentShader);
    bool linked = false;
    unsigned int program = 0;
    std::string out = captureStdout([&] { program = RenderEngine::buildProgram(&vertex, &fragment, &linked); });
    EXPECT_TRUE(linked);
    EXPECT_TRUE(glIsProgram(program));
    EXPECT_EQ(glGetFragDataLocation(program, "fragColor"), 0);
    for (const char* step : {"init shader", "attach shader", "link shader"})
        EXPECT_NE(out.find(std::string(")]:\t") + step + "\n"), std::string::npos) << step << out;
    EXPECT_NE(out.find("INFO:\t[ RenderEngine.cpp     ("), std::string::npos) << out;
    EXPECT_NE(out.find(")]:\tShader-program linked successfully.\n\n"), std::string::npos) << out;
}

TEST_F(ShaderBuildTest, AProgramWithoutItsVertexShaderReportsALinkErrorAndStillHasAName)
{
    File vertex(directory.path() + "/missing.vert");
    File fragment = shaderFile("good.frag", goodFragmentShader);
    bool linked = true;
    unsigned int program = 0;
    std::string out = captureStdout([&] { program = RenderEngine::buildProgram(&vertex, &fragment, &linked); });
    EXPECT_FALSE(linked);
    EXPECT_NE(program, 0u);
    EXPECT_NE(out.find(")]:\tShader-program link error:\n\nthe vertex shader did not load\n"), std::string::npos)
        << out;
}
}
