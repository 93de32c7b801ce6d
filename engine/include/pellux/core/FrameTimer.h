#pragma once

namespace Pellux
{

// Measures frame durations and keeps a smoothed frame-rate estimate.
class FrameTimer
{
public:
    // Ends a frame at `now` seconds: the frame time is the time since the previous call,
    // and the estimate becomes 1 / (0.99 x previous frame time + 0.01 x this frame time).
    void endFrame(double now);

    float getFrameTime() const { return frameTime; }
    float getFps() const { return fps; }

private:
    float frameTime = 0;
    float fps = 0;
    double lastTime = 0;
    bool started = false;
};

}
