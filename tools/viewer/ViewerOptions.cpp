#include "ViewerOptions.h"

#include "pellux/foundation/NumberParsing.h"

const char* const viewerUsage = "usage: pellux-view FILE [--summary] [--png OUT.png] [--size WxH] [--time T] [--engine-dir DIR]";

namespace
{
const int largestSide = 16384;

bool parseSize(const std::string& text, int& width, int& height)
{
    std::size_t cross = text.find('x');
    return cross != std::string::npos && Pellux::parseInt(text.substr(0, cross), width) &&
           Pellux::parseInt(text.substr(cross + 1), height) && width > 0 && height > 0 && width <= largestSide &&
           height <= largestSide;
}

bool refuse(std::string& error, const std::string& reason)
{
    error = reason;
    return false;
}
}

bool parseViewerOptions(int argc, char** argv, ViewerOptions& options, std::string& error)
{
    for (int index = 1; index < argc; ++index)
    {
        std::string argument = argv[index];
        bool hasValue = index + 1 < argc;
        if (argument == "--summary")
            options.summary = true;
        else if (argument == "--png" && hasValue)
            options.png = argv[++index];
        else if (argument == "--size" && hasValue)
        {
            if (!parseSize(argv[++index], options.width, options.height))
                return refuse(error, std::string("not a size: ") + argv[index]);
        }
        else if (argument == "--engine-dir" && hasValue)
            options.engineDirectory = argv[++index];
        else if (argument == "--time" && hasValue)
        {
            if (!Pellux::parseFloat(argv[++index], options.time))
                return refuse(error, std::string("not a time: ") + argv[index]);
        }
        else if (argument.rfind("--", 0) == 0 || !options.file.empty())
            return refuse(error, "unexpected argument: " + argument);
        else
            options.file = argument;
    }
    if (options.file.empty())
        return refuse(error, "no file given");
    return true;
}
