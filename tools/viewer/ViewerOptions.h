#pragma once

#include <string>

// pellux-view FILE [--summary] [--png OUT.png] [--size WxH] [--time T] [--engine-dir DIR]
struct ViewerOptions
{
    std::string file;
    // Where settings.txt and the shaders under resources/ are read from; "" for the demo's directory.
    std::string engineDirectory;
    bool summary = false;
    std::string png;
    int width = 1280;
    int height = 720;
    float time = 0;
};

// False, with `error` saying why, when the arguments are not of that form.
bool parseViewerOptions(int argc, char** argv, ViewerOptions& options, std::string& error);

extern const char* const viewerUsage;
