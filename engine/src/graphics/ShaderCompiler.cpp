#include "graphics/ShaderCompiler.h"

#include "pellux/foundation/FileChecks.h"

#include <GL/glew.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

namespace Pellux
{

namespace
{
GLenum glStage(ShaderStage stage)
{
    return stage == ShaderStage::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER;
}

bool readSource(const std::string& path, std::string& source)
{
    if (!unreadableFileReason(path).empty())
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    source.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

std::string shaderInfoLog(GLuint shader)
{
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 0)), ' ');
    if (length > 0)
        glGetShaderInfoLog(shader, length, nullptr, log.data());
    return log.c_str();
}

std::string programInfoLog(GLuint program)
{
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 0)), ' ');
    if (length > 0)
        glGetProgramInfoLog(program, length, nullptr, log.data());
    return log.c_str();
}

ShaderCompiler::CompiledShader compileNew(GLenum type, const std::string& source)
{
    ShaderCompiler::CompiledShader result;
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_FALSE && glIsShader(shader))
    {
        result.shader = shader;
        return result;
    }
    result.infoLog = shaderInfoLog(shader);
    glDeleteShader(shader);
    return result;
}

ShaderCompiler::LinkedProgram linkNew(GLuint vertexShader, GLuint fragmentShader)
{
    ShaderCompiler::LinkedProgram result;
    result.program = glCreateProgram();
    // Drivers link a lone fragment shader without complaint, yet such a program draws nothing sane.
    if (vertexShader == 0 || fragmentShader == 0)
    {
        result.infoLog = vertexShader == 0 ? "the vertex shader did not load" : "the fragment shader did not load";
        return result;
    }
    glAttachShader(result.program, vertexShader);
    glAttachShader(result.program, fragmentShader);
    glBindFragDataLocation(result.program, 0, "fragColor");
    glLinkProgram(result.program);
    GLint status = GL_FALSE;
    glGetProgramiv(result.program, GL_LINK_STATUS, &status);
    result.linked = status != GL_FALSE && glIsProgram(result.program);
    if (!result.linked)
        result.infoLog = programInfoLog(result.program);
    return result;
}

}

const ShaderCompiler::CompiledShader& ShaderCompiler::compile(ShaderStage stage, const std::string& source)
{
    auto [entry, isNew] = compiled.try_emplace({stage, source});
    if (isNew)
        entry->second = compileNew(glStage(stage), source);
    return entry->second;
}

const ShaderCompiler::LinkedProgram& ShaderCompiler::link(GLuint vertexShader, GLuint fragmentShader)
{
    auto [entry, isNew] = programs.try_emplace({vertexShader, fragmentShader});
    if (isNew)
        entry->second = linkNew(vertexShader, fragmentShader);
    return entry->second;
}

ShaderCompiler::~ShaderCompiler()
{
    for (const auto& entry : programs)
        glDeleteProgram(entry.second.program);
    for (const auto& entry : compiled)
        glDeleteShader(entry.second.shader);
}

unsigned int ShaderCompiler::load(const std::string& path, ShaderStage stage, ShaderReports& reports, std::string* source)
{
    reports.loading(stage, path);
    std::string text;
    if (!readSource(path, text))
    {
        reports.cannotOpen(stage, path);
        return 0;
    }
    reports.compiling(stage);
    const CompiledShader& result = compile(stage, text);
    if (result.shader != 0)
        reports.compiled(path);
    else
        reports.compileFailed(stage, result.infoLog, path);
    if (source != nullptr)
        *source = std::move(text);
    return result.shader;
}

unsigned int ShaderCompiler::link(unsigned int vertexShader, unsigned int fragmentShader, ShaderReports& reports, bool& linked)
{
    reports.linking();
    const LinkedProgram& result = link(vertexShader, fragmentShader);
    linked = result.linked;
    if (linked)
        reports.linked();
    else
        reports.linkFailed(result.infoLog);
    return result.program;
}

unsigned int ShaderCompiler::compileQuietly(ShaderStage stage, const std::string& source)
{
    return compile(stage, source).shader;
}

unsigned int ShaderCompiler::linkQuietly(unsigned int vertexShader, unsigned int fragmentShader)
{
    const LinkedProgram& result = link(vertexShader, fragmentShader);
    return result.linked ? result.program : 0;
}

}
