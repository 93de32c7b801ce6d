#pragma once

#include <string>

// Saves what the window's back buffer holds as a PNG file; false when it cannot be written.
bool saveWindowPicture(int width, int height, const std::string& path);
