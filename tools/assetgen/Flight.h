#pragma once

#include "Collada.h"

#include <string>
#include <vector>

// What moves during the show: the camera's flight, the drifting lantern and the punt on the pool.
namespace AssetGen
{

// A smooth curve through timed points (cubic Hermite, slopes from the neighbouring points).
class Path
{
public:
    struct Key
    {
        double time;
        Vec3 value;
    };

    explicit Path(std::vector<Key> keys) : keys(std::move(keys)) {}
    Vec3 at(double time) const;

private:
    std::vector<Key> keys;
    Vec3 slope(std::size_t index) const;
};

// Where the camera is and what it looks at, at a time of the show.
Vec3 cameraPosition(double time);
Vec3 cameraTarget(double time);
Vec3 lanternPosition(double time);

// The node matrices at a time of the show.
Mat4 cameraPose(double time);
Mat4 lanternPose(double time);
Mat4 puntPose(double time);

// The node's matrices over the whole show, `keysPerSecond` of them a second.
Animation baked(const std::string& node, double keysPerSecond, Mat4 (*pose)(double));

}
