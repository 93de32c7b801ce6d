#include "pellux/foundation/Logger.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace
{
LogStream makeLevel(const char* name, int value, Logger* owner)
{
    LogStream level;
    level.name = name;
    level.value = value;
    level.owner = owner;
    return level;
}
}

bool LogStream::isWritten() const
{
    return owner == nullptr || value >= owner->getThresholdValue();
}

bool LogStream::isObserved() const
{
    return owner != nullptr && this == &owner->err && !owner->getObservers().empty();
}

template <class Part>
void LogStream::keep(const Part& part)
{
    if (!isObserved())
        return;
    std::ostringstream text;
    text << part;
    observedLine += text.str();
}

// Tells the observers the line without its "[ source (line)]:" prefix and the tab after it.
void LogStream::endLine()
{
    if (!isObserved())
        return;
    std::size_t tab = observedLine.find(")]:\t");
    std::string line = tab != std::string::npos ? observedLine.substr(tab + 4) : observedLine;
    observedLine.clear();
    for (ErrorLineObserver* observer : owner->getObservers())
        observer->errorLogged(line);
}

std::ostream& LogStream::beginPart()
{
    if (atLineStart)
        std::cout << name << ":\t";
    atLineStart = false;
    return std::cout;
}

LogStream& LogStream::operator<<(const char* text)
{
    if (isWritten())
        beginPart() << text;
    keep(text);
    return *this;
}

LogStream& LogStream::operator<<(const std::string& text)
{
    if (isWritten())
        beginPart() << text;
    keep(text);
    return *this;
}

LogStream& LogStream::operator<<(float number)
{
    if (isWritten())
        beginPart() << number;
    keep(number);
    return *this;
}

LogStream& LogStream::operator<<(const void* pointer)
{
    if (isWritten())
        beginPart() << pointer;
    keep(pointer);
    return *this;
}

LogStream& LogStream::operator<<(std::ostream& (*manipulator)(std::ostream&))
{
    if (isWritten())
    {
        atLineStart = true;
        manipulator(std::cout);
    }
    endLine();
    return *this;
}

Logger::Logger()
    : all(makeLevel("ALL", 0, this)),
      trace(makeLevel("TRACE", 5, this)),
      debug(makeLevel("DEBUG", 10, this)),
      info(makeLevel("INFO", 15, this)),
      err(makeLevel("ERR", 20, this))
{
    threshold = all;
    for (LogStream* level : {&all, &trace, &debug, &info, &err})
        *level << std::endl;
}

void Logger::removeObserver(ErrorLineObserver* observer)
{
    observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
}

const char* Logger::sourceName(const char* path)
{
    const char* name = path;
    for (const char* c = path; *c != '\0'; ++c)
        if (*c == '/' || *c == '\\')
            name = c + 1;
    return name;
}
