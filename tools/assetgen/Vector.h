#pragma once

#include <array>
#include <cmath>

// The little 3D arithmetic the generator needs; world coordinates are Z up, in metres.
namespace AssetGen
{

const double pi = 3.14159265358979323846;

struct Vec3
{
    double x = 0, y = 0, z = 0;

    Vec3() = default;
    Vec3(double x, double y, double z) : x(x), y(y), z(z) {}

    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(double f) const { return {x * f, y * f, z * f}; }
    Vec3 operator-() const { return {-x, -y, -z}; }
    double length() const { return std::sqrt(x * x + y * y + z * z); }
    Vec3 normalized() const
    {
        double l = length();
        return l > 0 ? *this * (1 / l) : *this;
    }
};

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Row-major 4 x 4 matrix acting on column vectors, as COLLADA lists it.
struct Mat4
{
    std::array<double, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    double& operator()(int row, int col) { return m[row * 4 + col]; }
    double operator()(int row, int col) const { return m[row * 4 + col]; }

    Mat4 operator*(const Mat4& o) const
    {
        Mat4 r;
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 4; ++col)
            {
                double sum = 0;
                for (int k = 0; k < 4; ++k)
                    sum += (*this)(row, k) * o(k, col);
                r(row, col) = sum;
            }
        return r;
    }

    Vec3 transformPoint(const Vec3& p) const
    {
        return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
                m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
    }
    Vec3 transformDirection(const Vec3& d) const
    {
        return {m[0] * d.x + m[1] * d.y + m[2] * d.z, m[4] * d.x + m[5] * d.y + m[6] * d.z,
                m[8] * d.x + m[9] * d.y + m[10] * d.z};
    }

    static Mat4 translation(const Vec3& t)
    {
        Mat4 r;
        r(0, 3) = t.x;
        r(1, 3) = t.y;
        r(2, 3) = t.z;
        return r;
    }

    // Columns are the images of the local axes, the last one the origin.
    static Mat4 frame(const Vec3& xAxis, const Vec3& yAxis, const Vec3& zAxis, const Vec3& origin)
    {
        Mat4 r;
        const Vec3 columns[4] = {xAxis, yAxis, zAxis, origin};
        for (int col = 0; col < 4; ++col)
        {
            r(0, col) = columns[col].x;
            r(1, col) = columns[col].y;
            r(2, col) = columns[col].z;
        }
        return r;
    }

    // Rotation by `radians` about a unit axis through the origin (right-handed).
    static Mat4 rotation(const Vec3& axis, double radians)
    {
        double c = std::cos(radians), s = std::sin(radians), t = 1 - c;
        Vec3 a = axis.normalized();
        return frame({t * a.x * a.x + c, t * a.x * a.y + s * a.z, t * a.x * a.z - s * a.y},
                     {t * a.x * a.y - s * a.z, t * a.y * a.y + c, t * a.y * a.z + s * a.x},
                     {t * a.x * a.z + s * a.y, t * a.y * a.z - s * a.x, t * a.z * a.z + c}, {0, 0, 0});
    }

    // A camera or light at `eye` looking at `target`: its local -Z points there, +Y as near to Z up as can be.
    static Mat4 lookAt(const Vec3& eye, const Vec3& target)
    {
        Vec3 forward = (target - eye).normalized();
        Vec3 up(0, 0, 1);
        if (std::fabs(dot(forward, up)) > 0.999)
            up = Vec3(0, 1, 0);
        Vec3 right = cross(forward, up).normalized();
        return frame(right, cross(right, forward), -forward, eye);
    }
};

}
