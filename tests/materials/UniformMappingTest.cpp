#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/graphics/Texture.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Image.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "SceneBuilding.h"
#include "TemporaryDirectory.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace Pellux;

namespace
{
const char* const everyNameVertex = R"(#version 150
uniform mat4 world;
uniform mat4 view;
uniform mat4 proj;
uniform vec3 camPos;
uniform vec3 camDir;
in vec3 position;
in vec3 normal;
in vec3 tangent;
in vec2 texCoord_0;
out vec4 carried;
void main()
{
    carried = vec4(normal + tangent + camPos + camDir, texCoord_0.x);
    gl_Position = proj * view * world * vec4(position, 1.0);
}
)";

const char* const everyNameFragment = R"(#version 150
struct Light
{
    vec3 position;
    vec3 direction;
    vec4 vecViewProj_0;
    vec4 vecViewProj_1;
    vec4 vecViewProj_2;
    vec4 vecViewProj_3;
    vec4 color;
    float diffuseCoefficient;
    float constAttenuation;
    float linearAttenuation;
    float quadraticAttenuation;
    int type;
    float hotspotAngle;
    float falloffAngle;
    int shadowType;
    float shadowDensity;
};
uniform sampler2D textures[4];
uniform float specularCoefficient;
uniform int lightCount;
uniform Light lightArray[2];
uniform sampler2D shadowMaps[3];
in vec4 carried;
out vec4 fragColor;
vec4 everything(Light light)
{
    return vec4(light.position + light.direction, 0.0) + light.vecViewProj_0 + light.vecViewProj_1
        + light.vecViewProj_2 + light.vecViewProj_3 + light.color
        + vec4(light.diffuseCoefficient + light.constAttenuation + light.linearAttenuation
               + light.quadraticAttenuation + float(light.type) + light.hotspotAngle + light.falloffAngle
               + float(light.shadowType) + light.shadowDensity);
}
void main()
{
    vec4 sum = carried * specularCoefficient + vec4(float(lightCount));
    sum += texture(textures[0], vec2(0.5)) + texture(textures[1], vec2(0.5))
         + texture(textures[2], vec2(0.5)) + texture(textures[3], vec2(0.5));
    sum += everything(lightArray[0]) + everything(lightArray[1]);
    sum += texture(shadowMaps[0], vec2(0.5)) + texture(shadowMaps[1], vec2(0.5)) + texture(shadowMaps[2], vec2(0.5));
    fragColor = sum * 0.001;
}
)";

const char* const countOnlyFragment = R"(#version 150
uniform int lightCount;
out vec4 fragColor;
void main() { fragColor = vec4(float(lightCount)); }
)";

// A scene of one quad and three lights ("c", "b", "a" in the scene's light order; only "b" casts
// shadows), drawn by a material whose shaders declare every engine name.
class UniformMappingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(openRenderEngine(), nullptr);
        createLoggerQuietly();
        captureStdout([&] {
            scene = new Scene("mapping");
            camera = new CameraNode("camera");
            for (const char* name : {"a", "b", "c"})
                lights.push_back(new LightNode(name, 2));
            image = new Image("pixel", 1, 1, {10, 20, 30, 255});
        });
        camera->setTransform(translation({0, 5, 3}));
        camera->lookAt(0, 0, 0);
        scene->getRoot()->addChild(camera);
        scene->setActiveCamera(camera);
        for (LightNode* light : lights)
        {
            light->setTransform(translation({1, 4, 0}));
            light->lookAt(0, 0, 0);
            scene->getRoot()->addChild(light);
        }
        lights[1]->setShadowType(1);
        material = build("every-name", everyNameFragment);
        material->setFloat("specularCoefficient", 0.75f);
        material->addTexture(image);
        material->addTexture(nullptr);
        node = placeMesh(*scene->getRoot(), "quad", makeQuadMesh("every-name", 1), {0.5f, 0, 0});
        subMesh = node->getMesh()->getSubMeshes()[0];
        renderFrame();
    }

    void TearDown() override
    {
        EXPECT_FALSE(glErrorRaised());
        delete scene;
    }

    SinglePassAutoMapMaterial* build(const std::string& name, const char* fragment)
    {
        SinglePassAutoMapMaterial* made = nullptr;
        captureOutput([&] {
            made = new SinglePassAutoMapMaterial(name, std::make_shared<File>(shaders.write("m.vert", everyNameVertex)),
                                                 nullptr, std::make_shared<File>(shaders.write(name + ".frag", fragment)));
        });
        EXPECT_TRUE(made->isLinked());
        Tavrin::getInstance().getMaterialManager()->add(made);
        return made;
    }

    // One frame: the main pass and a shadow pass per light, after which no light counts as changed.
    void renderFrame()
    {
        RenderTarget* target = scene->getRenderTarget();
        target->bind();
        log = captureStdout([&] { scene->render(); });
    }

    void drawOnce(SinglePassAutoMapMaterial* with)
    {
        RenderTarget* target = scene->getRenderTarget();
        log = captureStdout([&] { with->draw(scene, node, subMesh, target); });
    }

    float floatUniform(SinglePassAutoMapMaterial* of, const std::string& name)
    {
        float value = -1;
        glGetUniformfv(of->getProgram(), glGetUniformLocation(of->getProgram(), name.c_str()), &value);
        return value;
    }

    int intUniform(SinglePassAutoMapMaterial* of, const std::string& name)
    {
        int value = -1;
        glGetUniformiv(of->getProgram(), glGetUniformLocation(of->getProgram(), name.c_str()), &value);
        return value;
    }

    void poke(SinglePassAutoMapMaterial* of, const std::string& name, float value)
    {
        glUseProgram(of->getProgram());
        glUniform1f(glGetUniformLocation(of->getProgram(), name.c_str()), value);
        glUseProgram(0);
    }

    Scene* scene = nullptr;
    CameraNode* camera = nullptr;
    std::vector<LightNode*> lights;
    Image* image = nullptr;
    SinglePassAutoMapMaterial* material = nullptr;
    MeshNode* node = nullptr;
    SubMesh* subMesh = nullptr;
    TemporaryDirectory shaders;
    std::string log;
};

TEST_F(UniformMappingTest, MatricesAndCameraComeFromTheNodeAndTheActiveCamera)
{
    drawOnce(material);
    struct MatrixCase { const char* name; Matrix4 expected; };
    const MatrixCase cases[] = {
        {"world", node->getWorldMatrix()},
        {"view", camera->getViewMatrix()},
        {"proj", camera->getProjectionMatrix()},
    };
    for (const MatrixCase& matrix : cases)
    {
        float uploaded[16];
        glGetUniformfv(material->getProgram(), glGetUniformLocation(material->getProgram(), matrix.name), uploaded);
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 4; ++col)
                EXPECT_FLOAT_EQ(uploaded[col * 4 + row], matrix.expected(row, col)) << matrix.name << " " << row << col;
    }
    float position[3];
    glGetUniformfv(material->getProgram(), glGetUniformLocation(material->getProgram(), "camPos"), position);
    EXPECT_FLOAT_EQ(position[1], 5.0f);
    EXPECT_FLOAT_EQ(position[2], 3.0f);
    EXPECT_FLOAT_EQ(floatUniform(material, "specularCoefficient"), 0.75f);
}

TEST_F(UniformMappingTest, TheCamerasValuesAreThoseOfItsPlaceAndTurn)
{
    // At (2, 3, 4), turned a quarter about +Y: it looks along -X.
    camera->setTransform(Matrix4(0, 0, 1, 2, 0, 1, 0, 3, -1, 0, 0, 4, 0, 0, 0, 1));
    RenderTarget* target = scene->getRenderTarget();
    target->bind();
    log = captureStdout([&] { scene->render(); });
    std::shared_ptr<Rectangle> size = target->getSize();
    float aspect = size->width / size->height;
    // The default field of view, 60 degrees with pi taken as 3.1415; near 1, far 1000.
    float focal = 1.0f / std::tan(1.0471667f / 2);
    const float view[16] = {0, 0, -1, 4, 0, 1, 0, -3, 1, 0, 0, -2, 0, 0, 0, 1};
    const float projection[16] = {focal / aspect, 0, 0, 0, 0, focal, 0, 0, 0, 0, -1001.0f / 999.0f, -2000.0f / 999.0f,
                                  0, 0, -1, 0};
    for (auto [name, expected] : {std::pair<const char*, const float*>{"view", view}, {"proj", projection}})
    {
        float uploaded[16];
        glGetUniformfv(material->getProgram(), glGetUniformLocation(material->getProgram(), name), uploaded);
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 4; ++col)
                EXPECT_NEAR(uploaded[col * 4 + row], expected[row * 4 + col], 1e-5f) << name << " " << row << col;
    }
    float position[3];
    float direction[3];
    glGetUniformfv(material->getProgram(), glGetUniformLocation(material->getProgram(), "camPos"), position);
    glGetUniformfv(material->getProgram(), glGetUniformLocation(material->getProgram(), "camDir"), direction);
    const float expectedPosition[3] = {2, 3, 4};
    const float expectedDirection[3] = {-1, 0, 0};
    for (int axis = 0; axis < 3; ++axis)
    {
        EXPECT_NEAR(position[axis], expectedPosition[axis], 1e-5f) << axis;
        EXPECT_NEAR(direction[axis], expectedDirection[axis], 1e-5f) << axis;
    }
}

TEST_F(UniformMappingTest, ImagesTakeTheLowestUnitsAndShadowMapsTheNextOnes)
{
    for (int element = 0; element < 3; ++element)
        glProgramUniform1i(material->getProgram(), glGetUniformLocation(material->getProgram(),
                           ("shadowMaps[" + std::to_string(element) + "]").c_str()), 31);
    drawOnce(material);
    struct UnitCase { const char* sampler; int unit; };
    const UnitCase cases[] = {
        {"textures[0]", 0}, {"textures[1]", 1}, {"textures[2]", 2}, {"textures[3]", 3},
        {"shadowMaps[0]", 31}, {"shadowMaps[1]", 4}, {"shadowMaps[2]", 31},
    };
    for (const UnitCase& sampler : cases)
        EXPECT_EQ(intUniform(material, sampler.sampler), sampler.unit) << sampler.sampler;

    GLint bound = 0;
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<unsigned int>(bound), Tavrin::getInstance().getRenderEngine()->getTexture(image)->getId());
    glActiveTexture(GL_TEXTURE4);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<unsigned int>(bound), lights[1]->getShadowMap()->getDepthTexture());
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(UniformMappingTest, LightsFollowTheScenesOrderUpToTheShadersArray)
{
    ASSERT_EQ(scene->getLights().size(), 3u);
    EXPECT_EQ(scene->getLights()[0]->getName(), "c");
    lights[2]->setDiffuseCoefficient(0.25f);
    lights[1]->setFalloffAngle(0.5f);
    drawOnce(material);
    EXPECT_EQ(intUniform(material, "lightCount"), 2) << "clamped to the two elements the shader has";
    EXPECT_FLOAT_EQ(floatUniform(material, "lightArray[0].diffuseCoefficient"), 0.25f);
    EXPECT_FLOAT_EQ(floatUniform(material, "lightArray[1].falloffAngle"), 0.5f);
    EXPECT_EQ(intUniform(material, "lightArray[1].shadowType"), 1);
    EXPECT_EQ(intUniform(material, "lightArray[0].type"), 2);
    Matrix4 viewProjection = lights[1]->getProjectionMatrix() * lights[1]->getViewMatrix();
    float row[4];
    glGetUniformfv(material->getProgram(), glGetUniformLocation(material->getProgram(), "lightArray[1].vecViewProj_2"), row);
    for (int col = 0; col < 4; ++col)
        EXPECT_FLOAT_EQ(row[col], viewProjection(2, col));
}

TEST_F(UniformMappingTest, LightMembersAreSentOnlyForChangedLightsOrADirtyMaterial)
{
    const std::string member = "lightArray[0].diffuseCoefficient";
    struct Step
    {
        const char* description;
        std::function<void()> between;
        float expected;
    };
    const Step steps[] = {
        {"nothing changed", [] {}, 99.0f},
        {"a parameter changed", [&] { lights[2]->setDiffuseCoefficient(0.5f); }, 0.5f},
        {"the material is dirty", [&] { material->lightsDirty = true; }, 0.5f},
        {"the light moved", [&] { lights[2]->setTransform(translation({3, 3, 3})); }, 0.5f},
        {"nothing changed again", [] {}, 99.0f},
    };
    for (const Step& step : steps)
    {
        renderFrame();
        poke(material, member, 99.0f);
        step.between();
        renderFrame();
        EXPECT_FLOAT_EQ(floatUniform(material, member), step.expected) << step.description;
        EXPECT_FALSE(material->lightsDirty) << step.description;
    }
}

// A material that draws nothing for a while must not keep what its program held of the lights then.
TEST_F(UniformMappingTest, AMaterialBackAfterAPauseHasTheLightsAsTheyAreNow)
{
    struct Pause
    {
        const char* description;
        std::function<void(bool)> drawn;
    };
    const Pause pauses[] = {
        {"node hidden", [&](bool shown) { node->setVisible(shown); }},
        {"node detached", [&](bool shown) {
             if (shown)
                 scene->getRoot()->addChild(node);
             else
                 scene->getRoot()->removeChild(node);
         }},
    };
    float x = 2;
    for (const Pause& pause : pauses)
    {
        renderFrame();
        pause.drawn(false);
        x += 5;
        lights[2]->setTransform(translation({x, 4, 0}));
        lights[2]->setDiffuseCoefficient(x + 1);
        renderFrame();
        pause.drawn(true);
        renderFrame();
        float position[3] = {0, 0, 0};
        glGetUniformfv(material->getProgram(), glGetUniformLocation(material->getProgram(), "lightArray[0].position"),
                       position);
        EXPECT_FLOAT_EQ(position[0], x) << pause.description;
        EXPECT_FLOAT_EQ(floatUniform(material, "lightArray[0].diffuseCoefficient"), x + 1) << pause.description;
    }
}

// Materials of the same shader sources share one program; no material may see another's values.
TEST_F(UniformMappingTest, AMaterialSharingItsProgramSeesNothingOfTheOthers)
{
    SinglePassAutoMapMaterial* plain = build("plain", everyNameFragment);
    ASSERT_EQ(plain->getProgram(), material->getProgram());
    drawOnce(material);
    drawOnce(plain);
    EXPECT_FLOAT_EQ(floatUniform(plain, "specularCoefficient"), 0.0f) << "a program of its own would hold 0";
    GLint bound = 0;
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_NE(static_cast<unsigned int>(bound), Tavrin::getInstance().getRenderEngine()->getTexture(image)->getId())
        << "the other material's image";
}

TEST_F(UniformMappingTest, LightCountAloneIsNeverSent)
{
    SinglePassAutoMapMaterial* countOnly = build("count-only", countOnlyFragment);
    node->getMesh()->getSubMeshes()[0]->setMaterialName("count-only");
    glProgramUniform1i(countOnly->getProgram(), glGetUniformLocation(countOnly->getProgram(), "lightCount"), 7);
    renderFrame();
    EXPECT_EQ(intUniform(countOnly, "lightCount"), 7);
}

TEST_F(UniformMappingTest, AMissingParameterIsReportedAtEveryDraw)
{
    SinglePassAutoMapMaterial* withoutParameter = build("no-parameter", everyNameFragment);
    for (int draw = 0; draw < 2; ++draw)
    {
        drawOnce(withoutParameter);
        EXPECT_NE(log.find(")]:\tvalue ist NULL: specularCoefficient\n"), std::string::npos) << log;
    }
}

// A parameter the draws found missing, or found, is read anew once it is set.
TEST_F(UniformMappingTest, AParameterSetAfterADrawReachesTheNextDraw)
{
    SinglePassAutoMapMaterial* later = build("set-later", everyNameFragment);
    drawOnce(later);
    EXPECT_FLOAT_EQ(floatUniform(later, "specularCoefficient"), 0.0f);
    later->setFloat("shininess", 3.0f);
    drawOnce(later);
    EXPECT_FLOAT_EQ(floatUniform(later, "specularCoefficient"), 0.0f) << "another parameter added";
    for (float value : {0.25f, 0.5f})
    {
        later->setFloat("specularCoefficient", value);
        drawOnce(later);
        EXPECT_FLOAT_EQ(floatUniform(later, "specularCoefficient"), value);
    }
}

TEST_F(UniformMappingTest, AnInputWithoutItsArrayStaysOffAndTheDrawGoesOn)
{
    EXPECT_EQ(subMesh->getAttribute("tangents"), nullptr);
    drawOnce(material);
    GLint enabled = 1;
    glBindVertexArray(0);
    glGetVertexAttribiv(static_cast<GLuint>(glGetAttribLocation(material->getProgram(), "tangent")),
                        GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    EXPECT_EQ(enabled, 0);
}
}
