#pragma once

#include <set>
#include <string>
#include <utility>

namespace Pellux
{

struct RenderPass;

// Reads OpenGL's error flags after each part of a frame and logs each error once, with the part it
// happened in. Off unless switched on, or the environment variable PELLUX_GL_CHECK is set to other
// than 0: reading the flags holds the driver up.
class GlErrorCheck
{
public:
    GlErrorCheck();

    bool isEnabled() const { return enabled; }
    void setEnabled(bool on) { enabled = on; }

    // `part` names what ran since the last check: "overlay", "frame end".
    void after(const char* part)
    {
        if (enabled)
            check(part);
    }
    void afterPass(const RenderPass& pass)
    {
        if (enabled)
            check(passName(pass));
    }

private:
    static std::string passName(const RenderPass& pass);
    void check(const std::string& part);

    bool enabled = false;
    std::set<std::pair<unsigned int, std::string>> reported;
};

}
