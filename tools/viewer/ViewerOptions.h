#pragma once

#include "pellux/scene/Vector3.h"

#include <optional>
#include <string>

// How much of the engine's log the viewer shows on standard error.
enum class LogAmount
{
    // Errors only.
    Quiet,
    // Errors and progress.
    Normal,
    // Everything, the engine's step-by-step tracing too.
    Verbose
};

// pellux-view FILE [--summary] [--tree] [--png OUT.png] [--size WxH] [--time T] [--eye X,Y,Z]
//             [--engine-dir DIR] [--scene N] [--animation NAME|N] [--quiet | --verbose]
//             | --help | --version
struct ViewerOptions
{
    std::string file;
    // A directory to work in, with the settings.txt and resources/ of the engine; "" for none.
    std::string engineDirectory;
    bool summary = false;
    bool tree = false;
    std::string png;
    int width = 1280;
    int height = 720;
    float time = 0;
    // Where the viewer's own camera stands, looking at the origin with +Y up; none: where the
    // document's camera or the framing of the scene puts it.
    std::optional<Pellux::Vector3> eye;
    // Of a glTF document: the scene shown (below 0: its default one) and the animation that plays
    // (empty: all of them).
    int scene = -1;
    std::string animation;
    LogAmount log = LogAmount::Normal;
    bool help = false;
    bool version = false;

    // A window to look around in, when nothing is asked to be printed or saved.
    bool interactive() const { return !summary && !tree && png.empty(); }
};

// False, with `error` saying why, when the arguments are not of that form. "--help" (or "-h") and
// "--version" need nothing else and win over everything else given.
bool parseViewerOptions(int argc, const char* const* argv, ViewerOptions& options, std::string& error);

// The one-line synopsis that follows a usage error.
extern const char* const viewerUsage;
// What --help prints: the synopsis, the modes, the options, the keys and the exit statuses.
extern const char* const viewerHelp;
