#pragma once

class Logger;

// Logs the frame rate once for every second of frame time.
class FrameRateReporter
{
public:
    explicit FrameRateReporter(Logger& logger) : logger(logger) {}

    // Adds one frame's duration; when more than a second has gathered, logs "FPS: " with `fps`.
    void addFrame(float frameTime, float fps);

    float getShownFrameRate() const { return shownFrameRate; }

private:
    Logger& logger;
    float secondAccumulator = 0;
    float shownFrameRate = 0;
};
