#include "ViewerOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct Parsed
{
    bool accepted;
    ViewerOptions options;
    std::string error;
};

Parsed parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "pellux-view");
    Parsed parsed{false, {}, ""};
    parsed.accepted = parseViewerOptions(static_cast<int>(arguments.size()), arguments.data(), parsed.options,
                                         parsed.error);
    return parsed;
}

TEST(ViewerOptions, WrongArgumentsAreRefusedWithTheReason)
{
    struct Case
    {
        std::vector<const char*> arguments;
        const char* error;
    };
    const Case cases[] = {
        {{}, "no file given"},
        {{"--summary"}, "no file given"},
        {{"a.dae", "b.dae"}, "unexpected argument: b.dae"},
        {{"a.dae", "--bogus"}, "unexpected argument: --bogus"},
        {{"a.dae", "-x"}, "unexpected argument: -x"},
        {{"a.dae", "--png"}, "--png needs a value"},
        {{"a.dae", "--size"}, "--size needs a value"},
        {{"a.dae", "--size", "640"}, "not a size: 640"},
        {{"a.dae", "--size", "0x480"}, "not a size: 0x480"},
        {{"a.dae", "--size", "16385x480"}, "not a size: 16385x480"},
        {{"a.dae", "--time", "soon"}, "not a time: soon"},
        {{"a.dae", "--time", "nan"}, "not a time: nan"},
        {{"a.dae", "--quiet", "--verbose"}, "--quiet and --verbose together"},
    };
    for (const Case& wrong : cases)
    {
        Parsed parsed = parse(wrong.arguments);
        EXPECT_FALSE(parsed.accepted) << wrong.error;
        EXPECT_EQ(parsed.error, wrong.error);
    }
}

TEST(ViewerOptions, HelpAndVersionNeedNothingElseAndWinOverMistakes)
{
    struct Case
    {
        std::vector<const char*> arguments;
        bool help;
        bool version;
    };
    const Case cases[] = {
        {{"--help"}, true, false},
        {{"-h"}, true, false},
        {{"--version"}, false, true},
        {{"a.dae", "--bogus", "-h"}, true, false},
        {{"--png", "--help"}, true, false},
        {{"--version", "--quiet", "--verbose"}, false, true},
    };
    for (const Case& asked : cases)
    {
        Parsed parsed = parse(asked.arguments);
        EXPECT_TRUE(parsed.accepted) << parsed.error;
        EXPECT_EQ(parsed.options.help, asked.help) << asked.arguments.size();
        EXPECT_EQ(parsed.options.version, asked.version) << asked.arguments.size();
    }
}

TEST(ViewerOptions, EachOptionSetsItsValue)
{
    Parsed parsed = parse({"--size", "320x240", "scene.dae", "--time", "1.5", "--png", "dir/out.png", "--engine-dir",
                           "engine", "--summary", "--tree", "--verbose"});
    ASSERT_TRUE(parsed.accepted) << parsed.error;
    const ViewerOptions& options = parsed.options;
    EXPECT_EQ(options.file, "scene.dae");
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 240);
    EXPECT_EQ(options.time, 1.5f);
    EXPECT_EQ(options.png, "dir/out.png");
    EXPECT_EQ(options.engineDirectory, "engine");
    EXPECT_TRUE(options.summary);
    EXPECT_TRUE(options.tree);
    EXPECT_EQ(options.log, LogAmount::Verbose);
    EXPECT_FALSE(options.help || options.version);
}

TEST(ViewerOptions, TheWindowOpensForLookingWhenNothingIsToBePrintedOrSaved)
{
    struct Case
    {
        std::vector<const char*> arguments;
        bool interactive;
        LogAmount log;
    };
    const Case cases[] = {
        {{"a.dae"}, true, LogAmount::Normal},
        {{"a.dae", "--quiet", "--time", "2"}, true, LogAmount::Quiet},
        {{"a.dae", "--summary"}, false, LogAmount::Normal},
        {{"a.dae", "--tree"}, false, LogAmount::Normal},
        {{"a.dae", "--png", "a.png"}, false, LogAmount::Normal},
    };
    for (const Case& given : cases)
    {
        Parsed parsed = parse(given.arguments);
        ASSERT_TRUE(parsed.accepted) << parsed.error;
        EXPECT_EQ(parsed.options.interactive(), given.interactive) << given.arguments.size();
        EXPECT_EQ(parsed.options.log, given.log) << given.arguments.size();
    }
}
}
