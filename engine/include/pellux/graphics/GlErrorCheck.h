#pragma once

#include <set>
#include <string>
#include <utility>

namespace Pellux
{

// Reads OpenGL's error flags after each part of a frame and logs each error once, with the part it
// happened in. Off unless switched on, or the environment variable PELLUX_GL_CHECK is set to other
// than 0: reading the flags holds the driver up.
class GlErrorCheck
{
public:
    GlErrorCheck();

    bool isEnabled() const { return enabled; }
    void setEnabled(bool on) { enabled = on; }

    // `part` names what ran since the last check: "overlay", "frame end", "main pass".
    void after(const char* part)
    {
        if (enabled)
            check(part);
    }
    void after(const std::string& part)
    {
        if (enabled)
            check(part);
    }

private:
    void check(const std::string& part);

    bool enabled = false;
    std::set<std::pair<unsigned int, std::string>> reported;
};

}
