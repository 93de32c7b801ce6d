#pragma once

#include "pellux/foundation/Singleton.h"
#include "pellux/foundation/StringUtils.h"

#include <ostream>
#include <string>

class Logger;

// One level of the logger: the record a log statement inserts its parts into.
struct LogStream
{
    bool atLineStart = true;
    Logger* owner = nullptr;
    int value = 0;
    std::string name;

    LogStream& operator<<(const char* text);
    LogStream& operator<<(const std::string& text);
    LogStream& operator<<(float number);
    LogStream& operator<<(const void* pointer);
    LogStream& operator<<(std::ostream& (*manipulator)(std::ostream&));

private:
    bool isWritten() const;
    std::ostream& beginPart();
};

// Writes every diagnostic line of the engine to standard output.
class Logger : public Singleton<Logger>
{
public:
    Logger();
    virtual ~Logger() = default;

    LogStream getThreshold() const { return threshold; }
    int getThresholdValue() const { return threshold.value; }
    void setThreshold(const LogStream& level) { threshold = level; }

    // The file name of a compile-time source path: what follows its last directory separator.
    static const char* sourceName(const char* path);

private:
    LogStream threshold;

public:
    LogStream all;
    LogStream trace;
    LogStream debug;
    LogStream info;
    LogStream err;
};

// Begins a log line: "[ ", the source file padded to 20 characters, " (", the line, ")]:\t".
#define LOG(stream)                                                                       \
    (stream) << "[ " << ::Pellux::StringUtils::padRight(Logger::sourceName(__FILE__), 20) \
             << " (" << static_cast<float>(__LINE__) << ")]:\t"
