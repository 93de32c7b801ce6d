#include "pellux/scene/CameraNode.h"

#include "pellux/graphics/RenderTarget.h"

namespace Pellux
{

CameraNode::CameraNode(const std::string& name) : SceneNode(name)
{
    CameraNode::updateProjection();
}

void CameraNode::updateProjection()
{
    Rectangle viewport = RenderTarget::currentViewport();
    // Without a viewport yet (no window), a square one.
    float aspect = viewport.height > 0 ? viewport.width / viewport.height : 1.0f;
    if (!isOrthographic())
    {
        projection = Matrix4::perspective(aspect, near, far, fov);
        return;
    }
    float halfWidth = orthographicHalfHeight * aspect;
    projection = Matrix4(1 / halfWidth, 0, 0, 0,
                         0, 1 / orthographicHalfHeight, 0, 0,
                         0, 0, -2 / (far - near), -(far + near) / (far - near),
                         0, 0, 0, 1);
}

void CameraNode::setOrthographic(float halfHeight)
{
    orthographicHalfHeight = halfHeight;
    updateProjection();
}

Matrix4 CameraNode::getProjectionMatrix()
{
    updateProjection();
    return projection;
}

void CameraNode::setFov(float radians)
{
    fov = radians;
    updateProjection();
}

}
