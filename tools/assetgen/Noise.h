#pragma once

#include <cstdint>
#include <random>

// Deterministic randomness: the same seeds give the same assets on every run and every machine
// (std::mt19937 is fully specified; the distributions of <random> are not, so none is used).
namespace AssetGen
{

class Random
{
public:
    explicit Random(std::uint32_t seed) : engine(seed) {}

    // Uniform in [0, 1).
    double uniform() { return (engine() >> 8) * (1.0 / 16777216.0); }
    double range(double low, double high) { return low + (high - low) * uniform(); }
    int below(int count) { return static_cast<int>(uniform() * count); }

private:
    std::mt19937 engine;
};

// A well-mixed 32-bit hash of lattice coordinates, for noise that needs no state.
std::uint32_t hash(std::int32_t x, std::int32_t y, std::uint32_t seed);
double hashUnit(std::int32_t x, std::int32_t y, std::uint32_t seed);

// Gradient noise in about [-1, 1] that repeats every `periodX` along x and `periodY` along y.
double periodicNoise(double x, double y, int periodX, int periodY, std::uint32_t seed);

// Sum of `octaves` layers of periodic noise, each at twice the frequency and half the amplitude of the
// one before; (u, v) in [0, 1) covers one period, so the result tiles. About [-1, 1].
double fractalNoise(double u, double v, int frequencyX, int frequencyY, int octaves, std::uint32_t seed);

// Nearest and second-nearest feature point of a tiling cell pattern with `cells` x `cells` jittered points.
struct CellSample
{
    double nearest = 0;
    double second = 0;
    std::uint32_t cellId = 0;
};
CellSample periodicCells(double u, double v, int cells, double jitter, std::uint32_t seed);

double smoothstep(double edge0, double edge1, double x);
double clamp01(double x);

}
