#include "Noise.h"

#include "Vector.h"

#include <algorithm>
#include <cmath>

namespace AssetGen
{

namespace
{
int wrap(int value, int period)
{
    int r = value % period;
    return r < 0 ? r + period : r;
}

double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

double gradientDot(int ix, int iy, double dx, double dy, int periodX, int periodY, std::uint32_t seed)
{
    double angle = hashUnit(wrap(ix, periodX), wrap(iy, periodY), seed) * 2 * pi;
    return std::cos(angle) * dx + std::sin(angle) * dy;
}
}

std::uint32_t hash(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h ^ (h >> 15)) * 0xC2B2AE35u;
    h ^= static_cast<std::uint32_t>(y) * 0x27D4EB2Fu;
    h = (h ^ (h >> 13)) * 0x165667B1u;
    return h ^ (h >> 16);
}

double hashUnit(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    return (hash(x, y, seed) >> 8) * (1.0 / 16777216.0);
}

double periodicNoise(double x, double y, int periodX, int periodY, std::uint32_t seed)
{
    int ix = static_cast<int>(std::floor(x));
    int iy = static_cast<int>(std::floor(y));
    double fx = x - ix, fy = y - iy;
    double n00 = gradientDot(ix, iy, fx, fy, periodX, periodY, seed);
    double n10 = gradientDot(ix + 1, iy, fx - 1, fy, periodX, periodY, seed);
    double n01 = gradientDot(ix, iy + 1, fx, fy - 1, periodX, periodY, seed);
    double n11 = gradientDot(ix + 1, iy + 1, fx - 1, fy - 1, periodX, periodY, seed);
    double u = fade(fx), v = fade(fy);
    double bottom = n00 + (n10 - n00) * u;
    double top = n01 + (n11 - n01) * u;
    return (bottom + (top - bottom) * v) * 1.41;
}

double fractalNoise(double u, double v, int frequencyX, int frequencyY, int octaves, std::uint32_t seed)
{
    double sum = 0, amplitude = 1, total = 0;
    for (int octave = 0; octave < octaves; ++octave)
    {
        int fx = frequencyX << octave, fy = frequencyY << octave;
        sum += amplitude * periodicNoise(u * fx, v * fy, fx, fy, seed + static_cast<std::uint32_t>(octave) * 101);
        total += amplitude;
        amplitude *= 0.5;
    }
    return sum / total;
}

CellSample periodicCells(double u, double v, int cells, double jitter, std::uint32_t seed)
{
    double x = u * cells, y = v * cells;
    int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    CellSample sample;
    sample.nearest = sample.second = 1e9;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
        {
            int nx = cx + dx, ny = cy + dy;
            int wx = wrap(nx, cells), wy = wrap(ny, cells);
            double px = nx + 0.5 + jitter * (hashUnit(wx, wy, seed) - 0.5);
            double py = ny + 0.5 + jitter * (hashUnit(wx, wy, seed + 7) - 0.5);
            double distance = std::hypot(x - px, y - py);
            if (distance < sample.nearest)
            {
                sample.second = sample.nearest;
                sample.nearest = distance;
                sample.cellId = hash(wx, wy, seed + 13);
            }
            else if (distance < sample.second)
                sample.second = distance;
        }
    return sample;
}

double smoothstep(double edge0, double edge1, double x)
{
    double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

double clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

}
