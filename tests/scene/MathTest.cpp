#include "pellux/scene/Matrix4.h"
#include "pellux/scene/Vector3.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using Pellux::Matrix4;
using Pellux::Vector3;

namespace
{
const Matrix4 sample(1, 2, 3, 4,
                     5, 6, 7, 8,
                     9, 10, 11, 12,
                     13, 14, 15, 16);

Matrix4 translation(float x, float y, float z)
{
    return Matrix4::translation({x, y, z});
}

// Clip coordinates of an eye-space point: the full product with w.
std::array<float, 4> clip(const Matrix4& projection, Vector3 p)
{
    std::array<float, 4> result{};
    for (int row = 0; row < 4; ++row)
        result[row] = projection(row, 0) * p.x + projection(row, 1) * p.y + projection(row, 2) * p.z + projection(row, 3);
    return result;
}

void expectNear(const Matrix4& actual, const Matrix4& expected, float tolerance)
{
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_NEAR(actual(row, col), expected(row, col), tolerance) << "element " << row << ", " << col;
}

TEST(Matrix4, IsStoredRowByRow)
{
    for (int element = 0; element < 16; ++element)
        EXPECT_EQ(sample.data()[element], static_cast<float>(element + 1));
    EXPECT_EQ(sample(1, 3), 8.0f);
    EXPECT_EQ(Matrix4(), Matrix4::identity());
}

TEST(Matrix4, Identities)
{
    EXPECT_EQ(Matrix4::identity() * sample, sample);
    EXPECT_EQ(sample * Matrix4::identity(), sample);
    EXPECT_EQ(sample.transpose().transpose(), sample);
    EXPECT_EQ(sample.transpose()(0, 3), 13.0f);
}

TEST(Matrix4, ProductAppliesTheRightFactorFirst)
{
    Matrix4 moveThenTurn = Matrix4::rotation({0, 0, 1}, static_cast<float>(M_PI / 2)) * translation(1, 0, 0);
    Vector3 moved = moveThenTurn.transformPoint({0, 0, 0});
    EXPECT_NEAR(moved.x, 0.0f, 1e-6f);
    EXPECT_NEAR(moved.y, 1.0f, 1e-6f);
}

TEST(Matrix4, RotationTurnsCounterClockwiseAboutItsAxis)
{
    struct TurnCase { Vector3 axis; Vector3 point; Vector3 turned; };
    for (const TurnCase& turn : {TurnCase{{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, TurnCase{{0, 0, 5}, {0, 1, 0}, {-1, 0, 0}},
                                 TurnCase{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, TurnCase{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}})
    {
        Vector3 result = Matrix4::rotation(turn.axis, static_cast<float>(M_PI / 2)).transformPoint(turn.point);
        EXPECT_NEAR(result.x, turn.turned.x, 1e-6f);
        EXPECT_NEAR(result.y, turn.turned.y, 1e-6f);
        EXPECT_NEAR(result.z, turn.turned.z, 1e-6f);
    }
    EXPECT_EQ(Matrix4::scaling({2, 3, 4}).transformPoint({1, 1, 1}), Vector3(2, 3, 4));
}

TEST(Matrix4, TransformPointIgnoresTheBottomRow)
{
    Matrix4 affine = translation(3, -4, 5);
    affine(3, 3) = 2;
    EXPECT_EQ(affine.transformPoint({0, 0, 0}), Vector3(3, -4, 5));
    EXPECT_EQ(sample.transformPoint({0, 0, 0}), Vector3(4, 8, 12));
    EXPECT_EQ(sample.transformPoint({1, 1, 1}), Vector3(10, 26, 42));
}

TEST(Matrix4, DeterminantAndMinors)
{
    EXPECT_EQ(Matrix4(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1).determinant(), 24.0f);
    EXPECT_EQ(sample.determinant(), 0.0f);
    EXPECT_EQ(sample.minor(0, 0), 0.0f);
    Matrix4 general(4, 7, 2, 3, 0, 5, 1, 8, 1, 2, 6, 4, 3, 1, 0, 9);
    EXPECT_EQ(general.minor(3, 3), 4 * 5 * 6 + 7 * 1 * 1 + 2 * 0 * 2 - 2 * 5 * 1 - 7 * 0 * 6 - 4 * 1 * 2);
    expectNear(general * general.adjugate() / general.determinant(), Matrix4::identity(), 1e-5f);
}

TEST(Matrix4, InverseOfARigidTransformUndoesIt)
{
    Matrix4 rigid = translation(10, -2, 3.5f) * Matrix4::rotation({1, 2, 3}, 0.7f);
    expectNear(rigid.inverse() * rigid, Matrix4::identity(), 1e-5f);
    expectNear(rigid * rigid.inverse(), Matrix4::identity(), 1e-5f);
}

TEST(Matrix4, InverseOfASingularMatrixIsNotFinite)
{
    EXPECT_FALSE(std::isfinite(sample.inverse()(0, 0)));
}

TEST(Matrix4, PerspectiveMapsNearAndFarToTheDepthRange)
{
    struct DepthCase { float z; float depth; };
    for (float fovY : {0.5f, 1.0f, 2.0f})
    {
        Matrix4 projection = Matrix4::perspective(1, 1, 1000, fovY);
        for (DepthCase point : {DepthCase{-1, -1}, DepthCase{-1000, 1}})
        {
            std::array<float, 4> c = clip(projection, {0, 0, point.z});
            EXPECT_NEAR(c[2] / c[3], point.depth, 1e-5f) << fovY << " at " << point.z;
        }
    }
}

TEST(Matrix4, PerspectiveMatchesTheSymmetricFrustum)
{
    Matrix4 projection = Matrix4::perspective(2, 0.5f, 100, static_cast<float>(M_PI / 2));
    float top = 0.5f * std::tan(static_cast<float>(M_PI / 4));
    EXPECT_FLOAT_EQ(projection(0, 0), 0.5f / (top * 2));
    EXPECT_FLOAT_EQ(projection(1, 1), 0.5f / top);
    EXPECT_EQ(projection(3, 2), -1.0f);
    EXPECT_EQ(projection(3, 3), 0.0f);
    EXPECT_EQ(projection(0, 2), 0.0f);
    std::array<float, 4> corner = clip(projection, {top * 2, top, -0.5f});
    EXPECT_NEAR(corner[0] / corner[3], 1.0f, 1e-6f);
    EXPECT_NEAR(corner[1] / corner[3], 1.0f, 1e-6f);
}

TEST(Matrix4, ToStringWritesFourRowsOfFixedFields)
{
    EXPECT_EQ(Matrix4::identity().toString(),
              "      1.00      0.00      0.00      0.00\n"
              "      0.00      1.00      0.00      0.00\n"
              "      0.00      0.00      1.00      0.00\n"
              "      0.00      0.00      0.00      1.00\n");
    EXPECT_EQ(translation(-12.345f, 0, 0).toString().substr(30, 10), "    -12.35");
}

TEST(Vector3, Operations)
{
    EXPECT_EQ(Vector3(), Vector3(0, 0, 0));
    EXPECT_EQ(Vector3(5, 7, 9) - Vector3(1, 2, 3), Vector3(4, 5, 6));
    EXPECT_EQ(Vector3(1, -2, 3) * 2, Vector3(2, -4, 6));
    EXPECT_EQ(Vector3(2, -4, 6) / 2, Vector3(1, -2, 3));
    EXPECT_EQ(Vector3(3, 4, 12).length(), 13.0f);
    EXPECT_EQ(Vector3(0, 3, 4).normalized(), Vector3(0, 0.6f, 0.8f));
    struct CrossCase { Vector3 a; Vector3 b; Vector3 cross; };
    for (const CrossCase& product : {CrossCase{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                                     CrossCase{{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
                                     CrossCase{{1, 2, 3}, {4, 5, 6}, {-3, 6, -3}}})
        EXPECT_EQ(product.a.cross(product.b), product.cross);
}

TEST(Vector3, NormalizingZeroGivesNaN)
{
    Vector3 n = Vector3().normalized();
    EXPECT_TRUE(std::isnan(n.x) && std::isnan(n.y) && std::isnan(n.z));
}

TEST(Vector3, EqualityIsExact)
{
    Vector3 a(1, 2, 3);
    EXPECT_NE(a, Vector3(1, 2, std::nextafter(3.0f, 4.0f)));
    EXPECT_EQ(a, Vector3(1, 2, 3));
}
}
