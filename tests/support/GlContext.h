#pragma once

#include "pellux/core/RenderEngine.h"

#include <array>

// The engine root's render engine, opened full screen at the first call, working in the demo's
// directory so that the engine finds its settings and shaders. Null when no context could be made.
Pellux::RenderEngine* openRenderEngine();

using Rgba = std::array<int, 4>;

// The colour of one pixel of the bound read framebuffer.
Rgba readPixel(int x, int y);

// Clears OpenGL's error flags and tells whether any was set.
bool glErrorRaised();
