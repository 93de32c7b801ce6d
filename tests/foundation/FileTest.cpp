#include "pellux/foundation/File.h"

#include "TemporaryDirectory.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
std::vector<std::string> namesOf(const std::vector<File>& files)
{
    std::vector<std::string> names;
    for (const File& file : files)
        names.push_back(file.getName());
    return names;
}

// A fonts directory with hidden entries and a sub-directory, entered as the working directory.
class FileTest : public testing::Test
{
protected:
    FileTest()
    {
        root.write("fonts/b.ttf", "b");
        root.write("fonts/a.ttf", "a");
        root.write("fonts/c.otf", "c");
        root.write("fonts/README", "r");
        root.write("fonts/.hidden.ttf", "h");
        root.write("fonts/.cache/x.ttf", "x");
        root.write("fonts/sub/d.ttf", "d");
    }

    TemporaryDirectory root;
    WorkingDirectory inRoot{root.path()};
};

TEST_F(FileTest, ExistingFileHasItsNamePathAndFullPath)
{
    File file("fonts/a.ttf");
    EXPECT_TRUE(file.exists());
    EXPECT_EQ(file.getName(), "a.ttf");
    EXPECT_EQ(file.getPath(), "fonts/a.ttf");
    EXPECT_EQ(file.getFullPath(), root.path() + "/fonts/a.ttf");
}

TEST_F(FileTest, DirectoryExistsAndIsNamedAfterItself)
{
    struct DirectoryCase { const char* path; std::string name; };
    for (const DirectoryCase& directory : {DirectoryCase{"fonts", "fonts"}, DirectoryCase{"fonts/", "fonts"},
                                           DirectoryCase{"fonts/sub/..", "fonts"},
                                           DirectoryCase{".", std::filesystem::path(root.path()).filename()}})
    {
        File file(directory.path);
        EXPECT_TRUE(file.exists()) << directory.path;
        EXPECT_EQ(file.getName(), directory.name) << directory.path;
    }
}

TEST_F(FileTest, FullPathIsNormalisedWhetherOrNotTheEntryExists)
{
    struct FullPathCase { const char* path; std::string fullPath; };
    const FullPathCase cases[] = {
        {"fonts/./sub/../a.ttf", root.path() + "/fonts/a.ttf"},
        {"missing/../nothing.txt", root.path() + "/nothing.txt"},
        {"fonts/", root.path() + "/fonts"},
        {"/usr/./lib/../share", "/usr/share"},
        {"/", "/"},
    };
    for (const FullPathCase& fullPath : cases)
        EXPECT_EQ(File(fullPath.path).getFullPath(), fullPath.fullPath) << fullPath.path;
}

TEST_F(FileTest, MissingEntryStillAnswersPathAndFullPath)
{
    File file("resources/shader/missing.vert");
    EXPECT_FALSE(file.exists());
    EXPECT_EQ(file.getName(), "");
    EXPECT_EQ(file.getPath(), "resources/shader/missing.vert");
    EXPECT_EQ(file.getFullPath(), root.path() + "/resources/shader/missing.vert");
}

TEST_F(FileTest, FullPathThatCannotBeFormedIsReported)
{
    std::string tooLong(5000, 'x');
    for (const std::string& path : {std::string(), tooLong})
    {
        std::string fullPath = "unset";
        EXPECT_EQ(captureStdout([&] { fullPath = File(path).getFullPath(); }),
                  "error while retrieving full path: " + path + "\n");
        EXPECT_EQ(fullPath, "");
        EXPECT_FALSE(File(path).exists());
    }
}

TEST_F(FileTest, ListFilesMatchesThePatternAndLeavesHiddenEntriesOut)
{
    struct ListCase { const char* pattern; std::vector<std::string> names; };
    const ListCase cases[] = {
        {"*.*", {"a.ttf", "b.ttf", "c.otf"}},
        {"*", {"README", "a.ttf", "b.ttf", "c.otf", "sub"}},
        {"*.ttf", {"a.ttf", "b.ttf"}},
        {"?.otf", {"c.otf"}},
    };
    for (const ListCase& list : cases)
    {
        std::vector<File> files;
        EXPECT_EQ(captureStdout([&] { files = File("fonts").listFiles(list.pattern); }), "") << list.pattern;
        EXPECT_EQ(namesOf(files), list.names) << list.pattern;
    }
}

TEST_F(FileTest, ListedFilesArePathsBelowTheDirectory)
{
    std::vector<File> files = File("fonts/").listFiles("a.*");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].getPath(), "fonts/a.ttf");
    EXPECT_TRUE(files[0].exists());
    EXPECT_EQ(files[0].getFullPath(), root.path() + "/fonts/a.ttf");
}

TEST_F(FileTest, ListFilesWithHiddenMatchesOnlyGivesAnEmptyListQuietly)
{
    std::vector<File> files;
    EXPECT_EQ(captureStdout([&] { files = File("fonts").listFiles(".*"); }), "");
    EXPECT_TRUE(files.empty());
}

TEST_F(FileTest, ListFilesReportsWhatCannotBeListed)
{
    struct FailureCase { const char* path; const char* pattern; };
    for (const FailureCase& failure : {FailureCase{"fonts", "*.woff"}, FailureCase{"nowhere", "*.*"},
                                       FailureCase{"fonts/a.ttf", "*"}})
    {
        std::vector<File> files;
        EXPECT_EQ(captureStdout([&] { files = File(failure.path).listFiles(failure.pattern); }),
                  std::string("error while listing files, path='") + failure.path + "', pattern='" +
                      failure.pattern + "'\n");
        EXPECT_TRUE(files.empty());
    }
}

TEST_F(FileTest, ToStringNamesEveryField)
{
    EXPECT_EQ(File("fonts/a.ttf").toString(),
              "=== File ===\nname:\ta.ttf\npath:\tfonts/a.ttf\nfullPath:\t" + root.path() + "/fonts/a.ttf\n");
}
}
