#include "pellux/foundation/Properties.h"

#include "pellux/foundation/FileChecks.h"
#include "pellux/foundation/Logger.h"
#include "pellux/foundation/StringUtils.h"

#include <fstream>
#include <stdexcept>

namespace Pellux
{

Section::Section(const std::string& name) : log(&Logger::getInstance()), name(name)
{
}

void Section::set(const std::string& key, const std::string& value)
{
    values[key] = value;
}

std::string Section::get(const std::string& key) const
{
    auto found = values.find(key);
    return found == values.end() ? std::string() : found->second;
}

std::string Section::toString() const
{
    std::string text = "=== " + name + "===\n";
    for (const auto& [key, value] : values)
        text += key + "=" + value + "\n";
    return text;
}

Properties::Properties(File file) : log(&Logger::getInstance())
{
    readProps(file);
}

Properties::Properties() : log(&Logger::getInstance())
{
}

Section Properties::getSection(const std::string& name)
{
    return sections.try_emplace(name, name).first->second;
}

std::string Properties::toString() const
{
    std::string text;
    for (const auto& entry : sections)
        text += entry.second.toString() + "\n";
    return text;
}

void Properties::readProps(const File& file)
{
    if (!file.exists())
        throw std::runtime_error("Datei existiert nicht: " + file.getFullPath());
    LOG(log->trace) << "Properties.readProps(" << file.getPath() << ")" << std::endl;
    std::string fullPath = file.getFullPath();
    // A pipe would block and a huge file fill the memory: either leaves the properties empty.
    std::string unreadable = unreadableFileReason(fullPath);
    if (!unreadable.empty())
    {
        LOG(log->err) << "properties file " << fullPath << " " << unreadable << std::endl;
        return;
    }
    std::ifstream stream(fullPath);
    LOG(log->info) << "settings path: " << fullPath << std::endl;

    std::string currentSection;
    std::string line;
    while (std::getline(stream, line))
        readLine(line, currentSection);
}

void Properties::readLine(const std::string& rawLine, std::string& currentSection)
{
    // Files written on Windows end their lines with "\r\n".
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    line = StringUtils::trim(line);

    if (line.empty() || line.front() == '#' || line.front() == ';')
        return;
    if (line.front() == '[' && line.back() == ']')
    {
        currentSection = StringUtils::trim(line, "[]");
        sections.insert_or_assign(currentSection, Section(currentSection));
        return;
    }
    std::size_t equals = line.find('=');
    std::string key = line;
    std::string value = line;
    if (equals != std::string::npos)
    {
        key = StringUtils::trim(line.substr(0, equals));
        value = StringUtils::trim(line.substr(equals + 1));
    }
    sections.try_emplace(currentSection, currentSection).first->second.set(key, value);
}

}
