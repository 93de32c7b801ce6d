#pragma once

#include "pellux/scene/SceneNode.h"

namespace Pellux
{

// A point of view with a perspective projection, or an orthographic one, that follows the viewport's
// aspect ratio.
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
    // From now on an orthographic projection, seeing `halfHeight` above and below its axis, and as
    // far to each side as the viewport's aspect gives.
    void setOrthographic(float halfHeight);
    bool isOrthographic() const { return orthographicHalfHeight > 0; }

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
    // 0 for a perspective camera.
    float orthographicHalfHeight = 0;
    Matrix4 projection;
};

}
