#include "ViewerOptions.h"

#include "pellux/foundation/NumberParsing.h"

#include <cmath>

const char* const viewerUsage =
    "usage: pellux-view FILE [--summary] [--tree] [--png OUT.png] [--size WxH] [--time T] [--eye X,Y,Z]\n"
    "                   [--engine-dir DIR] [--scene N] [--animation NAME|N] [--quiet | --verbose]\n"
    "                   | --help | --version";

const char* const viewerHelp =
    "usage: pellux-view FILE [--summary] [--tree] [--png OUT.png] [--size WxH] [--time T] [--eye X,Y,Z]\n"
    "                   [--engine-dir DIR] [--scene N] [--animation NAME|N] [--quiet | --verbose]\n"
    "                   | --help | --version\n"
    "\n"
    "Shows a COLLADA document (.dae), a glTF document (.gltf, .glb) or an Ogre XML mesh (.xml) with the\n"
    "engine's shaders.\n"
    "Without --summary, --tree or --png it opens a window:\n"
    "  left drag               orbit around the scene\n"
    "  right or middle drag    pan\n"
    "  wheel                   zoom\n"
    "  F                       frame the whole scene\n"
    "  Space                   pause and resume the animation\n"
    "  1 to 9                  look through the document's first to ninth camera\n"
    "  Escape                  quit\n"
    "\n"
    "Options:\n"
    "  --summary               print what the scene holds; needs no display\n"
    "  --tree                  print the node tree, indented; needs no display\n"
    "  --png OUT.png           render one frame into OUT.png\n"
    "  --size WxH              the window's size in pixels (1280x720)\n"
    "  --time T                the animation's time in seconds to show, or to start from (0)\n"
    "  --eye X,Y,Z             look from the point X,Y,Z (not the origin) at the origin, +Y up, in place of\n"
    "                          the document's camera or the view that frames the whole scene\n"
    "  --engine-dir DIR        work in DIR, with its settings.txt and resources/\n"
    "  --scene N               of a glTF document, show its scene N (from 0) instead of its default one\n"
    "  --animation NAME|N      of a glTF document, play only the animation of that name or number\n"
    "  --quiet                 log errors only\n"
    "  --verbose               log everything, the engine's tracing too\n"
    "  --version               print the version\n"
    "  -h, --help              print this help\n"
    "\n"
    "Paths are taken from the directory the viewer is started in. The engine's log goes to\n"
    "standard error.\n"
    "\n"
    "Exit status: 0 done; 1 the file could not be read, the engine could not start or the picture\n"
    "could not be written; 2 usage error; 3 the document holds nothing to draw.";

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

// Three numbers apart by commas, a point neither at the origin the eye looks at nor too far to reckon with.
bool parseEye(const std::string& text, std::optional<Pellux::Vector3>& eye)
{
    float coordinates[3];
    std::size_t start = 0;
    for (int axis = 0; axis < 3; ++axis)
    {
        std::size_t end = axis < 2 ? text.find(',', start) : text.size();
        if (end == std::string::npos || !Pellux::parseFloat(text.substr(start, end - start), coordinates[axis]))
            return false;
        start = end + 1;
    }
    Pellux::Vector3 point(coordinates[0], coordinates[1], coordinates[2]);
    if (!std::isfinite(point.length()) || point.length() == 0)
        return false;
    eye = point;
    return true;
}

bool refuse(std::string& error, const std::string& reason)
{
    error = reason;
    return false;
}

bool asksForHelpOrVersion(int argc, const char* const* argv, ViewerOptions& options)
{
    for (int index = 1; index < argc; ++index)
    {
        std::string argument = argv[index];
        options.help = options.help || argument == "--help" || argument == "-h";
        options.version = options.version || argument == "--version";
    }
    return options.help || options.version;
}

bool takesValue(const std::string& argument)
{
    return argument == "--png" || argument == "--engine-dir" || argument == "--size" || argument == "--time" ||
           argument == "--eye" || argument == "--scene" || argument == "--animation";
}

// One of the options that take a value.
bool takeValue(const std::string& argument, const std::string& value, ViewerOptions& options, std::string& error)
{
    if (argument == "--png")
        options.png = value;
    else if (argument == "--engine-dir")
        options.engineDirectory = value;
    else if (argument == "--size" && !parseSize(value, options.width, options.height))
        return refuse(error, "not a size: " + value);
    else if (argument == "--time" && !(Pellux::parseFloat(value, options.time) && std::isfinite(options.time)))
        return refuse(error, "not a time: " + value);
    else if (argument == "--eye" && !parseEye(value, options.eye))
        return refuse(error, "not a point to look from: " + value);
    else if (argument == "--scene" && !(Pellux::parseInt(value, options.scene) && options.scene >= 0))
        return refuse(error, "not a scene number: " + value);
    else if (argument == "--animation")
        options.animation = value;
    return true;
}
}

bool parseViewerOptions(int argc, const char* const* argv, ViewerOptions& options, std::string& error)
{
    if (asksForHelpOrVersion(argc, argv, options))
        return true;
    bool quiet = false;
    bool verbose = false;
    for (int index = 1; index < argc; ++index)
    {
        std::string argument = argv[index];
        if (argument == "--summary")
            options.summary = true;
        else if (argument == "--tree")
            options.tree = true;
        else if (argument == "--quiet")
            quiet = true;
        else if (argument == "--verbose")
            verbose = true;
        else if (takesValue(argument))
        {
            if (index + 1 == argc)
                return refuse(error, argument + " needs a value");
            if (!takeValue(argument, argv[++index], options, error))
                return false;
        }
        else if (argument.rfind("-", 0) == 0 || !options.file.empty())
            return refuse(error, "unexpected argument: " + argument);
        else
            options.file = argument;
    }
    if (quiet && verbose)
        return refuse(error, "--quiet and --verbose together");
    options.log = quiet ? LogAmount::Quiet : verbose ? LogAmount::Verbose : LogAmount::Normal;
    if (options.file.empty())
        return refuse(error, "no file given");
    return true;
}
