#pragma once

#include "pellux/scene/Bounds.h"
#include "pellux/scene/Vector3.h"

namespace Pellux
{
class CameraNode;
}

// A point of view circling a pivot, as a turntable does: turned about the world's Y axis (yaw)
// and raised above the pivot's horizon (pitch), at a distance. Window movements are in pixels;
// the camera's field of view and the window's height say how far they reach in the scene.
class OrbitCamera
{
public:
    // Where the viewer looks from at first: above, to the right and in front of the scene.
    OrbitCamera();

    // Moves the pivot to the box's middle and backs off until the box fits the vertical field of
    // view `fov`, keeping the direction looked from.
    void frame(const Pellux::Bounds& bounds, float fov);
    // Takes the pose of a camera at `eye` looking along `direction`, circling the point it looks at
    // `pivotDistance` ahead.
    void lookFrom(const Pellux::Vector3& eye, const Pellux::Vector3& direction, float pivotDistance);

    // A drag of the left button: right turns the scene to the right, down tilts its top towards
    // the viewer. Never over the top: the pitch stays short of straight up or down.
    void orbit(float pixelsRight, float pixelsDown, float windowHeight);
    // A drag that moves the scene with the cursor, for points at the pivot's distance.
    void pan(float pixelsRight, float pixelsDown, float windowHeight, float fov);
    // Wheel steps away from the user bring the pivot nearer.
    void zoom(float steps);

    Pellux::Vector3 getEye() const;
    const Pellux::Vector3& getPivot() const { return pivot; }
    float getDistance() const { return distance; }
    float getYaw() const { return yaw; }
    float getPitch() const { return pitch; }

    // Places the camera at the eye looking at the pivot, its near and far planes around the box.
    void placeCamera(Pellux::CameraNode& camera, const Pellux::Bounds& bounds) const;

private:
    // The unit vector from the pivot to the eye.
    Pellux::Vector3 backwards() const;

    Pellux::Vector3 pivot;
    float distance = 1;
    float yaw = 0;
    float pitch = 0;
};
