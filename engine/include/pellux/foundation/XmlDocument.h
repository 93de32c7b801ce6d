#pragma once

#include <string>
#include <string_view>

class TiXmlDocument;

namespace Pellux
{

// How deep elements may nest in an XML document the engine reads. Real exports nest about ten
// levels. TinyXML recurses once per level, so a document thousands of levels deep overflows the
// stack, and its parse time grows with the square of the depth: deeper documents are refused
// before they are parsed.
constexpr int maxXmlNestingDepth = 1000;
// How many attributes one element may have. Real exports give an element a handful; TinyXML checks
// each new attribute against all before it, so a megabyte of attributes takes minutes.
constexpr int maxXmlAttributes = 1000;

// How deep the elements of a document nest and how many attributes the element with the most has.
struct XmlTextMeasure
{
    int depth = 0;
    int attributes = 0;
};

// Measures `text` in one pass without parsing it. The pass follows TinyXML's reading (comments,
// CDATA, declarations, attribute values, character references), so it never answers less than
// what TinyXML builds. Counting stops once the depth passes `depthLimit`.
XmlTextMeasure measureXmlText(std::string_view text, int depthLimit);

// Parses `text` into `document`. Text that is not text (a binary file), whose elements nest deeper
// than maxXmlNestingDepth or one of whose elements has more than maxXmlAttributes is refused
// without parsing. False when nothing or not all could be read; `problem` then says why.
bool parseXmlText(std::string text, TiXmlDocument& document, std::string& problem);

// The same for the file at `path`.
bool readXmlFile(const std::string& path, TiXmlDocument& document, std::string& problem);

}
