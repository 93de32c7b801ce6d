#include "pellux/foundation/Properties.h"
#include "pellux/foundation/Settings.h"

#include "TemporaryDirectory.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
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

namespace
{
// Settings read from a settings.txt of the given content; `log` holds what reading a value wrote.
class SettingsValuesTest : public testing::Test
{
protected:
    SettingsValuesTest() { createLoggerQuietly(); }

    Settings& settingsWith(const std::string& content)
    {
        directory.write("settings.txt", content);
        WorkingDirectory inDirectory(directory.path());
        captureStdout([&] { settings.emplace(); });
        return *settings;
    }

    TemporaryDirectory directory;
    std::optional<Settings> settings;
};

// The one ERR line of Settings.cpp that `log` should hold, or nothing when `message` is empty.
void expectErrorLine(const std::string& log, const std::string& message, const std::string& description)
{
    if (message.empty())
    {
        EXPECT_EQ(log, "") << description;
        return;
    }
    EXPECT_EQ(log.rfind("ERR:\t[ Settings.cpp         (", 0), 0u) << description << ": " << log;
    std::string ending = ")]:\t" + message + "\n";
    EXPECT_TRUE(log.size() > ending.size() && log.compare(log.size() - ending.size(), ending.size(), ending) == 0)
        << description << ": " << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << description << ": " << log;
}

struct SizeCase
{
    const char* line;
    int size;
    const char* message;
};

TEST_F(SettingsValuesTest, SizesAreWholeNumbersOfAtLeastOnePixel)
{
    const SizeCase cases[] = {
        {"width = 1280", 1280, ""},
        {"width = +640", 640, ""},
        {"", 0, ""},
        {"width =", 0, ""},
        {"width = -5", 0, "settings.txt [graphics]: width = -5 is negative; the default is used"},
        {"width = -99999999999", 0, "settings.txt [graphics]: width = -99999999999 is negative; the default is used"},
        {"width = 0", 0, "settings.txt [graphics]: width = 0 is zero; the default is used"},
        {"width = 99999999999", 0, "settings.txt [graphics]: width = 99999999999 is out of range; the default is used"},
        {"width = wide", 0, "settings.txt [graphics]: width = wide is not a whole number; the default is used"},
        {"width = 12.5", 0, "settings.txt [graphics]: width = 12.5 is not a whole number; the default is used"},
        {"width = 1280 # wide", 0,
         "settings.txt [graphics]: width = 1280 # wide is not a whole number; the default is used"},
        {"width = 0x500", 0, "settings.txt [graphics]: width = 0x500 is not a whole number; the default is used"},
    };
    for (const SizeCase& size : cases)
    {
        Settings& read = settingsWith(std::string("[graphics]\n") + size.line + "\n");
        int value = -1;
        std::string log = captureStdout([&] { value = read.getSize("graphics", "width"); });
        EXPECT_EQ(value, size.size) << size.line;
        expectErrorLine(log, size.message, size.line);
    }
}

struct SwitchCase
{
    const char* value;
    bool unset;
    bool on;
    bool reported;
};

TEST_F(SettingsValuesTest, SwitchesReadTheWordsUsersWrite)
{
    const SwitchCase cases[] = {
        {"1", false, true, false},     {"true", false, true, false},  {"TRUE", false, true, false},
        {"Yes", false, true, false},   {"on", false, true, false},    {"0", true, false, false},
        {"false", true, false, false}, {"False", true, false, false}, {"no", true, false, false},
        {"OFF", true, false, false},   {"", true, true, false},       {"", false, false, false},
        {"maybe", true, true, true},   {"2", false, false, true},     {"0 # windowed", true, true, true},
    };
    for (const SwitchCase& switchCase : cases)
    {
        Settings& read = settingsWith(std::string("[graphics]\nfullscreen = ") + switchCase.value + "\n");
        bool on = !switchCase.on;
        std::string log = captureStdout([&] { on = read.getSwitch("graphics", "fullscreen", switchCase.unset); });
        EXPECT_EQ(on, switchCase.on) << switchCase.value;
        std::string message = std::string("settings.txt [graphics]: fullscreen = ") + switchCase.value +
                              " is none of 1/0, true/false, yes/no, on/off; the default is used";
        expectErrorLine(log, switchCase.reported ? message : "", switchCase.value);
    }
}

struct FractionCase
{
    const char* value;
    float fraction;
    const char* fault;
};

TEST_F(SettingsValuesTest, RenderScalesAreFractionsAboveZeroAndAtMostOne)
{
    const FractionCase cases[] = {
        {"0.5", 0.5f, ""},
        {"1", 1.0f, ""},
        {".25", 0.25f, ""},
        {"1e-3", 0.001f, ""},
        {"", 1.0f, ""},
        {"0", 1.0f, "is not above 0 and at most 1"},
        {"-0.5", 1.0f, "is not above 0 and at most 1"},
        {"1.01", 1.0f, "is not above 0 and at most 1"},
        {"2", 1.0f, "is not above 0 and at most 1"},
        {"nan", 1.0f, "is not above 0 and at most 1"},
        {"inf", 1.0f, "is not above 0 and at most 1"},
        {"half", 1.0f, "is not a number"},
        {"50%", 1.0f, "is not a number"},
        {"0,5", 1.0f, "is not a number"},
    };
    for (const FractionCase& fractionCase : cases)
    {
        std::string line = std::string("renderScale = ") + fractionCase.value;
        Settings& read = settingsWith("[graphics]\n" + line + "\n");
        float fraction = -1;
        std::string log = captureStdout([&] { fraction = read.getFraction("graphics", "renderScale"); });
        EXPECT_EQ(fraction, fractionCase.fraction) << line;
        std::string message = "settings.txt [graphics]: " + line + " " + fractionCase.fault + "; 1 is used";
        expectErrorLine(log, *fractionCase.fault != '\0' ? message : "", line);
    }
    Settings& without = settingsWith("[graphics]\nwidth = 640\n");
    float fraction = -1;
    std::string log = captureStdout([&] { fraction = without.getFraction("graphics", "renderScale"); });
    EXPECT_EQ(fraction, 1.0f);
    EXPECT_EQ(log, "");
}
}
