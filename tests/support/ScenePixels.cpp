#include "ScenePixels.h"

#include "pellux/graphics/RenderTarget.h"
#include "pellux/scene/CameraNode.h"

#include <GL/glew.h>

#include <array>
#include <memory>

namespace
{
// The pixel of the scene's target where its active camera sees the point.
std::array<int, 2> pixelSeeing(Pellux::Scene& scene, const Pellux::Vector3& point)
{
    Pellux::CameraNode& camera = *scene.getActiveCamera();
    Pellux::Matrix4 toClip = camera.getProjectionMatrix() * camera.getViewMatrix();
    std::array<float, 4> clip{};
    for (int row = 0; row < 4; ++row)
        clip[row] = toClip(row, 0) * point.x + toClip(row, 1) * point.y + toClip(row, 2) * point.z + toClip(row, 3);
    std::shared_ptr<Pellux::Rectangle> size = scene.getRenderTarget()->getSize();
    return {static_cast<int>((clip[0] / clip[3] * 0.5f + 0.5f) * size->width),
            static_cast<int>((clip[1] / clip[3] * 0.5f + 0.5f) * size->height)};
}
}

Rgba seenAt(Pellux::Scene& scene, const Pellux::Vector3& point)
{
    std::array<int, 2> pixel = pixelSeeing(scene, point);
    glBindFramebuffer(GL_FRAMEBUFFER, scene.getRenderTarget()->getFramebuffer());
    return readPixel(pixel[0], pixel[1]);
}

Rgba windowPixelSeeing(Pellux::Scene& scene, const Pellux::Vector3& point)
{
    std::array<int, 2> pixel = pixelSeeing(scene, point);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return readPixel(pixel[0], pixel[1]);
}
