#pragma once

#include "pellux/materials/MaterialValue.h"
#include "pellux/materials/ShaderDeclarations.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace Pellux
{

class LightNode;
class Matrix4;
struct Vector3;

// Where a linked program takes each engine name its sources declare, looked up once (array elements
// on first use) so that drawing builds no strings; what the program last received of each light; and
// the values the draws of the current pass sent it, which are not sent again while it holds them.
// Materials built from the same sources share a program, and so share this record, which the
// renderer keeps for each program.
class ProgramLocations
{
public:
    // The location of a name the sources do not declare; nothing is sent to it.
    static constexpr int undeclared = -2;

    // A uniform the sources declare under a name the engine does not feed: the material's own.
    struct OpenUniform
    {
        std::string name;
        // The GLSL type as declared, and the kind of value it takes; `fed` is false for a type no
        // material value feeds.
        std::string type;
        MaterialValue::Kind kind;
        bool fed;
        // An int or bool: numbers go as integers.
        bool integer;
        int location;
    };

    struct Light
    {
        int position, direction, viewProjection[4], color, diffuseCoefficient, constAttenuation,
            linearAttenuation, quadraticAttenuation, type, hotspotAngle, falloffAngle, shadowType, shadowDensity;
    };

    // Looks up the locations of the program the sources were linked into.
    ProgramLocations(unsigned int program, const ShaderVariables& uniforms, const ShaderVariables& inputs);

    unsigned int getProgram() const { return program; }

    int texture(std::size_t element) { return arrayElement(textures, "textures", element); }
    int shadowMap(std::size_t element) { return arrayElement(shadowMaps, "shadowMaps", element); }
    int texCoord(std::size_t set);
    const Light& light(std::size_t index);

    // Whether element `index` of the light array holds the light as it is now.
    bool holdsCurrent(std::size_t index, const LightNode& light) const;
    void received(std::size_t index, const LightNode& light);

    // Send a value unless an earlier draw of this pass sent the program the same one; outside a
    // pass, always. The program must be in use.
    void sendMatrix(int location, const Matrix4& matrix);
    void sendVector(int location, const Vector3& vector);
    void sendInt(int location, int value);
    void sendFloat(int location, float value);
    // Numbers of any kind but a texture, as the uniform takes them.
    void sendValue(const OpenUniform& uniform, const MaterialValue& value);

    const std::vector<OpenUniform>& getOpenUniforms() const { return openUniforms; }

    int world, view, proj, camPos, camDir, specularCoefficient, lightCount;
    // The scene's ambient light, and the material's switch to draw its colour as it is, unlit.
    int ambientLight, unlit;
    int position, normal, tangent, bitangent, color;
    // Skinning: the joint matrices (the array's first element, or a buffer texture of them), how many
    // of them count, and each vertex's joint indices and weights.
    int jointMatrices, jointTexture, jointCount, jointIndices, jointWeights;
    // Morphing: the buffer texture of the mesh's target offsets, how many targets the mesh has, and
    // the targets the draw shows (how many, which, and how much of each).
    int morphOffsets, morphTargetCount, morphCount, morphIndices, morphWeights;
    bool texturesDeclared, lightArrayDeclared, shadowMapsDeclared;
    // The array lengths the sources give (0 when they write no number); the targets a draw shows at
    // most are the shorter of morphIndices and morphWeights.
    int declaredTextures, declaredLights, declaredJoints, declaredMorphs;

private:
    int uniform(const char* name) const;
    int input(const std::string& name) const;
    int arrayElement(std::vector<int>& cache, const char* arrayName, std::size_t element);
    // Whether the program holds the value at the location from this pass; notes it as held if not.
    bool holds(int location, const void* value, std::size_t size);

    // A value sent in a pass: as many bytes as its type has.
    struct Held
    {
        unsigned long long pass = 0;
        std::array<unsigned char, 64> bytes{};
    };

    unsigned int program;
    ShaderVariables uniforms;
    ShaderVariables inputs;
    std::vector<int> textures;
    std::vector<int> shadowMaps;
    std::vector<int> texCoords;
    std::vector<Light> lights;
    std::vector<unsigned long long> receivedRevisions;
    std::vector<OpenUniform> openUniforms;
    // By location.
    std::vector<Held> held;
};

}
