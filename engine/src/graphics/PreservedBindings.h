#pragma once

namespace Pellux
{

// Binds back, when it goes, the framebuffers and the active unit's texture that were bound when it
// was made: an object made or resized in the middle of someone else's drawing leaves that drawing's
// bindings as it found them.
class PreservedBindings
{
public:
    PreservedBindings();
    ~PreservedBindings();
    PreservedBindings(const PreservedBindings&) = delete;
    PreservedBindings& operator=(const PreservedBindings&) = delete;

private:
    int drawFramebuffer = 0;
    int readFramebuffer = 0;
    int texture = 0;
};

}
