#pragma once

#include <map>
#include <string>
#include <utility>

namespace Pellux
{

enum class ShaderStage
{
    Vertex,
    Fragment
};

// How one builder of programs words the steps and outcomes of a build. The steps are the same for
// every builder; the render engine and the materials report them in voices of their own.
class ShaderReports
{
public:
    virtual ~ShaderReports() = default;

    // Before the first shader of a program the engine builds for itself.
    virtual void starting() {}
    // Before the file is opened.
    virtual void loading(ShaderStage, const std::string&) {}
    virtual void cannotOpen(ShaderStage stage, const std::string& path) = 0;
    // The file was read; it is about to be compiled.
    virtual void compiling(ShaderStage) {}
    virtual void compiled(const std::string& path) = 0;
    virtual void compileFailed(ShaderStage stage, const std::string& infoLog, const std::string& path) = 0;
    virtual void linking() {}
    virtual void linked() = 0;
    virtual void linkFailed(const std::string& infoLog) = 0;
};

// The OpenGL steps every shader program of the engine is built with, and the shaders and programs
// built in one OpenGL context, which it deletes when it goes. A source is compiled, and a pair of
// shaders linked, once: materials of one shader pair share a program, so a material's draw sends
// every value it maps, its own or its default.
class ShaderCompiler
{
public:
    ShaderCompiler() = default;
    ~ShaderCompiler();
    ShaderCompiler(const ShaderCompiler&) = delete;
    ShaderCompiler& operator=(const ShaderCompiler&) = delete;

    // Reads the whole file and compiles it; 0 when it cannot be opened or does not compile.
    // `source`, when given, receives the text that was compiled.
    unsigned int load(const std::string& path, ShaderStage stage, ShaderReports& reports,
                      std::string* source = nullptr);

    // A program of the two shaders with "fragColor" on draw buffer 0, reported; its name also when
    // it did not link. `linked` tells whether it can draw, which it cannot without both shaders.
    unsigned int link(unsigned int vertexShader, unsigned int fragmentShader, ShaderReports& reports, bool& linked);

    // The same steps for a source held in memory, without reports: 0 when it does not compile, and
    // a program only when it links.
    unsigned int compileQuietly(ShaderStage stage, const std::string& source);
    unsigned int linkQuietly(unsigned int vertexShader, unsigned int fragmentShader);

    struct CompiledShader
    {
        unsigned int shader = 0;
        std::string infoLog;
    };

    struct LinkedProgram
    {
        unsigned int program = 0;
        bool linked = false;
        std::string infoLog;
    };

private:
    const CompiledShader& compile(ShaderStage stage, const std::string& source);
    const LinkedProgram& link(unsigned int vertexShader, unsigned int fragmentShader);

    std::map<std::pair<ShaderStage, std::string>, CompiledShader> compiled;
    std::map<std::pair<unsigned int, unsigned int>, LinkedProgram> programs;
};

}
