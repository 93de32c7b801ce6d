#pragma once

#include "pellux/foundation/Properties.h"

#include <string>

namespace Pellux
{

// The engine's settings: "settings.txt" in the working directory.
class Settings : public Properties
{
public:
    // Without the file every value reads as not set, so that everything takes its default, after one
    // ERR line naming the path looked for.
    Settings();

    // The file the settings are read from, for a program that cannot go on without it.
    static File file();
    // Whether the values come from the file.
    bool wasRead() const { return read; }

    std::string get(const std::string& section, const std::string& key);
    std::string getFontDir();
    std::string getDefaultFont();

    // A size in pixels, a whole number of at least 1. 0, meaning "not set", when the key is missing,
    // and also after an ERR line naming the file, the section and the key when the value is no size.
    int getSize(const std::string& section, const std::string& key);
    // A switch written 1/0, true/false, yes/no or on/off in any letter case. `unset` when the key is
    // missing, and also after an ERR line when the value is none of these.
    bool getSwitch(const std::string& section, const std::string& key, bool unset);
    // A share of something, above 0 and at most 1. 1 when the key is missing, and also after an ERR
    // line naming the file, the section and the key when the value is no such share.
    float getFraction(const std::string& section, const std::string& key);

    // Where a section's values come from, for messages: "settings.txt [graphics]".
    static std::string describe(const std::string& section);

private:
    bool read = false;
};

}
