// Runs every file of the given directories through a fuzz target once. Inputs must leave nothing
// behind in the temporary directory.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace
{
std::set<std::filesystem::path> temporaryFiles()
{
    std::set<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        files.insert(entry.path());
    return files;
}
}

int main(int argc, char** argv)
{
    std::set<std::filesystem::path> before = temporaryFiles();
    std::size_t inputs = 0;
    for (int argument = 1; argument < argc; ++argument)
        for (const auto& entry : std::filesystem::directory_iterator(argv[argument]))
        {
            std::ifstream file(entry.path(), std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++inputs;
        }
    std::cerr << "replayed " << inputs << " inputs" << std::endl;
    bool leftBehind = false;
    for (const std::filesystem::path& file : temporaryFiles())
        if (before.count(file) == 0)
        {
            std::cerr << "left behind: " << file.string() << std::endl;
            leftBehind = true;
        }
    return inputs > 0 && !leftBehind ? 0 : 1;
}
