// Feeds arbitrary bytes to the engine's XML reading: it must not crash, hang or read out of
// bounds, and the nesting depth it measures before parsing must never fall short of how deep the
// parser then recursed. Built for libFuzzer (scripts/fuzz), and as a replay of the corpus for the
// tests.
#include "pellux/foundation/XmlDocument.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <utility>
#include <vector>

namespace
{
// TinyXML keeps every element it began, also when it gave up: their depth is how deep it recursed.
int elementDepth(const TiXmlNode& parent)
{
    int deepest = 0;
    std::vector<std::pair<const TiXmlNode*, int>> pending{{&parent, 0}};
    while (!pending.empty())
    {
        auto [node, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        for (const TiXmlNode* child = node->FirstChild(); child != nullptr; child = child->NextSibling())
            if (child->ToElement() != nullptr)
                pending.emplace_back(child, depth + 1);
    }
    return deepest;
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
    int measured = Pellux::xmlNestingDepth(text, Pellux::maxXmlNestingDepth);
    int parsed = elementDepth(document);
    if (parsed > measured)
    {
        std::cerr << "measured a depth of " << measured << ", parsed " << parsed << std::endl;
        std::abort();
    }
    return 0;
}
