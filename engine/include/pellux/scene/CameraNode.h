#pragma once

#include "pellux/scene/SceneNode.h"

namespace Pellux
{

// A point of view with a perspective projection that follows the viewport's aspect ratio.
class CameraNode : public SceneNode
{
public:
    NodeKind getKind() const override { return NodeKind::Camera; }

    explicit CameraNode(const std::string& name);

    virtual void updateProjection();
    // Brought up to date at every request.
    virtual Matrix4 getProjectionMatrix();
    // The full vertical angle in radians.
    virtual void setFov(float radians);

    // Taken up by the next projection request.
    void setNear(float distance) { near = distance; }
    void setFar(float distance) { far = distance; }
    float getFov() const { return fov; }
    float getNear() const { return near; }
    float getFar() const { return far; }

protected:
    float fov = 1.0471667f;
    float near = 1.0f;
    float far = 1000.0f;
    Matrix4 projection;
};

}
