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
    projection = Matrix4::perspective(aspect, near, far, fov);
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
