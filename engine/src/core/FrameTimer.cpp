#include "pellux/core/FrameTimer.h"

namespace Pellux
{

void FrameTimer::endFrame(double now)
{
    fps = frameTime * 0.99f;
    if (!started)
    {
        lastTime = now;
        started = true;
    }
    frameTime = static_cast<float>(now - lastTime);
    lastTime = now;
    fps = 1.0f / (frameTime * 0.01f + fps);
}

}
