#pragma once

#include <string>

// A fresh directory under the system's temporary directory, removed with everything in it.
class TemporaryDirectory
{
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& path() const { return directory; }
    // Writes `content` to the file at `relativePath`, creating its directories.
    std::string write(const std::string& relativePath, const std::string& content) const;

private:
    std::string directory;
};

// Runs in `directory` until destroyed, then goes back.
class WorkingDirectory
{
public:
    explicit WorkingDirectory(const std::string& directory);
    ~WorkingDirectory();
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::string previous;
};
