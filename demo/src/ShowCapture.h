#pragma once

#include <string>
#include <vector>

// --capture DIR --capture-at T1,T2,...: the window's picture saved as DIR/Ti.png the first time
// the animation time reaches each Ti.
class ShowCapture
{
public:
    // False, with `error` saying why, for arguments of another form. Without arguments it saves nothing.
    bool parse(int argc, char** argv, std::string& error);
    // Saves the pictures whose time has come; the window holds the frame just drawn.
    void afterDrawing(float animationTime, int width, int height);

private:
    struct Moment
    {
        float time;
        std::string name;
    };

    std::string directory;
    std::vector<Moment> pending;
};

extern const char* const demoUsage;
