#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Settings.h"

#include "TemporaryDirectory.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Pellux::Tavrin;

namespace
{
class TavrinTest : public testing::Test
{
protected:
    TavrinTest() { createLoggerQuietly(); }

    TemporaryDirectory directory;
    WorkingDirectory inDirectory{directory.path()};
};

TEST_F(TavrinTest, WithoutSettingsTheRootCannotBeBuilt)
{
    try
    {
        Tavrin root;
        ADD_FAILURE() << "no error raised";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), ("Datei existiert nicht: " + directory.path() + "/settings.txt").c_str());
    }
}

TEST_F(TavrinTest, BuildsItsServicesOnceAndHandsThemOut)
{
    directory.write("settings.txt", "[graphics]\nwidth = 640\n");
    Tavrin* created = nullptr;
    std::string log = captureStdout([&] { created = &Tavrin::getInstance(); });
    Tavrin& root = *created;

    EXPECT_EQ(&Tavrin::getInstance(), &root);
    EXPECT_NE(root.getResourceManager(), nullptr);
    EXPECT_NE(root.getImageManager(), nullptr);
    EXPECT_NE(root.getMeshManager(), nullptr);
    EXPECT_NE(root.getMaterialManager(), nullptr);
    ASSERT_NE(root.getRenderEngine(), nullptr);
    ASSERT_NE(root.getSettings(), nullptr);
    EXPECT_EQ(root.getSettings()->get("graphics", "width"), "640");
    EXPECT_NE(log.find("settings path: " + directory.path() + "/settings.txt"), std::string::npos) << log;
    EXPECT_EQ(root.getRenderEngine()->getFrameTime(), 0.0f);
}

TEST_F(TavrinTest, DevILStartsBeforeTheSettingsAreRead)
{
    directory.write("settings.txt", "[graphics]\n");
    std::string log = captureStdout([] { Tavrin root; });
    std::size_t devil = log.find(")]:\tInit DevIL\n");
    std::size_t settings = log.find(")]:\tsettings path: ");
    EXPECT_NE(devil, std::string::npos) << log;
    EXPECT_LT(devil, settings) << log;
}
}
