#include "ViewerOptions.h"

#include <gtest/gtest.h>

#include <optional>
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
        {{"a.dae", "--eye"}, "--eye needs a value"},
        {{"a.dae", "--eye", "1,2"}, "not a point to look from: 1,2"},
        {{"a.dae", "--eye", "1,2,3,4"}, "not a point to look from: 1,2,3,4"},
        {{"a.dae", "--eye", "1,,3"}, "not a point to look from: 1,,3"},
        {{"a.dae", "--eye", "1;2;3"}, "not a point to look from: 1;2;3"},
        {{"a.dae", "--eye", "x,0,1"}, "not a point to look from: x,0,1"},
        {{"a.dae", "--eye", "inf,0,1"}, "not a point to look from: inf,0,1"},
        {{"a.dae", "--eye", "1e30,1e30,1e30"}, "not a point to look from: 1e30,1e30,1e30"},
        {{"a.dae", "--eye", "0,0,0"}, "not a point to look from: 0,0,0"},
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
                           "engine", "--summary", "--tree", "--verbose", "--eye", "0,20,-20"});
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
    EXPECT_EQ(options.eye, Pellux::Vector3(0, 20, -20));
    EXPECT_FALSE(options.help || options.version);
}

TEST(ViewerOptions, TheEyeIsThreeNumbersApartByCommasAndNoneWithoutTheOption)
{
    struct Case
    {
        std::vector<const char*> arguments;
        std::optional<Pellux::Vector3> eye;
    };
    const Case cases[] = {
        {{"a.gltf"}, std::nullopt},
        {{"a.gltf", "--eye", "0,0,1.3"}, Pellux::Vector3(0, 0, 1.3f)},
        {{"a.gltf", "--eye", " -2, 0.5 ,1e1"}, Pellux::Vector3(-2, 0.5f, 10)},
        {{"a.gltf", "--eye", "0,0,0.001"}, Pellux::Vector3(0, 0, 0.001f)},
        {{"a.gltf", "--eye", "1,2,3", "--eye", "4,5,6"}, Pellux::Vector3(4, 5, 6)},
    };
    for (const Case& given : cases)
    {
        Parsed parsed = parse(given.arguments);
        ASSERT_TRUE(parsed.accepted) << parsed.error;
        EXPECT_EQ(parsed.options.eye, given.eye) << given.arguments.back();
    }
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
