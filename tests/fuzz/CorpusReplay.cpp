// Runs every file of the given directories through the fuzz target once.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
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
    return inputs > 0 ? 0 : 1;
}
