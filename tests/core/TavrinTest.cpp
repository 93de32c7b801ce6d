#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Settings.h"

#include "TemporaryDirectory.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <optional>

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

// A program of its own need not bring a settings file: one line says it is missing and what that means.
TEST_F(TavrinTest, WithoutSettingsTheRootIsBuiltWithDefaultSettings)
{
    std::optional<Tavrin> root;
    std::string log = captureStdout([&] { root.emplace(); });

    ASSERT_NE(root->getSettings(), nullptr);
    EXPECT_FALSE(root->getSettings()->wasRead());
    EXPECT_EQ(root->getSettings()->get("graphics", "width"), "");
    EXPECT_EQ(root->getSettings()->getSize("graphics", "width"), 0);
    EXPECT_NE(root->getRenderEngine(), nullptr);
    std::size_t line = log.find("ERR:\t[ Settings.cpp         (");
    ASSERT_NE(line, std::string::npos) << log;
    EXPECT_EQ(log.substr(log.find(")]:\t", line) + 4),
              "no settings file " + directory.path() + "/settings.txt: every setting takes its default\n");
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
    EXPECT_TRUE(root.getSettings()->wasRead());
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
