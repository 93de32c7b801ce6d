#include "ShowCapture.h"

#include "pellux/core/WindowPicture.h"
#include "pellux/foundation/NumberParsing.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>

const char* const demoUsage = "usage: pellux-demo [--capture DIRECTORY --capture-at SECONDS,SECONDS,...]";

bool ShowCapture::parse(int argc, char** argv, std::string& error)
{
    std::string times;
    for (int index = 1; index < argc; ++index)
    {
        std::string argument = argv[index];
        if (index + 1 >= argc || (argument != "--capture" && argument != "--capture-at"))
        {
            error = "unexpected argument: " + argument;
            return false;
        }
        if (argument == "--capture")
            directory = argv[++index];
        else
            times = argv[++index];
    }
    if (directory.empty() != times.empty())
    {
        error = "--capture and --capture-at go together";
        return false;
    }
    std::istringstream list(times);
    std::string name;
    while (std::getline(list, name, ','))
    {
        Moment moment{0, name};
        if (!Pellux::parseFloat(name, moment.time))
        {
            error = "not a time: " + name;
            return false;
        }
        pending.push_back(moment);
    }
    std::error_code ignored;
    if (!directory.empty())
        std::filesystem::create_directories(directory, ignored);
    return true;
}

void ShowCapture::afterDrawing(float animationTime, int width, int height)
{
    auto due = std::stable_partition(pending.begin(), pending.end(),
                                     [&](const Moment& moment) { return moment.time > animationTime; });
    for (auto moment = due; moment != pending.end(); ++moment)
    {
        std::string path = directory + "/" + moment->name + ".png";
        if (!Pellux::saveWindowPicture(width, height, path))
            std::cerr << "pellux-demo: cannot write " << path << std::endl;
    }
    pending.erase(due, pending.end());
}
