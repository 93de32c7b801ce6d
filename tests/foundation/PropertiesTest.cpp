#include "pellux/foundation/Properties.h"
#include "pellux/foundation/Settings.h"

#include "TemporaryDirectory.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

using Pellux::Properties;
using Pellux::Settings;

namespace
{
class PropertiesTest : public testing::Test
{
protected:
    PropertiesTest() { createLoggerQuietly(); }

    Properties read(const std::string& content)
    {
        File file(directory.write("test.properties", content));
        std::optional<Properties> properties;
        log = captureStdout([&] { properties.emplace(file); });
        return *properties;
    }

    TemporaryDirectory directory;
    std::string log;
};

struct LookupCase
{
    const char* description;
    const char* content;
    const char* section;
    const char* key;
    const char* value;
};

TEST_F(PropertiesTest, ParsesSectionsKeysAndValues)
{
    const LookupCase cases[] = {
        {"example file", "# comment\n[graphics]\nwidth = 1024\nheight=768\n", "graphics", "width", "1024"},
        {"example file", "# comment\n[graphics]\nwidth = 1024\nheight=768\n", "graphics", "height", "768"},
        {"blanks around key, = and value are dropped", "[s]\n   key   =   value   \n", "s", "key", "value"},
        {"a tab next to the key stays in the key", "[s]\nkey\t = v\n", "s", "key\t", "v"},
        {"a tab next to the key stays in the key", "[s]\nkey\t = v\n", "s", "key", ""},
        {"split at the first =", "[s]\nurl = a=b=c\n", "s", "url", "a=b=c"},
        {"no = gives the line as key and value", "[s]\n  lonely word  \n", "s", "lonely word", "lonely word"},
        {"doubled brackets", "[[font]]\nfontDir = fonts\n", "font", "fontDir", "fonts"},
        {"blanks inside brackets stay in the name", "[ font ]\nfontDir = fonts\n", " font ", "fontDir", "fonts"},
        {"blanks inside brackets stay in the name", "[ font ]\nfontDir = fonts\n", "font", "fontDir", ""},
        {"header without closing bracket is an assignment", "[s]\n[broken = yes\n", "s", "[broken", "yes"},
        {"keys before the first header", "top = 1\n[s]\nx = 2\n", "", "top", "1"},
        {"repeated header keeps only the later keys", "[s]\na = 1\n[t]\n[s]\nb = 2\n", "s", "a", ""},
        {"repeated header keeps only the later keys", "[s]\na = 1\n[t]\n[s]\nb = 2\n", "s", "b", "2"},
        {"a later key replaces an earlier one", "[s]\na = 1\na = 2\n", "s", "a", "2"},
        {"comments with # and ;", "[s]\n# a = 1\n; b = 2\n  # c = 3\n", "s", "a", ""},
        {"comments with # and ;", "[s]\n# a = 1\n; b = 2\n  # c = 3\n", "s", "b", ""},
        {"indented comment", "[s]\n# a = 1\n; b = 2\n  # c = 3\n", "s", "# c", ""},
        {"names compare case-sensitively", "[Graphics]\nWidth = 1\n", "graphics", "width", ""},
        {"last line without newline", "[s]\nlast = here", "s", "last", "here"},
        {"Windows line ends", "[graphics]\r\nwidth = 1024\r\n", "graphics", "width", "1024"},
        {"empty value", "[s]\nempty =\n", "s", "empty", ""},
        {"empty key", "[s]\n= value\n", "s", "", "value"},
        {"empty section name", "[]\nk = v\n", "", "k", "v"},
    };
    for (const LookupCase& lookup : cases)
        EXPECT_EQ(read(lookup.content).getSection(lookup.section).get(lookup.key), lookup.value)
            << lookup.description;
}

TEST_F(PropertiesTest, LookupOfAMissingSectionLeavesAnEmptySectionBehind)
{
    Properties properties = read("[s]\nk = v\n");
    EXPECT_EQ(properties.toString(), "=== s===\nk=v\n\n");
    EXPECT_EQ(properties.getSection("other").get("k"), "");
    EXPECT_EQ(properties.toString(), "=== other===\n\n=== s===\nk=v\n\n");
}

TEST_F(PropertiesTest, LogsTheFileItReads)
{
    std::string path = directory.path() + "/test.properties";
    read("[s]\n");
    EXPECT_NE(log.find("TRACE:\t[ Properties.cpp       ("), std::string::npos) << log;
    EXPECT_NE(log.find(")]:\tProperties.readProps(" + path + ")\n"), std::string::npos) << log;
    EXPECT_NE(log.find(")]:\tsettings path: " + path + "\n"), std::string::npos) << log;
}

TEST_F(PropertiesTest, MissingFileRaisesAnErrorWithItsFullPathAndLogsNothing)
{
    WorkingDirectory inDirectory(directory.path());
    std::string log = captureStdout([&] {
        try
        {
            Properties properties{File("missing.txt")};
            ADD_FAILURE() << "no error raised";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), ("Datei existiert nicht: " + directory.path() + "/missing.txt").c_str());
        }
    });
    EXPECT_EQ(log, "");
}

TEST_F(PropertiesTest, UnreadableFileGivesEmptyLookups)
{
    directory.write("settings.txt/inside", "a directory where a file is expected");
    std::optional<Properties> properties;
    captureStdout([&] { properties.emplace(File(directory.path() + "/settings.txt")); });
    EXPECT_EQ(properties->getSection("graphics").get("width"), "");
}

TEST_F(PropertiesTest, SettingsReadSettingsTxtOfTheWorkingDirectory)
{
    directory.write("settings.txt", "[graphics]\nwidth = 1280\n[font]\nfontDir = resources/fonts\n"
                                    "defaultFont = arial.ttf\n");
    WorkingDirectory inDirectory(directory.path());
    std::optional<Settings> settings;
    captureStdout([&] { settings.emplace(); });
    EXPECT_EQ(settings->get("graphics", "width"), "1280");
    EXPECT_EQ(settings->get("graphics", "height"), "");
    EXPECT_EQ(settings->getFontDir(), "resources/fonts");
    EXPECT_EQ(settings->getDefaultFont(), "arial.ttf");
}
}
