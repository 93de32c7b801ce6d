#pragma once

#include "pellux/foundation/File.h"

#include <map>
#include <string>

class Logger;

namespace Pellux
{

// One bracketed block of a properties file: keys and their values.
class Section
{
public:
    explicit Section(const std::string& name = std::string());

    void set(const std::string& key, const std::string& value);
    // The value stored under the key, or "" when there is none.
    std::string get(const std::string& key) const;
    std::string toString() const;

private:
    Logger* log;

public:
    std::string name;
    std::map<std::string, std::string> values;
};

// A sectioned key/value text file, read once at construction.
class Properties
{
public:
    // Throws std::runtime_error "Datei existiert nicht: " + full path when the file is missing.
    explicit Properties(File file);

    // The named section; an empty one is added when the file has none of that name.
    Section getSection(const std::string& name);
    std::string toString() const;

    void readProps(const File& file);

protected:
    // Nothing read yet: for a file that may be missing.
    Properties();

private:
    void readLine(const std::string& line, std::string& currentSection);

    Logger* log;
    std::map<std::string, Section> sections;
};

}
