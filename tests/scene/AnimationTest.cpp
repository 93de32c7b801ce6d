#include "pellux/scene/AnimationCurve.h"
#include "pellux/scene/ComposedTransformAnimation.h"
#include "pellux/scene/KeyframeAnimation.h"
#include "pellux/scene/SceneNode.h"

#include <gtest/gtest.h>

#include <cmath>

using Pellux::KeyframeAnimation;
using Pellux::Matrix4;
using Pellux::SceneNode;

namespace
{
Matrix4 pose(float x)
{
    return Matrix4::translation({x, 0, 0});
}

float poseOf(const SceneNode& node)
{
    return node.getTransform()(0, 3);
}

// Keys at 0, 1 and 2 seconds whose poses sit at x = 0, 10 and 20.
class KeyframeAnimationTest : public testing::Test
{
protected:
    KeyframeAnimationTest()
    {
        animation.setTarget(&node);
        animation.addKeyframe(2, pose(20));
        animation.addKeyframe(0, pose(0));
        animation.addKeyframe(1, pose(10));
    }

    SceneNode node{"animated"};
    KeyframeAnimation animation;
};

TEST_F(KeyframeAnimationTest, TakesTheNearestKeyTiesGoingToTheLaterOne)
{
    struct TimeCase { float time; float pose; };
    const TimeCase cases[] = {
        {0.0f, 0}, {0.4f, 0}, {0.5f, 10}, {0.6f, 10}, {1.0f, 10}, {1.49f, 10},
        {1.5f, 20}, {1.6f, 20}, {2.0f, 20}, {-1.0f, 0}, {5.0f, 20},
    };
    for (const TimeCase& at : cases)
    {
        animation.setTime(at.time);
        EXPECT_EQ(poseOf(node), at.pose) << "time " << at.time;
        EXPECT_EQ(animation.getTime(), at.time);
    }
}

TEST_F(KeyframeAnimationTest, AKeyAtAnExistingTimeReplacesIt)
{
    animation.addKeyframe(1, pose(11));
    EXPECT_EQ(animation.getKeyframes().size(), 3u);
    animation.setTime(1);
    EXPECT_EQ(poseOf(node), 11.0f);
}

TEST_F(KeyframeAnimationTest, NotANumberTimeHoldsAPoseOfTheAnimation)
{
    animation.setTime(std::nanf(""));
    EXPECT_TRUE(poseOf(node) == 0 || poseOf(node) == 10 || poseOf(node) == 20);
}

TEST(KeyframeAnimation, ASingleKeyHoldsAtEveryTime)
{
    SceneNode node("single");
    KeyframeAnimation animation;
    animation.setTarget(&node);
    animation.addKeyframe(3, pose(7));
    for (float time : {0.0f, 3.0f, 100.0f})
    {
        node.setTransform(Matrix4::identity());
        animation.setTime(time);
        EXPECT_EQ(poseOf(node), 7.0f) << time;
    }
}

TEST(KeyframeAnimation, WithoutKeysOrTargetNothingMoves)
{
    SceneNode node("still");
    node.setTransform(pose(3));
    KeyframeAnimation withoutKeys;
    withoutKeys.setTarget(&node);
    withoutKeys.setTime(1);
    EXPECT_EQ(poseOf(node), 3.0f);

    KeyframeAnimation withoutTarget;
    withoutTarget.addKeyframe(0, pose(1));
    withoutTarget.setTime(1);
    EXPECT_EQ(withoutTarget.getTime(), 1.0f);
}
}

namespace
{
using Pellux::AnimationCurve;
using Pellux::ComposedTransformAnimation;
using Pellux::TransformElement;
using Pellux::Vector3;
using Interpolation = AnimationCurve::Interpolation;

float sampled(const AnimationCurve& curve, float time)
{
    float value = -99;
    curve.sample(time, &value);
    return value;
}

TEST(AnimationCurve, FollowsItsInterpolationBetweenKeysAndHoldsTheEnds)
{
    struct TimeCase { float time; float linear; float step; float nearest; };
    const TimeCase cases[] = {
        {-1.0f, 0, 0, 0},     {0.0f, 0, 0, 0},      {0.4f, 4, 0, 0},      {0.5f, 5, 0, 10},
        {0.99f, 9.9f, 0, 10}, {1.0f, 10, 10, 10},   {1.25f, 15, 10, 10},  {1.5f, 20, 10, 30},
        {2.0f, 30, 30, 30},   {7.0f, 30, 30, 30},
    };
    auto curveOf = [](Interpolation interpolation) {
        return AnimationCurve({0, 1, 2}, {0, 10, 30}, 1, std::vector<Interpolation>(3, interpolation));
    };
    AnimationCurve linear = curveOf(Interpolation::Linear);
    AnimationCurve step = curveOf(Interpolation::Step);
    AnimationCurve nearest = curveOf(Interpolation::Nearest);
    for (const TimeCase& at : cases)
    {
        EXPECT_FLOAT_EQ(sampled(linear, at.time), at.linear) << "linear at " << at.time;
        EXPECT_EQ(sampled(step, at.time), at.step) << "step at " << at.time;
        EXPECT_EQ(sampled(nearest, at.time), at.nearest) << "nearest at " << at.time;
    }
}

TEST(AnimationCurve, EachKeyChoosesHowItGoesOnAndKeysMayComeInAnyOrder)
{
    // Key 1 at (10, 100) steps; keys 0 and 2 go in straight lines; they are given out of order.
    AnimationCurve curve({2, 0, 1}, {20, 200, 0, 0, 10, 100}, 2,
                         {Interpolation::Linear, Interpolation::Linear, Interpolation::Step});
    ASSERT_EQ(curve.getKeyCount(), 3u);
    struct TimeCase { float time; float first; float second; };
    for (const TimeCase& at : {TimeCase{0.5f, 5, 50}, TimeCase{1.5f, 10, 100}, TimeCase{2.5f, 20, 200}})
    {
        float values[2] = {};
        curve.sample(at.time, values);
        EXPECT_FLOAT_EQ(values[0], at.first) << at.time;
        EXPECT_FLOAT_EQ(values[1], at.second) << at.time;
    }
}

TEST(AnimationCurve, KeysWithoutATimeOrWithoutAllTheirValuesAreLeftOut)
{
    AnimationCurve curve({0, std::nanf(""), 1, 2}, {0, 5, 10}, 1, {});
    EXPECT_EQ(curve.getKeyCount(), 2u) << "the key at no time, and the one without a value";
    EXPECT_FLOAT_EQ(sampled(curve, 0.5f), 5);
    EXPECT_FLOAT_EQ(sampled(curve, 3), 10);

    AnimationCurve empty({}, {}, 1, {});
    EXPECT_EQ(sampled(empty, 1), -99) << "nothing is written";
}

// A node translated, turned about z and scaled, in that order, below an outer matrix that
// doubles everything; the channels drive the translation's x and the angle.
class ComposedTransformAnimationTest : public testing::Test
{
protected:
    ComposedTransformAnimationTest() : animation(restElements(), Pellux::Matrix4::scaling({2, 2, 2}))
    {
        animation.setTarget(&node);
    }

    static std::vector<TransformElement> restElements()
    {
        TransformElement translate{TransformElement::Kind::Translate, {1, 2, 3}};
        TransformElement rotate{TransformElement::Kind::Rotate, {0, 0, 1, 0}};
        TransformElement scale{TransformElement::Kind::Scale, {3, 3, 3}};
        return {translate, rotate, scale};
    }

    Vector3 placed(const Vector3& point) const { return node.getTransform().transformPoint(point); }

    SceneNode node{"composed"};
    ComposedTransformAnimation animation;
};

void expectNear(const Vector3& actual, const Vector3& expected, const std::string& what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-4f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-4f) << what;
}

TEST_F(ComposedTransformAnimationTest, CurvesSetTheirValuesAndTheElementsComposeInOrder)
{
    const float quarterTurn = 1.5707963f;
    ASSERT_TRUE(animation.addChannel(0, 0, AnimationCurve({0, 2}, {1, 5}, 1, {})));
    ASSERT_TRUE(animation.addChannel(1, 3, AnimationCurve({0, 2}, {0, quarterTurn}, 1, {})));
    EXPECT_EQ(animation.getChannelCount(), 2u);

    animation.setTime(0);
    expectNear(placed({0, 0, 0}), {2, 4, 6}, "at rest the translation, doubled");
    expectNear(placed({1, 0, 0}), {8, 4, 6}, "scaled by 3, not turned, doubled");
    animation.setTime(2);
    expectNear(placed({0, 0, 0}), {10, 4, 6}, "x driven to 5; y and z stay");
    expectNear(placed({1, 0, 0}), {10, 10, 6}, "the scaled point turned a quarter about z");
}

TEST_F(ComposedTransformAnimationTest, ALaterChannelOnTheSameValueWins)
{
    ASSERT_TRUE(animation.addChannel(0, 0, AnimationCurve({0}, {7}, 1, {})));
    ASSERT_TRUE(animation.addChannel(0, 0, AnimationCurve({0}, {-1, 4, 9}, 3, {})));
    animation.setTime(1);
    expectNear(placed({0, 0, 0}), {-2, 8, 18}, "the whole translation of the second");
}

TEST_F(ComposedTransformAnimationTest, ChannelsOutsideTheirElementAreRefused)
{
    EXPECT_FALSE(animation.addChannel(0, 3, AnimationCurve({0}, {1}, 1, {}))) << "a translation has 3 values";
    EXPECT_FALSE(animation.addChannel(1, 1, AnimationCurve({0}, {1, 2, 3, 4}, 4, {}))) << "values 1 to 4 of 4";
    EXPECT_FALSE(animation.addChannel(3, 0, AnimationCurve({0}, {1}, 1, {}))) << "there are 3 elements";
    EXPECT_EQ(animation.getChannelCount(), 0u);
    animation.setTime(0);
    expectNear(placed({0, 0, 0}), {2, 4, 6}, "the rest pose");
}

TEST(TransformElement, MatricesListTheirRowsAndATurnAboutNoAxisIsNone)
{
    TransformElement matrix{TransformElement::Kind::Matrix, {1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7, 0, 0, 0, 1}};
    expectNear(matrix.toMatrix().transformPoint({0, 0, 0}), {5, 6, 7}, "the last column");
    TransformElement noAxis{TransformElement::Kind::Rotate, {0, 0, 0, 1}};
    EXPECT_EQ(noAxis.toMatrix(), Pellux::Matrix4::identity());
}
}
