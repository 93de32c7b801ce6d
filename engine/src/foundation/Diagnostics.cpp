#include "pellux/foundation/Diagnostics.h"

namespace Pellux
{

DiagnosticCollector::DiagnosticCollector(Logger& logger) : logger(logger)
{
    logger.addObserver(this);
}

DiagnosticCollector::~DiagnosticCollector()
{
    logger.removeObserver(this);
}

void DiagnosticCollector::errorLogged(const std::string& line)
{
    lines.push_back(line);
}

}
