#include "pellux/collada/XmlReading.h"

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

// The leading number of [begin, end), as the C conversions read it; false when there is none.
template <class Number>
bool leadingNumber(const char* begin, const char* end, Number& value)
{
    if (begin != end && *begin == '+')
        ++begin;
    Number parsed{};
    std::from_chars_result result = std::from_chars(begin, end, parsed);
    if (result.ptr == begin || result.ec != std::errc())
        return false;
    value = parsed;
    return true;
}

template <class Number>
int readNumbers(const char* text, std::vector<Number>& values)
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
        if (!leadingNumber(at, end, value))
            ++failures;
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

int readFloats(const char* text, std::vector<float>& values)
{
    return readNumbers(text, values);
}

int readInts(const char* text, std::vector<int>& values)
{
    return readNumbers(text, values);
}

namespace
{
template <class Number>
bool readOne(const char* text, Number& value)
{
    std::vector<Number> values;
    if (readNumbers(text, values) != 0 || values.size() != 1)
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
