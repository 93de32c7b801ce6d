#pragma once

#include <string>
#include <vector>

class TiXmlElement;

namespace Pellux
{

// Null-safe reading of a COLLADA document's elements: a missing element or attribute reads as
// null or empty instead of failing.
namespace Xml
{
const TiXmlElement* child(const TiXmlElement* parent, const char* name);
const TiXmlElement* nextSibling(const TiXmlElement* element, const char* name);
bool hasChild(const TiXmlElement* parent, const char* name);
// "" when the attribute or the element is missing.
std::string attribute(const TiXmlElement* element, const char* name);
bool hasAttribute(const TiXmlElement* element, const char* name);
// The element's text as TinyXML condensed it; "" when there is none.
const char* text(const TiXmlElement* element);
// A reference ("#id") without its first character.
std::string reference(const std::string& url);

// Calls `visit` for each child element of that name, in document order.
template <class Visit>
void forEachChild(const TiXmlElement* parent, const char* name, Visit visit)
{
    for (const TiXmlElement* element = child(parent, name); element != nullptr; element = nextSibling(element, name))
        visit(element);
}

// The numbers of a text separated by white space, each read as atof reads it (its leading number,
// 0 when it has none). Returns how many words held no number.
int readFloats(const char* text, std::vector<float>& values);
// Likewise, as atoi reads them; a number that does not fit an int counts as none.
int readInts(const char* text, std::vector<int>& values);
// One number; false when the text holds none.
bool readFloat(const char* text, float& value);
bool readInt(const char* text, int& value);
}

}
