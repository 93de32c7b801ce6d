// Feeds arbitrary bytes to the engine's XML reading: it must not crash, hang or read out of
// bounds, and what it measures before parsing must never fall short of what the parser then built:
// how deep elements nest, and how many attributes one element has. Built for libFuzzer
// (scripts/fuzz), and as a replay of the corpus for the tests.
#include "pellux/foundation/XmlDocument.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <utility>
#include <vector>

namespace
{
int attributeCount(const TiXmlElement& element)
{
    int count = 0;
    for (const TiXmlAttribute* attribute = element.FirstAttribute(); attribute != nullptr; attribute = attribute->Next())
        ++count;
    return count;
}

// TinyXML keeps every element it began, also when it gave up: their depth is how deep it recursed.
Pellux::XmlTextMeasure measureParsed(const TiXmlNode& parent)
{
    Pellux::XmlTextMeasure parsed;
    std::vector<std::pair<const TiXmlNode*, int>> pending{{&parent, 0}};
    while (!pending.empty())
    {
        auto [node, depth] = pending.back();
        pending.pop_back();
        parsed.depth = std::max(parsed.depth, depth);
        for (const TiXmlNode* child = node->FirstChild(); child != nullptr; child = child->NextSibling())
            if (const TiXmlElement* element = child->ToElement())
            {
                parsed.attributes = std::max(parsed.attributes, attributeCount(*element));
                pending.emplace_back(child, depth + 1);
            }
    }
    return parsed;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Without carriage returns the text parsed is the text measured here.
    std::string text(reinterpret_cast<const char*>(data), size);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    TiXmlDocument document;
    std::string problem;
    Pellux::parseXmlText(text, document, problem);
    Pellux::XmlTextMeasure measured = Pellux::measureXmlText(text, Pellux::maxXmlNestingDepth);
    Pellux::XmlTextMeasure parsed = measureParsed(document);
    if (parsed.depth > measured.depth || parsed.attributes > measured.attributes)
    {
        std::cerr << "measured a depth of " << measured.depth << " and " << measured.attributes
                  << " attributes, parsed " << parsed.depth << " and " << parsed.attributes << std::endl;
        std::abort();
    }
    return 0;
}
