#pragma once

#include "pellux/scene/Vector3.h"

#include <string>

namespace Pellux
{

// A 4 x 4 transform, stored row-major, applied to column vectors: M * p. Uploaded to GLSL with
// the transpose flag set.
class Matrix4
{
public:
    // The identity.
    Matrix4();
    Matrix4(float m00, float m01, float m02, float m03,
            float m10, float m11, float m12, float m13,
            float m20, float m21, float m22, float m23,
            float m30, float m31, float m32, float m33);

    static Matrix4 identity() { return Matrix4(); }
    static Matrix4 translation(const Vector3& offset);
    static Matrix4 scaling(const Vector3& factors);
    // About an axis through the origin (any length but 0), counter-clockwise seen from its tip.
    static Matrix4 rotation(const Vector3& axis, float radians);
    // The rotation of a unit quaternion (x, y, z, w).
    static Matrix4 fromQuaternion(float x, float y, float z, float w);
    // The glFrustum matrix of a symmetric frustum; fovY is the full vertical angle in radians.
    static Matrix4 perspective(float aspect, float near, float far, float fovY);

    Matrix4 operator*(const Matrix4& other) const;
    Matrix4 operator/(float s) const;
    bool operator==(const Matrix4& other) const;
    bool operator!=(const Matrix4& other) const { return !(*this == other); }

    // The affine part only: the bottom row is ignored and nothing is divided by w.
    Vector3 transformPoint(const Vector3& p) const;

    Matrix4 transpose() const;
    float minor(int row, int col) const;
    float determinant() const;
    Matrix4 adjugate() const;
    // By cofactors; a singular matrix gives infinities or NaNs.
    Matrix4 inverse() const;

    float operator()(int row, int col) const { return m[row][col]; }
    float& operator()(int row, int col) { return m[row][col]; }
    // The 16 floats, row by row.
    const float* data() const { return &m[0][0]; }

    std::string toString() const;

private:
    float m[4][4];
};

}
