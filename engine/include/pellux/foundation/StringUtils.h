#pragma once

#include <string>

namespace Pellux
{

// The string helpers shared by the logger, the settings reader and the materials.
class StringUtils
{
public:
    static std::string trimLeft(const std::string& s, const std::string& chars = " ");
    static std::string trimRight(const std::string& s, const std::string& chars = " ");
    static std::string trim(const std::string& s, const std::string& chars = " ");

    static std::string repeat(char c, int n);
    static std::string pad(const std::string& s, char fill, int width);
    static std::string padRight(const std::string& s, int width);

    static bool endsWith(const std::string& s, const std::string& suffix);

    // Fixed notation with `precision` digits after the decimal point.
    static std::string toString(float value, int precision);
};

}
