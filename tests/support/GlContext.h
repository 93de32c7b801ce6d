#pragma once

#include "pellux/core/RenderEngine.h"

#include <array>

// The process's full-screen engine with its OpenGL context, opened at the first call, working in
// the demo's directory so that the engine finds its shaders. Null when no context could be made.
Pellux::RenderEngine* openRenderEngine();

using Rgba = std::array<int, 4>;

// The colour of one pixel of the bound read framebuffer.
Rgba readPixel(int x, int y);

// Clears OpenGL's error flags and tells whether any was set.
bool glErrorRaised();
