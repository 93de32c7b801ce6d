#include "pellux/core/ShaderCompiler.h"

#include <GL/glew.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <iterator>

namespace Pellux::ShaderCompiler
{

namespace
{
struct CompiledShader
{
    GLuint shader = 0;
    std::string infoLog;
};

struct LinkedProgram
{
    GLuint program = 0;
    bool linked = false;
    std::string infoLog;
};

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

LinkedProgram linkNew(GLuint vertexShader, GLuint fragmentShader)
{
    LinkedProgram result;
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

bool readSource(const std::string& path, std::string& source)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    source.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

unsigned int compile(unsigned int type, const std::string& source, std::string& infoLog)
{
    static std::map<std::pair<unsigned int, std::string>, CompiledShader> compiled;
    auto [entry, isNew] = compiled.try_emplace({type, source});
    CompiledShader& result = entry->second;
    if (isNew)
    {
        GLuint shader = glCreateShader(type);
        const char* text = source.c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        GLint status = GL_FALSE;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
        if (status != GL_FALSE && glIsShader(shader))
        {
            result.shader = shader;
        }
        else
        {
            result.infoLog = shaderInfoLog(shader);
            glDeleteShader(shader);
        }
    }
    infoLog = result.infoLog;
    return result.shader;
}

unsigned int link(unsigned int vertexShader, unsigned int fragmentShader, bool& linked, std::string& infoLog)
{
    static std::map<std::pair<unsigned int, unsigned int>, LinkedProgram> programs;
    auto [entry, isNew] = programs.try_emplace({vertexShader, fragmentShader});
    LinkedProgram& result = entry->second;
    if (isNew)
        result = linkNew(vertexShader, fragmentShader);
    linked = result.linked;
    infoLog = result.infoLog;
    return result.program;
}

}
