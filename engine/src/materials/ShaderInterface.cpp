#include "materials/ShaderInterface.h"

#include "graphics/DrawState.h"
#include "pellux/foundation/File.h"
#include "pellux/foundation/FileChecks.h"
#include "pellux/foundation/Logger.h"

#include <GL/glew.h>

#include <fstream>

namespace Pellux
{

namespace
{
int uniformComponents(GLenum stageLimit)
{
    GLint components = 0;
    glGetIntegerv(stageLimit, &components);
    return components;
}

bool isSampler(const ShaderVariable& variable)
{
    return variable.type.find("sampler") != std::string::npos;
}
}

ShaderInterface ShaderInterface::scan(const File& vertexShader, const File& fragmentShader, Logger& logger)
{
    Declared vertex = scanFile(vertexShader, true, logger);
    Declared fragment = scanFile(fragmentShader, false, logger);
    ShaderInterface declared;
    declared.vertexUniforms = vertex.uniforms;
    declared.uniforms = std::move(vertex.uniforms);
    declared.inputs = std::move(vertex.inputs);
    // A uniform both shaders declare keeps the fragment shader's record.
    for (auto& [uniformName, variable] : fragment.uniforms)
        declared.uniforms[uniformName] = std::move(variable);
    return declared;
}

ShaderInterface::Declared ShaderInterface::scanFile(const File& file, bool readInputs, Logger& logger)
{
    std::string fullPath = file.getFullPath();
    LOG(logger.info) << "parse File: " << fullPath << std::endl;
    Declared declared;
    if (!unreadableFileReason(fullPath).empty())
        return declared;
    std::ifstream source(fullPath);
    scanShaderDeclarations(source, readInputs, declared.uniforms, declared.inputs);
    limitArrayLengths(declared.uniforms, fullPath,
                      uniformComponents(readInputs ? GL_MAX_VERTEX_UNIFORM_COMPONENTS : GL_MAX_FRAGMENT_UNIFORM_COMPONENTS),
                      logger);
    return declared;
}

void ShaderInterface::limitArrayLengths(ShaderVariables& declared, const std::string& path, int otherUniformLimit,
                                        Logger& logger)
{
    for (auto& [uniformName, variable] : declared)
    {
        int limit = isSampler(variable) ? DrawState::textureUnits() : otherUniformLimit;
        if (variable.count <= limit)
            continue;
        LOG(logger.err) << "shader " << path << ": uniform '" << uniformName << "' declares "
                        << std::to_string(variable.count) << " elements, more than OpenGL holds; "
                        << std::to_string(limit) << " are used" << std::endl;
        variable.count = limit;
    }
}

}
