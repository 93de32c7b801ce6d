#include "pellux/foundation/Settings.h"

#include "pellux/foundation/FileChecks.h"
#include "pellux/foundation/Logger.h"
#include "pellux/foundation/NumberParsing.h"

#include <algorithm>
#include <cctype>

namespace Pellux
{

namespace
{
const char* const fileName = "settings.txt";

bool isWholeNumber(const std::string& text)
{
    std::size_t digitsFrom = !text.empty() && (text.front() == '-' || text.front() == '+') ? 1 : 0;
    return text.size() > digitsFrom && text.find_first_not_of("0123456789", digitsFrom) == std::string::npos;
}

// Why the text is no size, or null when it is one; then `size` holds it.
const char* sizeFault(const std::string& text, int& size)
{
    if (!isWholeNumber(text))
        return "is not a whole number";
    if (!parseInt(text, size))
        return text.front() == '-' ? "is negative" : "is out of range";
    if (size < 0)
        return "is negative";
    if (size == 0)
        return "is zero";
    return nullptr;
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void reportUnusable(const std::string& section, const std::string& key, const std::string& value, const char* why)
{
    LOG(Logger::getInstance().err) << Settings::describe(section) << ": " << key << " = " << value << " " << why
                                   << "; the default is used" << std::endl;
}
}

Settings::Settings()
{
    File settingsFile = file();
    std::string unreadable = settingsFile.exists() ? unreadableFileReason(settingsFile.getPath()) : "";
    read = settingsFile.exists() && unreadable.empty();
    if (read)
        readProps(settingsFile);
    else if (!settingsFile.exists())
        LOG(Logger::getInstance().err) << "no settings file " << settingsFile.getFullPath()
                                       << ": every setting takes its default" << std::endl;
    else
        LOG(Logger::getInstance().err) << "settings file " << settingsFile.getFullPath() << " " << unreadable
                                       << ": every setting takes its default" << std::endl;
}

File Settings::file()
{
    return File(fileName);
}

std::string Settings::get(const std::string& section, const std::string& key)
{
    return getSection(section).get(key);
}

std::string Settings::getFontDir()
{
    return get("font", "fontDir");
}

std::string Settings::getDefaultFont()
{
    return get("font", "defaultFont");
}

int Settings::getSize(const std::string& section, const std::string& key)
{
    std::string value = get(section, key);
    if (value.empty())
        return 0;
    int size = 0;
    if (const char* fault = sizeFault(value, size))
    {
        reportUnusable(section, key, value, fault);
        return 0;
    }
    return size;
}

bool Settings::getSwitch(const std::string& section, const std::string& key, bool unset)
{
    std::string value = get(section, key);
    if (value.empty())
        return unset;
    std::string word = lowerCase(value);
    if (word == "1" || word == "true" || word == "yes" || word == "on")
        return true;
    if (word == "0" || word == "false" || word == "no" || word == "off")
        return false;
    reportUnusable(section, key, value, "is none of 1/0, true/false, yes/no, on/off");
    return unset;
}

float Settings::getFraction(const std::string& section, const std::string& key)
{
    std::string value = get(section, key);
    float fraction = 1;
    if (value.empty())
        return fraction;
    const char* fault = nullptr;
    if (!parseFloat(value, fraction))
        fault = "is not a number";
    else if (!(fraction > 0 && fraction <= 1))
        fault = "is not above 0 and at most 1";
    if (fault == nullptr)
        return fraction;
    LOG(Logger::getInstance().err) << describe(section) << ": " << key << " = " << value << " " << fault
                                   << "; 1 is used" << std::endl;
    return 1;
}

std::string Settings::describe(const std::string& section)
{
    return std::string(fileName) + " [" + section + "]";
}

}
