#include "OrbitCamera.h"

#include "pellux/core/Tavrin.h"
#include "pellux/scene/CameraNode.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace Pellux;

namespace
{
const float pi = 3.14159265f;
const float fov = 1.0f;
const float windowHeight = 600;

float dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

void expectNear(const Vector3& actual, const Vector3& expected, float tolerance, const std::string& what)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

Bounds box(const Vector3& low, const Vector3& high)
{
    Bounds bounds;
    bounds.add(low);
    bounds.add(high);
    return bounds;
}

// Cameras ask the engine for the viewport, which works without a window.
class OrbitCameraTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::current_path(PELLUX_DEMO_DIR);
        createLoggerQuietly();
        captureOutput([this] {
            Tavrin::getInstance();
            camera = std::make_unique<CameraNode>("camera");
        });
        camera->setFov(fov);
    }

    // Where a point appears in a window of windowHeight pixels, from its middle: x right, y down.
    std::pair<float, float> pixelOf(const Vector3& point) const
    {
        Vector3 seen = camera->getViewMatrix().transformPoint(point);
        float pixelsPerUnit = windowHeight / 2 / std::tan(fov / 2) / -seen.z;
        return {seen.x * pixelsPerUnit, -seen.y * pixelsPerUnit};
    }

    std::unique_ptr<CameraNode> camera;
    OrbitCamera orbit;
};

TEST_F(OrbitCameraTest, AFramedBoxLiesWithinTheFieldOfViewAndTheDepthRange)
{
    const Bounds boxes[] = {
        box({-1, -1, -1}, {1, 1, 1}),
        box({100, 0, -5}, {400, 2, 5}),
        box({0.001f, 0.001f, 0.001f}, {0.002f, 0.003f, 0.001f}),
        box({-3, 7, 2}, {-3, 7, 2}),
    };
    for (const Bounds& bounds : boxes)
    {
        orbit.frame(bounds, fov);
        orbit.placeCamera(*camera, bounds);
        expectNear(orbit.getPivot(), (bounds.low + bounds.high) * 0.5f, 1e-4f, "pivot");
        for (const Vector3& corner : bounds.corners())
        {
            Vector3 seen = camera->getViewMatrix().transformPoint(corner);
            EXPECT_GT(-seen.z, camera->getNear()) << corner.x;
            EXPECT_LT(-seen.z, camera->getFar()) << corner.x;
            auto [x, y] = pixelOf(corner);
            EXPECT_LT(std::abs(x), windowHeight / 2) << corner.x;
            EXPECT_LT(std::abs(y), windowHeight / 2) << corner.x;
        }
    }
}

TEST_F(OrbitCameraTest, DragsTurnTheEyeAroundThePivotAtItsDistance)
{
    struct Case
    {
        float right;
        float down;
        float yawTurned;
        float pitchTurned;
    };
    // A drag over the window's height is half a turn.
    const Case cases[] = {
        {windowHeight, 0, -pi, 0},
        {-windowHeight / 4, 0, pi / 4, 0},
        {0, windowHeight / 8, 0, pi / 8},
        {0, -windowHeight / 8, 0, -pi / 8},
    };
    orbit.frame(box({-1, -1, -1}, {1, 1, 1}), fov);
    for (const Case& drag : cases)
    {
        float yaw = orbit.getYaw();
        float pitch = orbit.getPitch();
        float distance = orbit.getDistance();
        orbit.orbit(drag.right, drag.down, windowHeight);
        EXPECT_NEAR(orbit.getYaw() - yaw, drag.yawTurned, 1e-5f) << drag.right << " " << drag.down;
        EXPECT_NEAR(orbit.getPitch() - pitch, drag.pitchTurned, 1e-5f) << drag.right << " " << drag.down;
        EXPECT_NEAR((orbit.getEye() - orbit.getPivot()).length(), distance, 1e-4f);
        expectNear(orbit.getPivot(), {0, 0, 0}, 1e-6f, "pivot");
    }
}

TEST_F(OrbitCameraTest, DraggingDownRaisesTheEyeButNeverOverTheTop)
{
    orbit.frame(box({-1, -1, -1}, {1, 1, 1}), fov);
    float height = orbit.getEye().y;
    orbit.orbit(0, 10, windowHeight);
    EXPECT_GT(orbit.getEye().y, height);
    for (float down : {10 * windowHeight, -20 * windowHeight})
    {
        orbit.orbit(0, down, windowHeight);
        EXPECT_LT(std::abs(orbit.getPitch()), pi / 2);
        orbit.placeCamera(*camera, box({-1, -1, -1}, {1, 1, 1}));
        Vector3 seen = camera->getViewMatrix().transformPoint(orbit.getPivot());
        EXPECT_NEAR(seen.x, 0, 1e-3f) << down;
        EXPECT_NEAR(seen.y, 0, 1e-3f) << down;
        EXPECT_LT(seen.z, 0) << "the pivot stays in front";
    }
}

TEST_F(OrbitCameraTest, APanMovesWhatLiesAtThePivotWithTheCursor)
{
    struct Drag
    {
        float right;
        float down;
    };
    Bounds bounds = box({-2, 0, -1}, {2, 3, 1});
    orbit.frame(bounds, fov);
    orbit.orbit(120, 45, windowHeight);
    for (Drag drag : {Drag{40, 0}, Drag{0, -25}, Drag{-70, 90}})
    {
        Vector3 grabbed = orbit.getPivot();
        orbit.pan(drag.right, drag.down, windowHeight, fov);
        orbit.placeCamera(*camera, bounds);
        auto [x, y] = pixelOf(grabbed);
        EXPECT_NEAR(x, drag.right, 0.01f);
        EXPECT_NEAR(y, drag.down, 0.01f);
    }
}

TEST_F(OrbitCameraTest, WheelStepsAwayBringThePivotNearerAndBackStepsUndoThem)
{
    orbit.frame(box({-1, -1, -1}, {1, 1, 1}), fov);
    float distance = orbit.getDistance();
    Vector3 direction = (orbit.getEye() - orbit.getPivot()) / distance;
    orbit.zoom(1);
    EXPECT_NEAR(orbit.getDistance(), distance * 0.85f, 1e-5f);
    orbit.zoom(2);
    EXPECT_NEAR(orbit.getDistance(), distance * 0.85f * 0.85f * 0.85f, 1e-5f);
    orbit.zoom(-3);
    EXPECT_NEAR(orbit.getDistance(), distance, 1e-5f);
    expectNear((orbit.getEye() - orbit.getPivot()) / orbit.getDistance(), direction, 1e-5f, "direction");
    for (float steps : {1e6f, -1e6f})
    {
        orbit.zoom(steps);
        EXPECT_GT(orbit.getDistance(), 0) << steps;
        EXPECT_TRUE(std::isfinite(orbit.getEye().x)) << steps;
    }
}

TEST_F(OrbitCameraTest, TakingACamerasPoseKeepsWhereItStandsAndWhereItLooks)
{
    struct Case
    {
        Vector3 eye;
        Vector3 direction;
        float pivotDistance;
    };
    const Case cases[] = {
        {{0, 0, 10}, {0, 0, -1}, 10},
        {{5, 2, -3}, {-1, -0.2f, 0.5f}, 4},
        {{400, 460, -430}, {-400, -460, 430}, 700},
    };
    for (const Case& pose : cases)
    {
        orbit.lookFrom(pose.eye, pose.direction, pose.pivotDistance);
        expectNear(orbit.getEye(), pose.eye, 1e-3f * pose.pivotDistance, "eye");
        Vector3 looking = (orbit.getPivot() - orbit.getEye()) / pose.pivotDistance;
        EXPECT_NEAR(dot(looking, pose.direction.normalized()), 1, 1e-5f);
        EXPECT_NEAR(orbit.getDistance(), pose.pivotDistance, 1e-3f);
    }
}

TEST_F(OrbitCameraTest, APoseWithoutADirectionChangesNothing)
{
    orbit.frame(box({-1, -1, -1}, {1, 1, 1}), fov);
    Vector3 eye = orbit.getEye();
    for (Vector3 direction : {Vector3(0, 0, 0), Vector3(NAN, 0, 1), Vector3(INFINITY, 0, 0)})
    {
        orbit.lookFrom({9, 9, 9}, direction, 3);
        expectNear(orbit.getEye(), eye, 0, "eye");
    }
}
}
