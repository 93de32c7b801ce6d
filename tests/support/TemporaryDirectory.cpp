#include "TemporaryDirectory.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <stdlib.h>

namespace fs = std::filesystem;

TemporaryDirectory::TemporaryDirectory()
{
    std::string pattern = (fs::temp_directory_path() / "pellux-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory");
    directory = pattern;
}

TemporaryDirectory::~TemporaryDirectory()
{
    std::error_code ignored;
    fs::remove_all(directory, ignored);
}

std::string TemporaryDirectory::write(const std::string& relativePath, const std::string& content) const
{
    fs::path file = fs::path(directory) / relativePath;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return file.string();
}

WorkingDirectory::WorkingDirectory(const std::string& directory) : previous(fs::current_path().string())
{
    fs::current_path(directory);
}

WorkingDirectory::~WorkingDirectory()
{
    std::error_code ignored;
    fs::current_path(previous, ignored);
}
