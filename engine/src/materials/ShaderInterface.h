#pragma once

#include "pellux/materials/ShaderDeclarations.h"

class File;
class Logger;

namespace Pellux
{

// What a pair of shader sources declares: the uniforms of both, the vertex shader's own uniforms
// (all a depth-only program of it has) and the vertex shader's inputs. Array lengths longer than
// OpenGL holds are cut to what it holds and reported, since a draw walks every element it feeds.
// Needs a current OpenGL context for the limits.
class ShaderInterface
{
public:
    // Logs each file it reads; a file it cannot read declares nothing (the compiler reports it).
    static ShaderInterface scan(const File& vertexShader, const File& fragmentShader, Logger& logger);

    ShaderVariables uniforms;
    ShaderVariables vertexUniforms;
    ShaderVariables inputs;

private:
    struct Declared
    {
        ShaderVariables uniforms;
        ShaderVariables inputs;
    };
    static Declared scanFile(const File& file, bool readInputs, Logger& logger);
    static void limitArrayLengths(ShaderVariables& declared, const std::string& path, int otherUniformLimit,
                                  Logger& logger);
};

}
