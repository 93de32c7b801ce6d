#pragma once

// What the fuzz targets share: a quiet log and inputs handed over as files.

#include <cstddef>
#include <cstdint>
#include <string>

// Sends standard output, where the engine logs, nowhere, so that the fuzzer's report stays
// readable and a long run does not gather its log in memory.
void silenceLog();

// The engine root, made in the demo's directory, where it finds its settings and the files a
// document may name, with the log silenced. Returns true, so that a target may call it once from a
// static's initialiser.
bool openEngineRoot();

// One input written to a file of its own in the temporary directory, removed when done with.
class InputFile
{
public:
    InputFile(const std::uint8_t* data, std::size_t size, const std::string& extension);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& path() const { return filePath; }

private:
    std::string filePath;
};
