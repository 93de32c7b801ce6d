#pragma once

#include "pellux/foundation/Logger.h"

#include <string>
#include <vector>

namespace Pellux
{

// A problem a reader found in what it read, as it logged it.
struct Diagnostic
{
    enum class Severity
    {
        Error
    };

    Severity severity = Severity::Error;
    // The part of the file it concerns, such as "geometry 'box'"; empty for the file as a whole.
    std::string where;
    // The line as logged, without its prefix.
    std::string message;
};

// Gathers the error lines the logger is given while it lives, whether they are written or not.
class DiagnosticCollector : public ErrorLineObserver
{
public:
    explicit DiagnosticCollector(Logger& logger);
    ~DiagnosticCollector() override;
    DiagnosticCollector(const DiagnosticCollector&) = delete;
    DiagnosticCollector& operator=(const DiagnosticCollector&) = delete;

    void errorLogged(const std::string& line) override;
    // Each line gathered, with where `partOf` says it belongs.
    template <class PartOf>
    std::vector<Diagnostic> diagnostics(PartOf partOf) const
    {
        std::vector<Diagnostic> found;
        for (const std::string& line : lines)
            found.push_back({Diagnostic::Severity::Error, partOf(line), line});
        return found;
    }

private:
    Logger& logger;
    std::vector<std::string> lines;
};

}
