#pragma once

#include "GlContext.h"

#include "pellux/scene/Scene.h"
#include "pellux/scene/Vector3.h"

// The colour of the scene's render target where its active camera sees the world point, as the
// last frame drew it.
Rgba seenAt(Pellux::Scene& scene, const Pellux::Vector3& point);
// The same place of the window's picture, which the overlay drew from the target, before the swap.
Rgba windowPixelSeeing(Pellux::Scene& scene, const Pellux::Vector3& point);
