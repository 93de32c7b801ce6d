#include "pellux/foundation/Settings.h"

namespace Pellux
{

Settings::Settings() : Properties(File("settings.txt"))
{
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

}
