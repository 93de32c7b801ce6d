#include "pellux/foundation/XmlDocument.h"

#include "TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <utility>
#include <vector>

using Pellux::maxXmlAttributes;
using Pellux::maxXmlNestingDepth;
using Pellux::measureXmlText;
using Pellux::parseXmlText;
using Pellux::readXmlFile;

namespace
{
// How deep the elements TinyXML built nest: as deep as its parsing recursed, since it keeps what it
// read also when it gives up.
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

int parsedDepth(const std::string& text)
{
    TiXmlDocument document;
    document.Parse(text.c_str());
    return elementDepth(document);
}

std::string withAttributes(int count)
{
    std::string text = "<a";
    for (int attribute = 0; attribute < count; ++attribute)
        text += " a" + std::to_string(attribute) + "=''";
    return text + "/>";
}

std::string nestedTo(int depth)
{
    std::string text;
    for (int level = 0; level < depth; ++level)
        text += "<a>";
    for (int level = 0; level < depth; ++level)
        text += "</a>";
    return text;
}

struct DepthCase
{
    const char* description;
    std::string text;
    int depth;
};

TEST(XmlDocumentTest, NestingDepthStepsOverWhatTheParserStepsOver)
{
    const DepthCase cases[] = {
        {"empty", "", 0},
        {"one empty element", "<a/>", 1},
        {"siblings and children", "<a><b/><c><d/></c></a>", 3},
        {"tags in a comment", "<a><!-- <b><c> --></a>", 1},
        {"a comment that seems to end where it starts", "<a><!--> <b> --></a>", 1},
        {"tags in CDATA", "<a><![CDATA[<b><c>]]></a>", 1},
        {"tags in attribute values", "<a x='<b>' y=\"</a><c>\"><d/></a>", 2},
        {"'>' and tags in the declaration's values", "<?xml version='1.0>' encoding='a</b>'?><a><b/></a>", 2},
        {"a declaration in capitals", "<?XML version='>'?><a/>", 1},
        {"DOCTYPE", "<!DOCTYPE a><a><b/></a>", 2},
        {"a processing instruction ends at its first '>'", "<?target <x> ?><a/>", 0},
        {"unknown markup inside an element", "<a><1><b/></a>", 2},
        {"an unquoted attribute value", "<a x=1><b/></a>", 2},
        {"end tags before any element", "</a></a><a><b/></a>", 2},
        {"text after the root ends reading", "<a/>text<b><c/></b>", 1},
        {"a character reference reaching over tags", "<a>&#x</a>x;<b/></a>", 2},
        {"a decimal reference reaching over tags", "<a>&#</a>#;<b/></a>", 2},
        {"a reference in an attribute value reaching over its quote", "<a x='&#x'/>x;'><b/></a>", 2},
        {"a broken UTF-8 sequence, no encoding declared", "<a>\xF0</a><b/></a>", 1},
        {"a broken UTF-8 sequence after a declaration", "<?xml version='1.0'?><a>\xF0</a><b/></a>", 2},
        {"a broken UTF-8 sequence after a byte order mark", "\xEF\xBB\xBF<a>\xE2</a><b/></a>", 2},
        {"a broken UTF-8 sequence hiding a quote", "<?xml version='1.0'?><a x='\xE2'/>'><b/></a>", 2},
        {"another encoding declared: counted as if UTF-8", "<?xml encoding='ISO-8859-1'?><a>\xF0</a><b/></a>", 2},
        {"deep", nestedTo(40), 40},
    };
    for (const DepthCase& example : cases)
    {
        EXPECT_EQ(measureXmlText(example.text, maxXmlNestingDepth).depth, example.depth) << example.description;
        EXPECT_GE(example.depth, parsedDepth(example.text)) << example.description;
    }
}

TEST(XmlDocumentTest, CountingStopsOncePastTheLimit)
{
    EXPECT_EQ(measureXmlText(nestedTo(50), 10).depth, 11);
    EXPECT_EQ(measureXmlText(nestedTo(10), 10).depth, 10);
}

struct AttributeCase
{
    const char* text;
    int attributes;
};

TEST(XmlDocumentTest, TheMostAttributesOfOneElementAreCountedOutsideValues)
{
    const AttributeCase cases[] = {
        {"<a/>", 0},
        {"<a x='1' y=\"2\"><b z='='/></a>", 2},
        {"<a x='a=b' y=\"=\"/>", 2},
        {"<a><!-- x=1 y=2 --><![CDATA[ x=1 y=2 ]]>x=1 y=2</a>", 0},
        {"<?xml version='1.0' encoding='utf-8'?><a/>", 0},
        // Unquoted values may hold '=': counted over, never under.
        {"<a x=1=2/>", 2},
    };
    for (const AttributeCase& example : cases)
        EXPECT_EQ(measureXmlText(example.text, maxXmlNestingDepth).attributes, example.attributes) << example.text;
    EXPECT_EQ(measureXmlText(withAttributes(maxXmlAttributes), maxXmlNestingDepth).attributes, maxXmlAttributes);
}

struct RefusedText
{
    std::string text;
    const char* problem;
    // Whether the parser got to see it.
    bool parsed;
};

TEST(XmlDocumentTest, TextThatIsNoTextOrTooDeepIsNotParsedAndErrorsSayWhere)
{
    const RefusedText refused[] = {
        {std::string("<a>\0</a>", 8), "not an XML document: byte 3 is 0x00, so it is not text", false},
        {"<a>\x07</a>", "not an XML document: byte 3 is 0x07, so it is not text", false},
        {std::string("\xFF\xFE<\0a\0/\0>\0", 10), "not an XML document: byte 3 is 0x00, so it is not text", false},
        {nestedTo(maxXmlNestingDepth + 1), "elements nested deeper than 1000 levels", false},
        {"<b>" + withAttributes(maxXmlAttributes + 1) + "</b>", "an element with more than 1000 attributes", false},
        {"", "Error document empty.", true},
        {"<a>\n<b></a>", "line 2, column 4: Error reading end tag.", true},
    };
    for (const RefusedText& example : refused)
    {
        TiXmlDocument document;
        std::string problem;
        EXPECT_FALSE(parseXmlText(example.text, document, problem)) << example.problem;
        EXPECT_EQ(problem, example.problem);
        EXPECT_EQ(document.FirstChild() != nullptr || document.Error(), example.parsed) << example.problem;
    }
}

TEST(XmlDocumentTest, FilesReadAsTinyXmlReadsThem)
{
    const std::string documents[] = {
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<a x='1\r\n2'>t\r\nu<b>\rv</b></a>\r\n",
        "\xEF\xBB\xBF<a>caf\xC3\xA9 &amp; &#x41;&#66;</a>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a v='caf\xE9'>\xE9t\xE9</a>",
        "<!-- first --><!DOCTYPE a><a><![CDATA[ <kept> ]]></a>",
        nestedTo(maxXmlNestingDepth),
        withAttributes(maxXmlAttributes),
    };
    TemporaryDirectory directory;
    for (const std::string& text : documents)
    {
        std::string path = directory.write("document.xml", text);
        TiXmlDocument expected;
        ASSERT_TRUE(expected.LoadFile(path)) << text.substr(0, 60);
        TiXmlDocument read;
        std::string problem;
        ASSERT_TRUE(readXmlFile(path, read, problem)) << problem;
        TiXmlPrinter expectedText;
        TiXmlPrinter readText;
        expected.Accept(&expectedText);
        read.Accept(&readText);
        EXPECT_EQ(readText.Str(), expectedText.Str());
    }
}

TEST(XmlDocumentTest, AFileThatCannotBeOpenedSaysSo)
{
    TiXmlDocument document;
    std::string problem;
    EXPECT_FALSE(readXmlFile("no/such/file.xml", document, problem));
    EXPECT_EQ(problem, "the file cannot be opened");
}
}
