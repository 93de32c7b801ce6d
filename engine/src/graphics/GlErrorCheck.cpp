#include "pellux/graphics/GlErrorCheck.h"

#include "pellux/foundation/Logger.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>

namespace Pellux
{

namespace
{
std::string errorName(GLenum error)
{
    switch (error)
    {
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL_INVALID_FRAMEBUFFER_OPERATION";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    default:
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%04X", error);
        return hex;
    }
}

bool switchedOnByEnvironment()
{
    const char* value = std::getenv("PELLUX_GL_CHECK");
    return value != nullptr && *value != '\0' && std::string(value) != "0";
}
}

GlErrorCheck::GlErrorCheck() : enabled(switchedOnByEnvironment())
{
}

void GlErrorCheck::check(const std::string& part)
{
    // The driver keeps one flag per kind of error; a bounded loop stops on a context that has none.
    for (int flag = 0; flag < 16; ++flag)
    {
        GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            return;
        if (reported.insert({error, part}).second)
            LOG(Logger::getInstance().err) << "OpenGL error " << errorName(error) << " in the " << part << std::endl;
    }
}

}
