#include "pellux/scene/Matrix4.h"

#include <cmath>
#include <cstdio>

namespace Pellux
{

Matrix4::Matrix4()
    : Matrix4(1, 0, 0, 0,
              0, 1, 0, 0,
              0, 0, 1, 0,
              0, 0, 0, 1)
{
}

Matrix4::Matrix4(float m00, float m01, float m02, float m03,
                 float m10, float m11, float m12, float m13,
                 float m20, float m21, float m22, float m23,
                 float m30, float m31, float m32, float m33)
    : m{{m00, m01, m02, m03}, {m10, m11, m12, m13}, {m20, m21, m22, m23}, {m30, m31, m32, m33}}
{
}

Matrix4 Matrix4::translation(const Vector3& offset)
{
    return Matrix4(1, 0, 0, offset.x, 0, 1, 0, offset.y, 0, 0, 1, offset.z, 0, 0, 0, 1);
}

Matrix4 Matrix4::scaling(const Vector3& factors)
{
    return Matrix4(factors.x, 0, 0, 0, 0, factors.y, 0, 0, 0, 0, factors.z, 0, 0, 0, 0, 1);
}

Matrix4 Matrix4::rotation(const Vector3& axis, float radians)
{
    Vector3 a = axis.normalized();
    float c = std::cos(radians);
    float s = std::sin(radians);
    float t = 1 - c;
    return Matrix4(t * a.x * a.x + c, t * a.x * a.y - s * a.z, t * a.x * a.z + s * a.y, 0,
                   t * a.x * a.y + s * a.z, t * a.y * a.y + c, t * a.y * a.z - s * a.x, 0,
                   t * a.x * a.z - s * a.y, t * a.y * a.z + s * a.x, t * a.z * a.z + c, 0,
                   0, 0, 0, 1);
}

Matrix4 Matrix4::perspective(float aspect, float near, float far, float fovY)
{
    float top = near * std::tan(fovY / 2);
    float right = top * aspect;
    Matrix4 result;
    result.m[0][0] = near / right;
    result.m[1][1] = near / top;
    result.m[2][2] = -(far + near) / (far - near);
    result.m[2][3] = -(2 * far * near) / (far - near);
    result.m[3][2] = -1;
    result.m[3][3] = 0;
    return result;
}

Matrix4 Matrix4::operator*(const Matrix4& other) const
{
    Matrix4 product;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            product.m[row][col] = m[row][0] * other.m[0][col] + m[row][1] * other.m[1][col] +
                                  m[row][2] * other.m[2][col] + m[row][3] * other.m[3][col];
    return product;
}

Matrix4 Matrix4::operator/(float s) const
{
    Matrix4 quotient;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            quotient.m[row][col] = m[row][col] / s;
    return quotient;
}

bool Matrix4::operator==(const Matrix4& other) const
{
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            if (m[row][col] != other.m[row][col])
                return false;
    return true;
}

Vector3 Matrix4::transformPoint(const Vector3& p) const
{
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

Matrix4 Matrix4::transpose() const
{
    Matrix4 transposed;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            transposed.m[row][col] = m[col][row];
    return transposed;
}

float Matrix4::minor(int row, int col) const
{
    float a[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            a[r][c] = m[r + (r >= row ? 1 : 0)][c + (c >= col ? 1 : 0)];
    return a[0][0] * a[1][1] * a[2][2] + a[0][1] * a[1][2] * a[2][0] + a[0][2] * a[1][0] * a[2][1] -
           a[0][2] * a[1][1] * a[2][0] - a[0][1] * a[1][0] * a[2][2] - a[0][0] * a[1][2] * a[2][1];
}

float Matrix4::determinant() const
{
    float sum = 0;
    for (int col = 0; col < 4; ++col)
        sum += (col % 2 == 0 ? 1.0f : -1.0f) * m[0][col] * minor(0, col);
    return sum;
}

Matrix4 Matrix4::adjugate() const
{
    Matrix4 cofactors;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            cofactors.m[row][col] = ((row + col) % 2 == 0 ? 1.0f : -1.0f) * minor(row, col);
    return cofactors.transpose();
}

Matrix4 Matrix4::inverse() const
{
    return adjugate() / determinant();
}

std::string Matrix4::toString() const
{
    std::string text;
    char field[32];
    for (int row = 0; row < 4; ++row)
    {
        for (int col = 0; col < 4; ++col)
        {
            std::snprintf(field, sizeof field, "%10.2f", static_cast<double>(m[row][col]));
            text += field;
        }
        text += "\n";
    }
    return text;
}

Matrix4 Matrix4::fromQuaternion(float x, float y, float z, float w)
{
    return Matrix4(1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w), 0,
                   2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w), 0,
                   2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y), 0,
                   0, 0, 0, 1);
}

}
