#include "pellux/foundation/DataDirectories.h"

#include "TemporaryDirectory.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using Pellux::DataDirectories;

namespace
{
// A working directory with the engine's data below "resources", as the demo's is.
class DataDirectoriesTest : public testing::Test
{
protected:
    DataDirectoriesTest()
    {
        createLoggerQuietly();
        working.write("resources/shader/default.vert", "working");
    }

    TemporaryDirectory working;
    WorkingDirectory inWorking{working.path()};
};

TEST_F(DataDirectoriesTest, TheWorkingDirectorysResourcesAreFoundUnderTheirRelativePath)
{
    std::optional<File> found;
    std::string log = captureStdout([&] { found = DataDirectories::find("shader/default.vert"); });
    EXPECT_TRUE(found->exists());
    EXPECT_EQ(found->getPath(), "resources/shader/default.vert");
    EXPECT_EQ(log, "");
}

TEST_F(DataDirectoriesTest, ADirectoryAProgramAddsIsSearchedFirst)
{
    TemporaryDirectory added;
    added.write("shader/default.vert", "added");
    added.write("fonts/arial.ttf", "face");
    DataDirectories::addDirectory(added.path());

    EXPECT_EQ(DataDirectories::list().front(), added.path());
    EXPECT_EQ(DataDirectories::find("shader/default.vert").getPath(), added.path() + "/shader/default.vert");
    EXPECT_EQ(DataDirectories::find("fonts/arial.ttf").getPath(), added.path() + "/fonts/arial.ttf");
}

TEST_F(DataDirectoriesTest, AFileFoundNowhereIsOneErrorLineNamingEveryDirectorySearched)
{
    std::optional<File> found;
    std::string log = captureStdout([&] { found = DataDirectories::find("shader/missing.vert"); });

    EXPECT_FALSE(found->exists());
    EXPECT_EQ(found->getPath(), "resources/shader/missing.vert");
    std::string searched;
    for (const std::string& directory : DataDirectories::list())
        searched += (searched.empty() ? "" : ", ") + File(directory).getFullPath();
    EXPECT_EQ(log.rfind("ERR:\t[ DataDirectories.cpp  (", 0), 0u) << log;
    EXPECT_EQ(log.substr(log.find(")]:\t") + 4), "engine file shader/missing.vert not found in " + searched + "\n");
    EXPECT_NE(searched.find(working.path() + "/resources, "), std::string::npos) << searched;
}

TEST_F(DataDirectoriesTest, TheInstalledDataIsSearchedLast)
{
    std::vector<std::string> directories = DataDirectories::list();
    auto workingResources = std::find(directories.begin(), directories.end(), "resources");
    EXPECT_NE(workingResources, directories.end());
    EXPECT_EQ(directories.back(), PELLUX_TEST_INSTALLED_DATA_DIR "/resources");
}
}
