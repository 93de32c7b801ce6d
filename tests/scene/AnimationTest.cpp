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
