#include "pellux/core/ShaderCompiler.h"

#include <GL/glew.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace Pellux::ShaderCompiler
{

namespace
{
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
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_FALSE && glIsShader(shader))
        return shader;
    infoLog = shaderInfoLog(shader);
    glDeleteShader(shader);
    return 0;
}

unsigned int link(unsigned int vertexShader, unsigned int fragmentShader, bool& linked, std::string& infoLog)
{
    GLuint program = glCreateProgram();
    // Drivers link a lone fragment shader without complaint, yet such a program draws nothing sane.
    if (vertexShader == 0 || fragmentShader == 0)
    {
        linked = false;
        infoLog = vertexShader == 0 ? "the vertex shader did not load" : "the fragment shader did not load";
        return program;
    }
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glBindFragDataLocation(program, 0, "fragColor");
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    linked = status != GL_FALSE && glIsProgram(program);
    if (!linked)
        infoLog = programInfoLog(program);
    return program;
}

}
