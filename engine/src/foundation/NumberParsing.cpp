#include "pellux/foundation/NumberParsing.h"

#include <charconv>

namespace Pellux
{

namespace
{
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view withoutBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    // from_chars takes no plus sign; files do write one now and then.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    return text;
}

template <class Number>
bool parseWhole(std::string_view text, Number& value)
{
    text = withoutBlanks(text);
    Number parsed{};
    std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    value = parsed;
    return true;
}
}

bool parseFloat(std::string_view text, float& value)
{
    return parseWhole(text, value);
}

bool parseInt(std::string_view text, int& value)
{
    return parseWhole(text, value);
}

bool parseUnsigned(std::string_view text, unsigned int& value)
{
    return parseWhole(text, value);
}

bool wholePartToInt(float number, int& value)
{
    // Both bounds are powers of two, held exactly by a float; NaN fails both tests.
    const float below = -2147483648.0f;
    const float above = 2147483648.0f;
    if (!(number >= below && number < above))
        return false;
    value = static_cast<int>(number);
    return true;
}

}
