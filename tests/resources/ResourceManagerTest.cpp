#include "pellux/resources/Mesh.h"
#include "pellux/resources/Resource.h"
#include "pellux/resources/ResourceManager.h"

#include "CaptureOutput.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

using Pellux::Mesh;
using Pellux::Resource;
using Pellux::ResourceManager;

namespace
{
TEST(Resource, IdsFollowConstructionOrderAndEachLogsItsCreation)
{
    createLoggerQuietly();
    std::unique_ptr<Resource> first;
    std::unique_ptr<Mesh> second;
    std::unique_ptr<Resource> third;
    std::string log = captureStdout([&] {
        first = std::make_unique<Resource>();
        second = std::make_unique<Mesh>("Box");
        third = std::make_unique<Resource>();
    });
    EXPECT_EQ(second->getId(), first->getId() + 1);
    EXPECT_EQ(third->getId(), first->getId() + 2);
    EXPECT_EQ(Resource::getRegistry().at(second->getId()), second.get());
    EXPECT_EQ(first->getName(), "");
    EXPECT_EQ(first->getType(), "Resource");

    std::size_t lines = 0;
    for (std::size_t at = log.find(")]:\tcreate new Resource\n"); at != std::string::npos;
         at = log.find(")]:\tcreate new Resource\n", at + 1))
        ++lines;
    EXPECT_EQ(lines, 3u) << log;
    EXPECT_EQ(log.rfind("INFO:\t[ Resource.cpp         (", 0), 0u) << log;
}

TEST(Resource, DumpListsTheRegistryAndADestroyedResourceLeavesIt)
{
    createLoggerQuietly();
    std::unique_ptr<Mesh> box;
    captureStdout([&] { box = std::make_unique<Mesh>("Box"); });
    unsigned int id = box->getId();
    EXPECT_NE(Resource::dumpRegistry().find(std::to_string(id) + ":\tMesh - Box\n"), std::string::npos);

    box.reset();
    EXPECT_EQ(Resource::getRegistry().count(id), 0u);
    std::unique_ptr<Resource> next;
    captureStdout([&] { next = std::make_unique<Resource>(); });
    EXPECT_GT(next->getId(), id) << "ids are never reused";
}

struct Token : Resource
{
    explicit Token(const std::string& tokenName) { name = tokenName; }
};

// A manager whose loader counts its calls and fails for names that say so.
class CountingManager : public ResourceManager
{
public:
    Resource* get(const std::string& name)
    {
        return lookup(name, [&](const File& file) -> Resource* {
            ++loads;
            loadedPaths.push_back(file.getPath());
            return file.getName().find("broken") == std::string::npos ? new Token(name) : nullptr;
        });
    }

    bool caches(const std::string& key) const { return resources.count(key) > 0; }

    int loads = 0;
    std::vector<std::string> loadedPaths;
};

class ResourceManagerTest : public testing::Test
{
protected:
    ResourceManagerTest()
    {
        createLoggerQuietly();
        directory.write("resources/textures/bark.jpg", "bark");
        directory.write("resources/broken.jpg", "broken");
    }

    Resource* get(const std::string& name)
    {
        Resource* resource = nullptr;
        log = captureStdout([&] { resource = manager.get(name); });
        return resource;
    }

    TemporaryDirectory directory;
    WorkingDirectory inDirectory{directory.path()};
    CountingManager manager;
    std::string log;
};

TEST_F(ResourceManagerTest, SearchesTheResourcesDirectory)
{
    EXPECT_EQ(manager.getSearchPaths(), std::vector<std::string>{"resources"});
    Resource* bark = get("textures/bark.jpg");
    ASSERT_NE(bark, nullptr);
    EXPECT_EQ(manager.loadedPaths, std::vector<std::string>{"resources/textures/bark.jpg"});
    EXPECT_TRUE(manager.caches("textures/bark.jpg"));
    EXPECT_TRUE(manager.caches(directory.path() + "/resources/textures/bark.jpg"));
}

TEST_F(ResourceManagerTest, ASecondRequestComesFromTheCache)
{
    Resource* first = get("textures/bark.jpg");
    EXPECT_EQ(get("textures/bark.jpg"), first);
    EXPECT_EQ(manager.loads, 1);
    EXPECT_EQ(log.rfind("TRACE:\t[ ResourceManager.cpp  (", 0), 0u) << log;
    EXPECT_NE(log.find(")]:\tretrieved resource from cache: textures/bark.jpg\n"), std::string::npos) << log;
}

TEST_F(ResourceManagerTest, AnotherNameForTheSameFileFindsItByFullPath)
{
    Resource* first = get("textures/bark.jpg");
    EXPECT_EQ(get("./textures/../textures/bark.jpg"), first);
    EXPECT_EQ(manager.loads, 1);
    EXPECT_NE(log.find(")]:\tretrieved resource from cache: ./textures/../textures/bark.jpg\n"), std::string::npos)
        << log;
    EXPECT_TRUE(manager.caches("./textures/../textures/bark.jpg"));
}

TEST_F(ResourceManagerTest, AMissingNameIsReportedAndNotCached)
{
    EXPECT_EQ(get("textures/missing.jpg"), nullptr);
    EXPECT_EQ(manager.loads, 0);
    EXPECT_EQ(log.rfind("ERR:\t[ ResourceManager.cpp  (", 0), 0u) << log;
    EXPECT_NE(log.find(")]:\tno resource found: textures/missing.jpg\n"), std::string::npos) << log;
    EXPECT_FALSE(manager.caches("textures/missing.jpg"));
}

TEST_F(ResourceManagerTest, AFailedLoadIsTriedAgainNextTime)
{
    EXPECT_EQ(get("broken.jpg"), nullptr);
    EXPECT_EQ(get("broken.jpg"), nullptr);
    EXPECT_EQ(manager.loads, 2);
    EXPECT_FALSE(manager.caches("broken.jpg"));
}

// A name that is an absolute path finds the file itself when no search directory holds it; the
// search directories come first, as a leading slash reads there as no more than a separator.
TEST_F(ResourceManagerTest, AnAbsolutePathFindsItsFileAfterTheSearchDirectories)
{
    directory.write("elsewhere/moss.jpg", "moss");
    directory.write("resources/elsewhere/moss.jpg", "moss below resources");
    std::string absolute = directory.path() + "/elsewhere/moss.jpg";
    ASSERT_NE(get(absolute), nullptr);
    EXPECT_EQ(manager.loadedPaths, std::vector<std::string>{absolute});
    ASSERT_NE(get("/elsewhere/moss.jpg"), nullptr);
    EXPECT_EQ(manager.loadedPaths.back(), "resources//elsewhere/moss.jpg");
}

TEST_F(ResourceManagerTest, WhetherANameCanBeFoundIsToldWithoutLoadingOrLogging)
{
    struct Case
    {
        std::string name;
        bool found;
    };
    get("textures/bark.jpg");
    const Case cases[] = {
        {"textures/bark.jpg", true},
        {"broken.jpg", true},
        {directory.path() + "/resources/broken.jpg", true},
        {"textures/missing.jpg", false},
        {directory.path() + "/missing.jpg", false},
        {"textures", false},
        {"", false},
    };
    int loads = manager.loads;
    for (const Case& each : cases)
    {
        bool found = false;
        EXPECT_EQ(captureStdout([&] { found = manager.canFind(each.name); }), "") << each.name;
        EXPECT_EQ(found, each.found) << each.name;
    }
    EXPECT_EQ(manager.loads, loads);
}
}
