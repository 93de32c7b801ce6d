#include "pellux/materials/ShaderDeclarations.h"

#include <algorithm>
#include <iterator>

#include "pellux/foundation/StringUtils.h"

#include <climits>
#include <vector>

namespace Pellux
{

namespace
{
std::vector<std::string> wordsBetweenBlanks(const std::string& line)
{
    std::vector<std::string> words;
    std::size_t start = line.find_first_not_of(' ');
    while (start != std::string::npos)
    {
        std::size_t end = line.find(' ', start);
        words.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? end : line.find_first_not_of(' ', end);
    }
    return words;
}

// The leading decimal digits of the text as a number, 0 when there are none.
int leadingNumber(const std::string& text)
{
    long long number = 0;
    for (std::size_t at = 0; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        number = std::min<long long>(number * 10 + (text[at] - '0'), INT_MAX);
    return static_cast<int>(number);
}

// Blanks out the comments of one line, keeping every other character in its column; a block comment
// still open at the line's end goes on in the next line.
void blankComments(std::string& line, bool& inBlockComment)
{
    for (std::size_t at = 0; at < line.size(); ++at)
    {
        if (inBlockComment)
        {
            if (line.compare(at, 2, "*/") == 0)
            {
                line[at++] = ' ';
                inBlockComment = false;
            }
            line[at] = ' ';
        }
        else if (line.compare(at, 2, "//") == 0)
        {
            line.replace(at, std::string::npos, line.size() - at, ' ');
            return;
        }
        else if (line.compare(at, 2, "/*") == 0)
        {
            line[at++] = ' ';
            line[at] = ' ';
            inBlockComment = true;
        }
    }
}

ShaderVariable parseDeclaration(const std::vector<std::string>& words)
{
    ShaderVariable variable;
    variable.type = StringUtils::trimRight(words[1], ";");
    variable.name = StringUtils::trimRight(words[2], ";");
    std::size_t bracket = variable.name.find('[');
    if (bracket != std::string::npos)
    {
        std::string length = StringUtils::trimRight(StringUtils::trimLeft(variable.name.substr(bracket), "["), "]");
        variable.count = leadingNumber(length);
        variable.name.erase(bracket);
    }
    return variable;
}
}

void scanShaderDeclarations(std::istream& source, bool readInputs, ShaderVariables& uniforms, ShaderVariables& inputs)
{
    std::string line;
    bool inBlockComment = false;
    while (std::getline(source, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        blankComments(line, inBlockComment);
        bool isUniform = line.compare(0, 7, "uniform") == 0;
        bool isInput = !isUniform && readInputs && line.compare(0, 2, "in") == 0;
        if (!isUniform && !isInput)
            continue;
        std::vector<std::string> words = wordsBetweenBlanks(line);
        if (words.size() < 3)
            continue;
        ShaderVariable variable = parseDeclaration(words);
        (isUniform ? uniforms : inputs)[variable.name] = variable;
    }
}

namespace
{
const char* const engineUniforms[] = {
    "world",        "view",          "proj",         "camPos",           "camDir",    "textures",
    "specularCoefficient",           "lightArray",   "lightCount",       "shadowMaps", "ambientLight",
    "unlit",        "jointMatrices", "jointTexture", "jointCount",       "morphOffsets", "morphTargetCount",
    "morphCount",   "morphIndices",  "morphWeights"};
}

bool isEngineUniform(const std::string& name)
{
    return std::find(std::begin(engineUniforms), std::end(engineUniforms), name) != std::end(engineUniforms);
}

}
