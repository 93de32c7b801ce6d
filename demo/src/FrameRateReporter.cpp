#include "FrameRateReporter.h"

#include "pellux/foundation/Logger.h"
#include "pellux/foundation/StringUtils.h"

void FrameRateReporter::addFrame(float frameTime, float fps)
{
    secondAccumulator += frameTime;
    if (secondAccumulator > 1.0f)
    {
        shownFrameRate = fps;
        secondAccumulator = 0;
        LOG(logger.info) << "FPS: " << Pellux::StringUtils::toString(shownFrameRate, 1) << std::endl;
    }
}
