// Feeds arbitrary bytes to the settings reader as a file: it must not crash, hang or read out of
// bounds. Built for libFuzzer (scripts/fuzz), and as a replay of the corpus for the tests.
#include "FuzzSupport.h"

#include "pellux/foundation/File.h"
#include "pellux/foundation/Properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    silenceLog();
    InputFile settings(data, size, ".txt");
    Pellux::Properties properties{File(settings.path())};
    properties.getSection("graphics").get("width");
    properties.toString();
    return 0;
}
