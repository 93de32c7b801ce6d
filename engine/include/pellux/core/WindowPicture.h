#pragma once

#include <string>

namespace Pellux
{

// Saves what the window's back buffer holds, the lower left width x height pixels, as an image
// file in the format its name ends with (PNG); false when it cannot be written.
bool saveWindowPicture(int width, int height, const std::string& path);

}
