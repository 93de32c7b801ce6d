#include "pellux/scene/SceneNode.h"

namespace Pellux
{

SceneNode::SceneNode(const std::string& name) : Node<SceneNode>(name)
{
    type = "SceneNode";
}

void SceneNode::render(Scene*, RenderTarget*)
{
}

Vector3 SceneNode::getPosition() const
{
    return transform.transformPoint(Vector3());
}

Matrix4 SceneNode::getWorldMatrix() const
{
    return parent == nullptr ? transform : parent->getWorldMatrix() * transform;
}

Vector3 SceneNode::getWorldPosition() const
{
    return getWorldMatrix().transformPoint(Vector3());
}

Vector3 SceneNode::getWorldDirection() const
{
    Matrix4 world = getWorldMatrix();
    return world.transformPoint(Vector3(0, 0, -1)) - world.transformPoint(Vector3());
}

Matrix4 SceneNode::getViewMatrix() const
{
    return getWorldMatrix().inverse();
}

void SceneNode::lookAt(float x, float y, float z)
{
    Vector3 position = getPosition();
    Vector3 forward = (Vector3(x, y, z) - position).normalized();
    Vector3 up(0, 1, 0);
    if (forward == up || forward == up * -1)
        up = Vector3(0, 1, 1);
    Vector3 side = up.cross(forward).normalized();
    Vector3 trueUp = forward.cross(side);
    transform = Matrix4(-side.x, trueUp.x, -forward.x, position.x,
                        -side.y, trueUp.y, -forward.y, position.y,
                        -side.z, trueUp.z, -forward.z, position.z,
                        0, 0, 0, 1);
}

}
