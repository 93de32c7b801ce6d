#include "renderer/ProgramLocations.h"

#include "graphics/DrawState.h"
#include "pellux/foundation/NumberParsing.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Matrix4.h"
#include "pellux/scene/Vector3.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <string>

namespace Pellux
{

namespace
{
// Locations beyond it (a shader's own layout qualifiers may place uniforms anywhere) are always sent.
const int highestHeldLocation = 4095;

int declaredLength(const ShaderVariables& uniforms, const char* name)
{
    auto found = uniforms.find(name);
    return found == uniforms.end() ? 0 : found->second.count;
}
}

ProgramLocations::ProgramLocations(unsigned int program, const ShaderVariables& uniforms, const ShaderVariables& inputs)
    : program(program), uniforms(uniforms), inputs(inputs)
{
    world = uniform("world");
    view = uniform("view");
    proj = uniform("proj");
    camPos = uniform("camPos");
    camDir = uniform("camDir");
    specularCoefficient = uniform("specularCoefficient");
    lightCount = uniform("lightCount");
    ambientLight = uniform("ambientLight");
    unlit = uniform("unlit");
    position = input("position");
    normal = input("normal");
    tangent = input("tangent");
    bitangent = input("bitangent");
    color = input("color");
    jointMatrices = uniform("jointMatrices");
    jointTexture = uniform("jointTexture");
    jointCount = uniform("jointCount");
    jointIndices = input("jointIndices");
    jointWeights = input("jointWeights");
    morphOffsets = uniform("morphOffsets");
    morphTargetCount = uniform("morphTargetCount");
    morphCount = uniform("morphCount");
    morphIndices = uniform("morphIndices");
    morphWeights = uniform("morphWeights");
    texturesDeclared = uniforms.count("textures") > 0;
    lightArrayDeclared = uniforms.count("lightArray") > 0;
    shadowMapsDeclared = uniforms.count("shadowMaps") > 0;
    declaredTextures = declaredLength(uniforms, "textures");
    declaredLights = declaredLength(uniforms, "lightArray");
    declaredJoints = declaredLength(uniforms, "jointMatrices");
    declaredMorphs = std::min(declaredLength(uniforms, "morphIndices"), declaredLength(uniforms, "morphWeights"));
    for (const auto& [name, variable] : uniforms)
    {
        if (isEngineUniform(name))
            continue;
        OpenUniform open{name, variable.type, MaterialValue::Kind::Number, false,
                         variable.type == "int" || variable.type == "bool", glGetUniformLocation(program, name.c_str())};
        open.fed = MaterialValue::kindFor(variable.type, open.kind);
        openUniforms.push_back(open);
    }
}

int ProgramLocations::uniform(const char* name) const
{
    return uniforms.count(name) > 0 ? glGetUniformLocation(program, name) : undeclared;
}

int ProgramLocations::input(const std::string& name) const
{
    return inputs.count(name) > 0 ? glGetAttribLocation(program, name.c_str()) : undeclared;
}

int ProgramLocations::arrayElement(std::vector<int>& cache, const char* arrayName, std::size_t element)
{
    while (cache.size() <= element)
        cache.push_back(glGetUniformLocation(program, (std::string(arrayName) + "[" + std::to_string(cache.size()) + "]").c_str()));
    return cache[element];
}

int ProgramLocations::texCoord(std::size_t set)
{
    while (texCoords.size() <= set)
        texCoords.push_back(input("texCoord_" + std::to_string(texCoords.size())));
    return texCoords[set];
}

const ProgramLocations::Light& ProgramLocations::light(std::size_t index)
{
    while (lights.size() <= index)
    {
        std::string element = "lightArray[" + std::to_string(lights.size()) + "]";
        auto at = [&](const char* member) { return glGetUniformLocation(program, (element + member).c_str()); };
        lights.push_back(Light{at(".position"), at(".direction"),
                               {at(".vecViewProj_0"), at(".vecViewProj_1"), at(".vecViewProj_2"), at(".vecViewProj_3")},
                               at(".color"), at(".diffuseCoefficient"), at(".constAttenuation"), at(".linearAttenuation"),
                               at(".quadraticAttenuation"), at(".type"), at(".hotspotAngle"), at(".falloffAngle"),
                               at(".shadowType"), at(".shadowDensity")});
    }
    return lights[index];
}

bool ProgramLocations::holdsCurrent(std::size_t index, const LightNode& light) const
{
    return index < receivedRevisions.size() && receivedRevisions[index] == light.getRevision();
}

void ProgramLocations::received(std::size_t index, const LightNode& light)
{
    if (receivedRevisions.size() <= index)
        receivedRevisions.resize(index + 1, 0);
    receivedRevisions[index] = light.getRevision();
}

bool ProgramLocations::holds(int location, const void* value, std::size_t size)
{
    unsigned long long pass = DrawState::currentPass();
    if (pass == 0 || location < 0 || location > highestHeldLocation)
        return false;
    if (held.size() <= static_cast<std::size_t>(location))
        held.resize(static_cast<std::size_t>(location) + 1);
    Held& slot = held[static_cast<std::size_t>(location)];
    if (slot.pass == pass && std::memcmp(slot.bytes.data(), value, size) == 0)
        return true;
    slot.pass = pass;
    std::memcpy(slot.bytes.data(), value, size);
    return false;
}

void ProgramLocations::sendMatrix(int location, const Matrix4& matrix)
{
    static_assert(sizeof(float) * 16 <= sizeof(Held::bytes), "a matrix fits a held value");
    if (!holds(location, matrix.data(), sizeof(float) * 16))
        glUniformMatrix4fv(location, 1, GL_TRUE, matrix.data());
}

void ProgramLocations::sendVector(int location, const Vector3& vector)
{
    const float components[3] = {vector.x, vector.y, vector.z};
    if (!holds(location, components, sizeof components))
        glUniform3f(location, vector.x, vector.y, vector.z);
}

void ProgramLocations::sendInt(int location, int value)
{
    if (!holds(location, &value, sizeof value))
        glUniform1i(location, value);
}

void ProgramLocations::sendFloat(int location, float value)
{
    if (!holds(location, &value, sizeof value))
        glUniform1f(location, value);
}

void ProgramLocations::sendValue(const OpenUniform& uniform, const MaterialValue& value)
{
    using Kind = MaterialValue::Kind;
    const float* numbers = value.numbers.data();
    int location = uniform.location;
    switch (value.kind)
    {
    case Kind::Number:
        if (uniform.integer)
        {
            int whole = 0;
            wholePartToInt(numbers[0], whole);
            sendInt(location, whole);
        }
        else
            sendFloat(location, numbers[0]);
        break;
    case Kind::Vector2:
        if (!holds(location, numbers, 2 * sizeof(float)))
            glUniform2fv(location, 1, numbers);
        break;
    case Kind::Vector3:
        if (!holds(location, numbers, 3 * sizeof(float)))
            glUniform3fv(location, 1, numbers);
        break;
    case Kind::Vector4:
        if (!holds(location, numbers, 4 * sizeof(float)))
            glUniform4fv(location, 1, numbers);
        break;
    case Kind::Matrix3:
        if (!holds(location, numbers, 9 * sizeof(float)))
            glUniformMatrix3fv(location, 1, GL_TRUE, numbers);
        break;
    case Kind::Matrix4:
        if (!holds(location, numbers, 16 * sizeof(float)))
            glUniformMatrix4fv(location, 1, GL_TRUE, numbers);
        break;
    case Kind::Texture:
        break;
    }
}

}
