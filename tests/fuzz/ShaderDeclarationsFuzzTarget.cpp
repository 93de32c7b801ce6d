// Feeds arbitrary bytes to the scan for a shader's declarations, as a vertex and as a fragment
// shader: it must not crash, hang or read out of bounds. Built for libFuzzer (scripts/fuzz), and
// as a replay of the corpus for the tests.
#include "pellux/materials/ShaderDeclarations.h"

#include <cstddef>
#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    for (bool readInputs : {true, false})
    {
        std::istringstream source(text);
        Pellux::ShaderVariables uniforms;
        Pellux::ShaderVariables inputs;
        Pellux::scanShaderDeclarations(source, readInputs, uniforms, inputs);
    }
    return 0;
}
