#pragma once

#include <string_view>

namespace Pellux
{

// Strict, locale-independent number reading for files the engine did not write: the whole text
// (blanks around it aside) must be the number. On failure the output is left unchanged.
bool parseFloat(std::string_view text, float& value);
bool parseInt(std::string_view text, int& value);
bool parseUnsigned(std::string_view text, unsigned int& value);

// The float truncated to an int, when it is finite and its whole part lies in int's range; the
// conversion is undefined otherwise. On failure the output is left unchanged.
bool wholePartToInt(float number, int& value);

}
