#pragma once

#include <string>

namespace Pellux
{

// The OpenGL steps every shader program of the engine is built with; the callers word the
// messages. Needs a current context. A source is compiled, and a pair of shaders linked, once:
// materials of one shader pair share a program, which is safe because a draw sends everything
// that is the material's own, and the lights are the scene's.
namespace ShaderCompiler
{
// The whole file, as it is; false when it cannot be opened.
bool readSource(const std::string& path, std::string& source);

// A compiled shader of `type` (GL_VERTEX_SHADER, GL_FRAGMENT_SHADER), or 0 with the driver's log.
unsigned int compile(unsigned int type, const std::string& source, std::string& infoLog);

// A program of the two shaders with "fragColor" on draw buffer 0. `linked` tells whether it can
// draw, which it cannot without both shaders; otherwise `infoLog` says why.
unsigned int link(unsigned int vertexShader, unsigned int fragmentShader, bool& linked, std::string& infoLog);
}

}
