#include "pellux/foundation/StringUtils.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

using Pellux::StringUtils;

namespace
{
struct TrimCase
{
    std::string text;
    std::string chars;
    std::string left;
    std::string right;
    std::string both;
};

TEST(StringUtils, Trim)
{
    const TrimCase cases[] = {
        {"  key  ", " ", "key  ", "  key", "key"},
        {"     ", " ", "", "", ""},
        {"", " ", "", "", ""},
        {"\tkey ", " ", "\tkey ", "\tkey", "\tkey"},
        {"[[graphics]]", "[]", "graphics]]", "[[graphics", "graphics"},
        {"[ graphics ]", "[]", " graphics ]", "[ graphics ", " graphics "},
        {"a b", " ", "a b", "a b", "a b"},
    };
    for (const TrimCase& trim : cases)
    {
        EXPECT_EQ(StringUtils::trimLeft(trim.text, trim.chars), trim.left) << trim.text;
        EXPECT_EQ(StringUtils::trimRight(trim.text, trim.chars), trim.right) << trim.text;
        EXPECT_EQ(StringUtils::trim(trim.text, trim.chars), trim.both) << trim.text;
    }
    EXPECT_EQ(StringUtils::trim("  blanks only by default\t "), "blanks only by default\t");
}

TEST(StringUtils, RepeatAndPad)
{
    EXPECT_EQ(StringUtils::repeat('-', 3), "---");
    EXPECT_EQ(StringUtils::repeat('-', 0), "");
    EXPECT_EQ(StringUtils::repeat('-', -4), "");
    EXPECT_EQ(StringUtils::pad("ab", '.', 5), "ab...");
    EXPECT_EQ(StringUtils::padRight("ab", 5), "ab   ");
    EXPECT_EQ(StringUtils::padRight("exactly twenty chars", 20), "exactly twenty chars");
    EXPECT_EQ(StringUtils::padRight("twenty-five characters!!!", 20), "twenty-five characters!!!");
    EXPECT_EQ(StringUtils::padRight("", 3), "   ");
}

TEST(StringUtils, EndsWith)
{
    struct EndsWithCase { const char* text; const char* suffix; bool expected; };
    const EndsWithCase cases[] = {
        {"ninja.mesh.xml", ".xml", true},
        {"ninja.mesh.XML", ".xml", false},
        {"ninja.mesh.xmlx", ".xml", false},
        {"xml", ".xml", false},
        {".xml", ".xml", true},
        {"anything", "", true},
        {"", "", true},
        {"", "x", false},
    };
    createLoggerQuietly();
    for (const EndsWithCase& endsWith : cases)
    {
        std::string log = captureStdout([&] {
            EXPECT_EQ(StringUtils::endsWith(endsWith.text, endsWith.suffix), endsWith.expected)
                << endsWith.text << " / " << endsWith.suffix;
        });
        EXPECT_NE(log.find(std::string(")]:\tendsWith(") + endsWith.text + ", " + endsWith.suffix + ")\n"),
                  std::string::npos)
            << log;
        EXPECT_EQ(log.rfind("TRACE:\t[ StringUtils.cpp ", 0), 0u) << log;
    }
}

TEST(StringUtils, ToStringUsesFixedNotation)
{
    struct ToStringCase { float value; int precision; const char* expected; };
    const ToStringCase cases[] = {
        {59.83f, 1, "59.8"},
        {100.0f, 1, "100.0"},
        {0.0f, 1, "0.0"},
        {288.649f, 1, "288.6"},
        {1e7f, 1, "10000000.0"},
        {2.5f, 0, "2"},
        {3.14159f, 3, "3.142"},
        {-1.25f, 2, "-1.25"},
    };
    for (const ToStringCase& conversion : cases)
        EXPECT_EQ(StringUtils::toString(conversion.value, conversion.precision), conversion.expected)
            << conversion.value;
    EXPECT_EQ(StringUtils::toString(3.4e38f, 2).size(), 42u);
}
}
