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

// How deep the elements of `text` nest, found in one pass over the text without parsing it. The
// pass follows TinyXML's reading (comments, CDATA, declarations, attribute values, character
// references), so it never answers less than the depth TinyXML's recursion reaches. Counting stops
// once the depth passes `limit`.
int xmlNestingDepth(std::string_view text, int limit);

// Parses `text` into `document`. Text that is not text (a binary file) or whose elements nest
// deeper than maxXmlNestingDepth is refused without parsing. False when nothing or not all could
// be read; `problem` then says why.
bool parseXmlText(std::string text, TiXmlDocument& document, std::string& problem);

// The same for the file at `path`.
bool readXmlFile(const std::string& path, TiXmlDocument& document, std::string& problem);

}
