#include "pellux/foundation/NumberParsing.h"

#include <gtest/gtest.h>

#include <limits>

using Pellux::parseFloat;
using Pellux::parseInt;
using Pellux::parseUnsigned;
using Pellux::wholePartToInt;

namespace
{
TEST(NumberParsing, ReadsWholeNumbersOnly)
{
    struct FloatCase { const char* text; bool parsed; float value; };
    const FloatCase floats[] = {
        {"1.5", true, 1.5f}, {" -2e3 ", true, -2000.0f}, {"+0.25", true, 0.25f}, {"7", true, 7.0f},
        {"", false, 99}, {"  ", false, 99}, {"abc", false, 99}, {"1.5x", false, 99}, {"1,5", false, 99},
        {"+-1", false, 99}, {"1e999", false, 99},
    };
    for (const FloatCase& number : floats)
    {
        float value = 99;
        EXPECT_EQ(parseFloat(number.text, value), number.parsed) << number.text;
        EXPECT_EQ(value, number.value) << number.text;
    }

    struct IntegerCase { const char* text; bool asInt; bool asUnsigned; };
    const IntegerCase integers[] = {
        {"42", true, true}, {"-1", true, false}, {"4.0", false, false}, {"99999999999", false, false},
        {"4294967295", false, true}, {"x1", false, false},
    };
    for (const IntegerCase& number : integers)
    {
        int signedValue = 0;
        unsigned int unsignedValue = 0;
        EXPECT_EQ(parseInt(number.text, signedValue), number.asInt) << number.text;
        EXPECT_EQ(parseUnsigned(number.text, unsignedValue), number.asUnsigned) << number.text;
    }
}

TEST(NumberParsing, FloatsBecomeIntsOnlyWithinTheirRange)
{
    struct Case { float number; bool converted; int value; };
    const Case cases[] = {
        {1.9f, true, 1}, {-1.9f, true, -1}, {-2147483648.0f, true, -2147483647 - 1}, {2147483520.0f, true, 2147483520},
        {2147483648.0f, false, 7}, {-2147483904.0f, false, 7}, {1e30f, false, 7},
        {std::numeric_limits<float>::infinity(), false, 7}, {std::numeric_limits<float>::quiet_NaN(), false, 7},
    };
    for (const Case& row : cases)
    {
        int value = 7;
        EXPECT_EQ(wholePartToInt(row.number, value), row.converted) << row.number;
        EXPECT_EQ(value, row.value) << row.number;
    }
}
}
