#include "collada/XmlReading.h"

#include <tinyxml.h>

#include <charconv>

namespace Pellux::Xml
{

namespace
{
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The number [begin, end) holds as a whole; false when it holds none, or more than one.
template <class Number>
bool wholeNumber(const char* begin, const char* end, Number& value)
{
    if (begin != end && *begin == '+')
        ++begin;
    Number parsed{};
    std::from_chars_result result = std::from_chars(begin, end, parsed);
    if (result.ptr != end || result.ec != std::errc())
        return false;
    value = parsed;
    return true;
}

// Exporters running under a European locale write a decimal comma: digits, one comma and digits,
// with no point.
bool decimalCommaNumber(const char* begin, const char* end, float& value)
{
    std::string written(begin, end);
    std::size_t comma = written.find(',');
    std::size_t digitsFrom = !written.empty() && (written[0] == '-' || written[0] == '+') ? 1 : 0;
    if (comma == std::string::npos || comma == digitsFrom || comma + 1 == written.size() ||
        written.find_first_not_of("0123456789", digitsFrom) != comma ||
        written.find_first_not_of("0123456789", comma + 1) != std::string::npos)
        return false;
    written[comma] = '.';
    return wholeNumber(written.data(), written.data() + written.size(), value);
}

bool numberOf(const char* begin, const char* end, float& value)
{
    return wholeNumber(begin, end, value) || decimalCommaNumber(begin, end, value);
}

bool numberOf(const char* begin, const char* end, int& value)
{
    return wholeNumber(begin, end, value);
}

template <class Number>
int readNumbers(const char* text, std::vector<Number>& values, std::string* firstNotNumber)
{
    int failures = 0;
    const char* at = text != nullptr ? text : "";
    while (*at != '\0')
    {
        while (isSpace(*at))
            ++at;
        if (*at == '\0')
            break;
        const char* end = at;
        while (*end != '\0' && !isSpace(*end))
            ++end;
        Number value{};
        if (!numberOf(at, end, value) && failures++ == 0 && firstNotNumber != nullptr)
            *firstNotNumber = std::string(at, end);
        values.push_back(value);
        at = end;
    }
    return failures;
}
}

const TiXmlElement* child(const TiXmlElement* parent, const char* name)
{
    return parent != nullptr ? parent->FirstChildElement(name) : nullptr;
}

const TiXmlElement* nextSibling(const TiXmlElement* element, const char* name)
{
    return element != nullptr ? element->NextSiblingElement(name) : nullptr;
}

bool hasChild(const TiXmlElement* parent, const char* name)
{
    return child(parent, name) != nullptr;
}

std::string attribute(const TiXmlElement* element, const char* name)
{
    const char* value = element != nullptr ? element->Attribute(name) : nullptr;
    return value != nullptr ? value : "";
}

bool hasAttribute(const TiXmlElement* element, const char* name)
{
    return element != nullptr && element->Attribute(name) != nullptr;
}

const char* text(const TiXmlElement* element)
{
    const char* value = element != nullptr ? element->GetText() : nullptr;
    return value != nullptr ? value : "";
}

std::string reference(const std::string& url)
{
    return url.empty() ? url : url.substr(1);
}

int readFloats(const char* text, std::vector<float>& values, std::string* firstNotNumber)
{
    return readNumbers(text, values, firstNotNumber);
}

int readInts(const char* text, std::vector<int>& values, std::string* firstNotNumber)
{
    return readNumbers(text, values, firstNotNumber);
}

std::string firstNotNumber(const std::string& word, const char* element)
{
    return "; the first is '" + word + "' in \"" + element + "\"";
}

namespace
{
template <class Number>
bool readOne(const char* text, Number& value)
{
    std::vector<Number> values;
    if (readNumbers(text, values, nullptr) != 0 || values.size() != 1)
        return false;
    value = values[0];
    return true;
}
}

bool readFloat(const char* text, float& value)
{
    return readOne(text, value);
}

bool readInt(const char* text, int& value)
{
    return readOne(text, value);
}

}
