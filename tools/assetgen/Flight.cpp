#include "Flight.h"

#include "Plan.h"

#include <cmath>

namespace AssetGen
{

namespace
{
// The flight: out over the fen, across the pool into the courtyard, close along the east, north and
// west walls, turning between them to look across the courtyard, back to an overview, and up toward the
// night sky while the picture fades, so that the last pictures are dark even before the fade.
const Path cameraPath({{0, {-5.0, -23.5, 5.5}},
                       {9, {-2.0, -20.0, 3.8}},
                       {16, {4.0, -16.0, 1.8}},
                       {21, {4.6, -9.5, 1.7}},
                       {24, {5.2, -4.5, 1.6}},
                       {27, {5.3, 1.5, 1.7}},
                       {30, {4.4, 4.2, 1.8}},
                       {34, {2.0, 5.2, 1.7}},
                       {40, {-1.5, 5.3, 1.6}},
                       {45, {-4.5, 4.6, 1.7}},
                       {50, {-5.3, 1.0, 1.6}},
                       {55, {-5.2, -2.8, 1.7}},
                       {60, {-4.2, -4.6, 2.0}},
                       {66, {-1.0, -6.5, 2.6}},
                       {72, {1.5, -6.8, 3.0}},
                       {78, {1.5, -6.0, 3.4}},
                       {79, {2.0, -5.5, 3.8}},
                       {80.5, {2.2, -5.0, 6.5}},
                       {showLength, {2.5, -4.5, 14.0}}});

const Path targetPath({{0, {1.0, -4.0, 0.8}},
                       {9, {2.0, -8.0, 0.8}},
                       {16, {3.0, -3.0, 1.2}},
                       {21, {6.8, 0.0, 1.5}},
                       {24, {7.0, 2.0, 1.6}},
                       {27, {6.0, 7.0, 1.8}},
                       {30, {-3.0, 3.2, 1.5}},
                       {34, {-3.0, 7.0, 1.6}},
                       {40, {-6.0, 6.5, 1.5}},
                       {45, {-7.0, 1.0, 1.6}},
                       {50, {-6.8, -3.5, 1.5}},
                       {55, {-5.0, -7.5, 1.5}},
                       {60, {1.0, 1.0, 1.4}},
                       {66, {1.0, 3.0, 1.2}},
                       {72, {-0.5, 2.5, 1.0}},
                       {78, {0.0, 2.0, 1.2}},
                       {79, {0.0, 3.0, 2.0}},
                       {80.5, {0.0, 12.0, 14.0}},
                       {showLength, {0.0, 20.0, 30.0}}});

// The lantern drifts a little ahead of the camera, lighting each wall as the camera reaches it.
const Path lanternPath({{0, {1.0, -11.5, 1.3}},
                        {10, {3.0, -9.5, 1.5}},
                        {17, {5.2, -5.5, 1.7}},
                        {23, {6.0, -0.5, 1.8}},
                        {28, {4.5, 5.8, 1.9}},
                        {34, {-0.5, 6.0, 1.9}},
                        {40, {-4.5, 6.0, 1.8}},
                        {45, {-6.0, 3.0, 1.8}},
                        {50, {-6.2, -2.0, 1.9}},
                        {56, {-4.5, -6.5, 2.0}},
                        {62, {0.0, -4.0, 1.9}},
                        {70, {1.5, -1.0, 1.7}},
                        {78, {1.0, -1.0, 1.6}},
                        {showLength, {1.5, 0.5, 1.5}}});
}

Vec3 Path::slope(std::size_t i) const
{
    std::size_t before = i == 0 ? 0 : i - 1;
    std::size_t after = std::min(i + 1, keys.size() - 1);
    return (keys[after].value - keys[before].value) * (1 / (keys[after].time - keys[before].time));
}

Vec3 Path::at(double time) const
{
    if (time <= keys.front().time)
        return keys.front().value;
    if (time >= keys.back().time)
        return keys.back().value;
    std::size_t i = 0;
    while (keys[i + 1].time < time)
        ++i;
    double span = keys[i + 1].time - keys[i].time;
    double s = (time - keys[i].time) / span;
    double s2 = s * s, s3 = s2 * s;
    return keys[i].value * (2 * s3 - 3 * s2 + 1) + slope(i) * ((s3 - 2 * s2 + s) * span) +
           keys[i + 1].value * (-2 * s3 + 3 * s2) + slope(i + 1) * ((s3 - s2) * span);
}

Vec3 cameraPosition(double time) { return cameraPath.at(time); }
Vec3 cameraTarget(double time) { return targetPath.at(time); }
Vec3 lanternPosition(double time) { return lanternPath.at(time); }

Mat4 cameraPose(double t) { return Mat4::lookAt(cameraPosition(t), cameraTarget(t)); }

Mat4 lanternPose(double t)
{
    Vec3 bob(0, 0, 0.06 * std::sin(2 * pi * t / 3.1));
    double swing = 0.08 * std::sin(2 * pi * t / 2.3);
    return Mat4::translation(lanternPosition(t) + bob) * Mat4::rotation({1, 0, 0}, swing) *
           Mat4::rotation({0, 0, 1}, 0.3 * t);
}

// The punt turns slowly on the pool and rocks on the ripples.
Mat4 puntPose(double t)
{
    double drift = 2 * pi * t / showLength;
    Vec3 place(poolCentre.x - 0.6 + 0.9 * std::cos(drift), poolCentre.y + 0.2 + 0.6 * std::sin(drift),
               waterLevel + 0.02 * std::sin(2 * pi * t / 3.7));
    return Mat4::translation(place) * Mat4::rotation({0, 0, 1}, 0.5 + 0.45 * std::sin(drift)) *
           Mat4::rotation({1, 0, 0}, 0.025 * std::sin(2 * pi * t / 2.9));
}

Animation baked(const std::string& node, double keysPerSecond, Mat4 (*pose)(double))
{
    Animation animation{node, {}};
    int keys = static_cast<int>(std::lround(showLength * keysPerSecond));
    for (int key = 0; key <= keys; ++key)
        animation.keys.push_back(pose(key / keysPerSecond));
    return animation;
}

}
