#pragma once

#include "pellux/foundation/Singleton.h"
#include "pellux/foundation/StringUtils.h"

#include <ostream>
#include <string>
#include <vector>

class Logger;

// Told of each whole line logged at level ERR, whether the threshold lets it be written or not: the
// line's text after its "[ source (line)]:" prefix.
class ErrorLineObserver
{
public:
    virtual ~ErrorLineObserver() = default;
    virtual void errorLogged(const std::string& line) = 0;
};

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
    bool isObserved() const;
    std::ostream& beginPart();
    template <class Part>
    void keep(const Part& part);
    void endLine();

    // The line being logged, while someone observes this level.
    std::string observedLine;
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

    // Observers of the error lines, until removed.
    void addObserver(ErrorLineObserver* observer) { observers.push_back(observer); }
    void removeObserver(ErrorLineObserver* observer);
    const std::vector<ErrorLineObserver*>& getObservers() const { return observers; }

private:
    LogStream threshold;
    std::vector<ErrorLineObserver*> observers;

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
