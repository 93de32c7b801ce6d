#pragma once

namespace Pellux
{

class LightNode;

// Which picture a draw belongs to: the scene's own, seen through its camera, or the shadow map of
// one light, seen from that light.
struct RenderPass
{
    enum class Kind
    {
        Main,
        Shadow
    };

    Kind kind = Kind::Main;
    // The light whose shadow map a shadow pass fills; null in the main pass.
    const LightNode* light = nullptr;

    static RenderPass main() { return {}; }
    static RenderPass shadowOf(const LightNode* light) { return {Kind::Shadow, light}; }

    bool isShadow() const { return kind == Kind::Shadow; }
};

}
