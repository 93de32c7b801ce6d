#include "OrbitCamera.h"

#include "pellux/scene/CameraNode.h"
#include "pellux/scene/Matrix4.h"

#include <algorithm>
#include <cmath>

using namespace Pellux;

namespace
{
const float pi = 3.14159265f;
// Short of straight up or down, where the turntable's axis and the view would be one.
const float steepestPitch = pi / 2 - 0.01f;
// Each wheel step brings the pivot this much nearer.
const float zoomPerStep = 0.85f;
// Far enough from 0 and infinity that the view stays a number.
const float nearestDistance = 1e-6f;
const float farthestDistance = 1e12f;
// The part of the field of view a framed box fills, with a margin.
const float framingMargin = 1.2f;

float clampPitch(float radians)
{
    return std::clamp(radians, -steepestPitch, steepestPitch);
}

float radiusOf(const Bounds& bounds)
{
    return std::max((bounds.high - bounds.low).length() * 0.5f, 0.001f);
}
}

OrbitCamera::OrbitCamera()
{
    Vector3 firstDirection = Vector3(0.55f, 0.45f, 0.7f).normalized();
    yaw = std::atan2(firstDirection.x, firstDirection.z);
    pitch = std::asin(firstDirection.y);
}

void OrbitCamera::frame(const Bounds& bounds, float fov)
{
    if (bounds.empty)
        return;
    pivot = (bounds.low + bounds.high) * 0.5f;
    distance = std::clamp(radiusOf(bounds) / std::tan(fov / 2) * framingMargin, nearestDistance, farthestDistance);
}

void OrbitCamera::lookFrom(const Vector3& eye, const Vector3& direction, float pivotDistance)
{
    float length = direction.length();
    if (!(length > 0) || !std::isfinite(length))
        return;
    Vector3 back = direction * (-1 / length);
    yaw = std::atan2(back.x, back.z);
    pitch = clampPitch(std::asin(std::clamp(back.y, -1.0f, 1.0f)));
    distance = std::clamp(pivotDistance, nearestDistance, farthestDistance);
    pivot = eye - back * distance;
}

void OrbitCamera::orbit(float pixelsRight, float pixelsDown, float windowHeight)
{
    // A drag over the window's height turns the scene half round.
    float radiansPerPixel = pi / std::max(windowHeight, 1.0f);
    yaw -= pixelsRight * radiansPerPixel;
    pitch = clampPitch(pitch + pixelsDown * radiansPerPixel);
}

void OrbitCamera::pan(float pixelsRight, float pixelsDown, float windowHeight, float fov)
{
    float sceneUnitsPerPixel = 2 * distance * std::tan(fov / 2) / std::max(windowHeight, 1.0f);
    Vector3 forward = backwards() * -1;
    Vector3 right(std::cos(yaw), 0, -std::sin(yaw));
    Vector3 up = right.cross(forward);
    pivot = pivot - right * (pixelsRight * sceneUnitsPerPixel) + up * (pixelsDown * sceneUnitsPerPixel);
}

void OrbitCamera::zoom(float steps)
{
    distance = std::clamp(distance * std::pow(zoomPerStep, steps), nearestDistance, farthestDistance);
}

Vector3 OrbitCamera::getEye() const
{
    return pivot + backwards() * distance;
}

Vector3 OrbitCamera::backwards() const
{
    return {std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw)};
}

void OrbitCamera::placeCamera(CameraNode& camera, const Bounds& bounds) const
{
    Vector3 eye = getEye();
    camera.setTransform(Matrix4::translation(eye));
    camera.lookAt(pivot.x, pivot.y, pivot.z);
    if (bounds.empty)
        return;
    // Near and far hold the whole box, wherever the eye is.
    float radius = radiusOf(bounds);
    float fromCentre = (eye - (bounds.low + bounds.high) * 0.5f).length();
    camera.setNear(std::max(fromCentre - 2 * radius, std::max(fromCentre, radius) / 1000));
    camera.setFar(fromCentre + 2 * radius);
}
