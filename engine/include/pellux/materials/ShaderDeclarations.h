#pragma once

#include <istream>
#include <map>
#include <string>

namespace Pellux
{

// One declaration found in a shader source: the name without array suffix, the type word as
// written, and the array length (1 without brackets, 0 when the length is no number).
struct ShaderVariable
{
    std::string name;
    std::string type;
    int count = 1;
};

using ShaderVariables = std::map<std::string, ShaderVariable>;

// Scans a shader source line by line for declarations at column 0: lines beginning with "uniform"
// go to `uniforms`; with `readInputs`, lines beginning with "in" go to `inputs`. A line is split at
// blanks; its second and third words are the type and the name. A later declaration of a name
// replaces an earlier one. Comments ("//" to the line's end, "/*" to "*/") are no declarations.
void scanShaderDeclarations(std::istream& source, bool readInputs, ShaderVariables& uniforms, ShaderVariables& inputs);

// Whether the engine feeds a uniform of that name from its own data ("world", "lightArray", ...);
// every other uniform a shader declares is the material's own.
bool isEngineUniform(const std::string& name);

}
