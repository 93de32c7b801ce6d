#include "FuzzSupport.h"

#include "pellux/core/Tavrin.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <unistd.h>

namespace
{
class DiscardingBuffer : public std::streambuf
{
protected:
    int overflow(int character) override { return traits_type::not_eof(character); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};
}

void silenceLog()
{
    // Never destroyed: standard output is flushed once more when the process ends.
    static DiscardingBuffer* nowhere = new DiscardingBuffer;
    std::cout.rdbuf(nowhere);
}

bool openEngineRoot()
{
    silenceLog();
    std::filesystem::current_path(PELLUX_DEMO_DIR);
    Pellux::Tavrin::getInstance();
    return true;
}

InputFile::InputFile(const std::uint8_t* data, std::size_t size, const std::string& extension)
    : filePath((std::filesystem::temp_directory_path() / ("pellux-fuzz-" + std::to_string(getpid()) + extension)).string())
{
    std::ofstream(filePath, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

InputFile::~InputFile()
{
    std::error_code ignored;
    std::filesystem::remove(filePath, ignored);
}
