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

// The numbers of a text separated by white space. A word must be a number as a whole; a word of
// digits, one comma and digits is a number with a decimal comma. Any other word reads as 0. Returns
// how many words were no number, and gives the first of them in `firstNotNumber` when asked.
int readFloats(const char* text, std::vector<float>& values, std::string* firstNotNumber = nullptr);
// Likewise whole numbers; a number that does not fit an int counts as none.
int readInts(const char* text, std::vector<int>& values, std::string* firstNotNumber = nullptr);
// One number; false when the text holds none, or more.
bool readFloat(const char* text, float& value);
bool readInt(const char* text, int& value);
// What a report of words that are no numbers adds: "; the first is '<word>' in "<element>"".
std::string firstNotNumber(const std::string& word, const char* element);
}

}
