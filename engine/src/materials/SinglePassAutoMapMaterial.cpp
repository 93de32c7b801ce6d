#include "pellux/materials/SinglePassAutoMapMaterial.h"

#include "graphics/GraphicsContext.h"
#include "graphics/ShaderCompiler.h"
#include "materials/ShaderInterface.h"
#include "pellux/foundation/Logger.h"

#include <GL/glew.h>

#include <iostream>
#include <typeinfo>

namespace Pellux
{

namespace
{
// The material's voice: compile and link outcomes through the logger.
class MaterialShaderReports : public ShaderReports
{
public:
    void cannotOpen(ShaderStage, const std::string& path) override
    {
        std::cerr << "Error: file could not be opened: " << path << std::endl;
    }

    void compiled(const std::string& path) override
    {
        LOG(log.info) << "finished loading shader: " << path << std::endl;
    }

    void compileFailed(ShaderStage stage, const std::string& infoLog, const std::string& path) override
    {
        LOG(log.err) << (stage == ShaderStage::Vertex ? "Vertex" : "Fragment") << "-shader compile error:\n\n"
                     << infoLog << std::endl;
        LOG(log.err) << "failed to load shader: " << path << std::endl;
    }

    void linked() override { LOG(log.info) << "Shader-program linked successfully." << std::endl; }

    void linkFailed(const std::string& infoLog) override
    {
        LOG(log.err) << "Shader-program link error: " << infoLog << std::endl;
    }

private:
    Logger& log = Logger::getInstance();
};

std::shared_ptr<File> orNamelessFile(std::shared_ptr<File> file)
{
    return file ? file : std::make_shared<File>("");
}

// What an empty fragment shader would change: discarded fragments, written depths, and a vertex
// shader that reads textures.
bool depthDependsOnShading(const std::string& vertexSource, const std::string& fragmentSource)
{
    return fragmentSource.find("discard") != std::string::npos ||
           fragmentSource.find("gl_FragDepth") != std::string::npos ||
           vertexSource.find("sampler") != std::string::npos;
}

// A parameter the engine keeps without a uniform.
const char* const keptParameter = "specularExponent";

const char* const emptyFragmentShader = "#version 150\nout vec4 fragColor;\nvoid main() { fragColor = vec4(1.0); }\n";
}

SinglePassAutoMapMaterial::SinglePassAutoMapMaterial(std::string name, std::shared_ptr<File> vertexShaderFile,
                                                     std::shared_ptr<File> geometryShaderFile,
                                                     std::shared_ptr<File> fragmentShaderFile)
    : Material(std::move(name)),
      vertexShaderFile(orNamelessFile(std::move(vertexShaderFile))),
      geometryShaderFile(std::move(geometryShaderFile)),
      fragmentShaderFile(orNamelessFile(std::move(fragmentShaderFile)))
{
    if (GraphicsContext::current() == nullptr)
    {
        LOG(logger->err) << "material '" << getMaterialName()
                         << "': no engine window is open, so its shaders cannot be built; it draws nothing"
                         << std::endl;
        return;
    }
    if (!this->vertexShaderFile->exists())
        LOG(logger->err) << "Datei existiert nicht: " << this->vertexShaderFile->getPath() << std::endl;
    ShaderInterface declared = ShaderInterface::scan(*this->vertexShaderFile, *this->fragmentShaderFile, *logger);
    uniforms = std::move(declared.uniforms);
    vertexUniforms = std::move(declared.vertexUniforms);
    attributes = std::move(declared.inputs);
    build();
}

void SinglePassAutoMapMaterial::build()
{
    LOG(logger->info) << "create shader" << std::endl;
    MaterialShaderReports reports;
    ShaderCompiler& shaders = GraphicsContext::current()->shaders();
    std::string vertexSource;
    std::string fragmentSource;
    GLuint vertexShader = shaders.load(vertexShaderFile->getPath(), ShaderStage::Vertex, reports, &vertexSource);
    GLuint fragmentShader =
        shaders.load(fragmentShaderFile->getPath(), ShaderStage::Fragment, reports, &fragmentSource);
    program = shaders.link(vertexShader, fragmentShader, reports, linked);
    if (!linked)
        return;
    this->vertexShader = vertexShader;
    buildDepthProgram(vertexShader, vertexSource, fragmentSource);
}

void SinglePassAutoMapMaterial::drawDepthWithoutShading()
{
    if (!linked || depthOnly != 0)
        return;
    ShaderCompiler& shaders = GraphicsContext::current()->shaders();
    depthOnly = shaders.linkQuietly(vertexShader, shaders.compileQuietly(ShaderStage::Fragment, emptyFragmentShader));
}

void SinglePassAutoMapMaterial::buildDepthProgram(unsigned int vertexShader, const std::string& vertexSource,
                                                  const std::string& fragmentSource)
{
    if (depthDependsOnShading(vertexSource, fragmentSource))
        return;
    ShaderCompiler& shaders = GraphicsContext::current()->shaders();
    GLuint emptyShader = shaders.compileQuietly(ShaderStage::Fragment, emptyFragmentShader);
    depthOnly = shaders.linkQuietly(vertexShader, emptyShader);
}

void SinglePassAutoMapMaterial::setFloat(const std::string& name, float value)
{
    values[name] = value;
    if (name != keptParameter && !isEngineUniform(name))
        setValue(name, MaterialValue::number(value));
}

void SinglePassAutoMapMaterial::setValue(const std::string& name, const MaterialValue& value)
{
    openValues[name] = value;
    ++openValuesRevision;
    auto declared = uniforms.find(name);
    MaterialValue::Kind kind = MaterialValue::Kind::Number;
    if (declared == uniforms.end())
    {
        if (firstReportOf(name))
            LOG(logger->err) << "material '" << getMaterialName() << "': no shader of it declares the uniform '" << name
                             << "'; its value is kept and not sent" << std::endl;
    }
    else if ((!MaterialValue::kindFor(declared->second.type, kind) || kind != value.kind) && firstReportOf(name))
        LOG(logger->err) << "material '" << getMaterialName() << "': the uniform '" << name << "' is a "
                         << declared->second.type << ", which the value given does not fit; it is not sent" << std::endl;
}

// Once for each name.
bool SinglePassAutoMapMaterial::firstReportOf(const std::string& name)
{
    return reportedValues.insert(name).second;
}

float* SinglePassAutoMapMaterial::getValue(const std::string& name)
{
    auto found = values.find(name);
    if (found != values.end())
        return &found->second;
    LOG(logger->err) << "value ist NULL: " << name << std::endl;
    return nullptr;
}

bool SinglePassAutoMapMaterial::setsStateOnlyThroughDrawState() const
{
    return typeid(*this) == typeid(SinglePassAutoMapMaterial);
}

}
