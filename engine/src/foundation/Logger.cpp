#include "pellux/foundation/Logger.h"

#include <iostream>

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
    return *this;
}

LogStream& LogStream::operator<<(const std::string& text)
{
    if (isWritten())
        beginPart() << text;
    return *this;
}

LogStream& LogStream::operator<<(float number)
{
    if (isWritten())
        beginPart() << number;
    return *this;
}

LogStream& LogStream::operator<<(const void* pointer)
{
    if (isWritten())
        beginPart() << pointer;
    return *this;
}

LogStream& LogStream::operator<<(std::ostream& (*manipulator)(std::ostream&))
{
    if (isWritten())
    {
        atLineStart = true;
        manipulator(std::cout);
    }
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

const char* Logger::sourceName(const char* path)
{
    const char* name = path;
    for (const char* c = path; *c != '\0'; ++c)
        if (*c == '/' || *c == '\\')
            name = c + 1;
    return name;
}
