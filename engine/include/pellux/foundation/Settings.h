#pragma once

#include "pellux/foundation/Properties.h"

#include <string>

namespace Pellux
{

// The engine's settings: "settings.txt" in the working directory.
class Settings : public Properties
{
public:
    Settings();

    std::string get(const std::string& section, const std::string& key);
    std::string getFontDir();
    std::string getDefaultFont();
};

}
