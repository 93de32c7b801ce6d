#include "pellux/materials/SinglePassAutoMapMaterial.h"

#include "pellux/core/ShaderCompiler.h"
#include "pellux/foundation/Logger.h"

#include <GL/glew.h>

#include <fstream>
#include <iostream>

namespace Pellux
{

namespace
{
std::shared_ptr<File> orNamelessFile(std::shared_ptr<File> file)
{
    return file ? file : std::make_shared<File>("");
}
}

SinglePassAutoMapMaterial::SinglePassAutoMapMaterial(std::string name, std::shared_ptr<File> vertexShaderFile,
                                                     std::shared_ptr<File> geometryShaderFile,
                                                     std::shared_ptr<File> fragmentShaderFile)
    : Material(std::move(name)),
      vertexShaderFile(orNamelessFile(std::move(vertexShaderFile))),
      geometryShaderFile(std::move(geometryShaderFile)),
      fragmentShaderFile(orNamelessFile(std::move(fragmentShaderFile)))
{
    if (!this->vertexShaderFile->exists())
        LOG(logger->err) << "Datei existiert nicht: " << this->vertexShaderFile->getPath() << std::endl;
    scan(*this->vertexShaderFile, true);
    scan(*this->fragmentShaderFile, false);
    LOG(logger->info) << "create shader" << std::endl;
    GLuint vertexShader = loadVertexShader(*this->vertexShaderFile);
    GLuint fragmentShader = loadFragmentShader(*this->fragmentShaderFile);
    linkProgram(vertexShader, fragmentShader);
}

void SinglePassAutoMapMaterial::scan(const File& file, bool readInputs)
{
    std::string fullPath = file.getFullPath();
    LOG(logger->info) << "parse File: " << fullPath << std::endl;
    std::ifstream source(fullPath);
    scanShaderDeclarations(source, readInputs, uniforms, attributes);
}

unsigned int SinglePassAutoMapMaterial::loadVertexShader(const File& file)
{
    return loadShader(file, GL_VERTEX_SHADER, "Vertex-shader compile error:\n\n");
}

unsigned int SinglePassAutoMapMaterial::loadFragmentShader(const File& file)
{
    return loadShader(file, GL_FRAGMENT_SHADER, "Fragment-shader compile error:\n\n");
}

unsigned int SinglePassAutoMapMaterial::loadShader(const File& file, unsigned int type, const char* errorHeading)
{
    std::string path = file.getPath();
    std::string source;
    if (!ShaderCompiler::readSource(path, source))
    {
        std::cerr << "Error: file could not be opened: " << path << std::endl;
        return 0;
    }
    std::string infoLog;
    GLuint shader = ShaderCompiler::compile(type, source, infoLog);
    if (shader != 0)
    {
        LOG(logger->info) << "finished loading shader: " << path << std::endl;
        return shader;
    }
    LOG(logger->err) << errorHeading << infoLog << std::endl;
    LOG(logger->err) << "failed to load shader: " << path << std::endl;
    return 0;
}

void SinglePassAutoMapMaterial::linkProgram(unsigned int vertexShader, unsigned int fragmentShader)
{
    std::string infoLog;
    program = ShaderCompiler::link(vertexShader, fragmentShader, linked, infoLog);
    if (linked)
        LOG(logger->info) << "Shader-program linked successfully." << std::endl;
    else
        LOG(logger->err) << "Shader-program link error: " << infoLog << std::endl;
}

float* SinglePassAutoMapMaterial::getValue(const std::string& name)
{
    auto found = values.find(name);
    if (found != values.end())
        return &found->second;
    LOG(logger->err) << "value ist NULL: " << name << std::endl;
    return nullptr;
}

void SinglePassAutoMapMaterial::draw(Scene*, MeshNode*, SubMesh*, RenderTarget*)
{
}

void SinglePassAutoMapMaterial::drawNode(Scene*, MeshNode*, RenderTarget*)
{
}

}
