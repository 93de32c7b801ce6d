#pragma once

namespace Pellux
{

class SceneNode;

// Moves one target node over time.
class Animation
{
public:
    virtual ~Animation() = default;

    // Sets the time in seconds and poses the target for it.
    void setTime(float seconds)
    {
        time = seconds;
        apply();
    }
    float getTime() const { return time; }

    void setTarget(SceneNode* node) { target = node; }
    SceneNode* getTarget() const { return target; }

    virtual void apply() = 0;
    // The time of its last key; 0 without keys.
    virtual float getEndTime() const = 0;

protected:
    float time = 0;
    SceneNode* target = nullptr;
};

}
