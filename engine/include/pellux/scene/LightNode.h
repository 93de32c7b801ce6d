#pragma once

#include "pellux/foundation/Vector4.h"
#include "pellux/scene/CameraNode.h"

#include <memory>

namespace Pellux
{

class RenderTarget;

struct Bounds;

// A spot light shines from its place along its -Z axis, within its cone; a directional light along
// its -Z axis from far away, everywhere alike; a point light from its place in every direction; an
// ambient light from everywhere onto every surface alike. The numbers are what shaders receive as
// the light's "type".
enum class LightKind
{
    Spot = 0,
    Directional = 1,
    Point = 2,
    Ambient = 3
};

// Whether a light draws a shadow map, which the shaders receive; the numbers are its "shadowType".
enum class ShadowMode
{
    None = 0,
    ShadowMap = 1
};

// A light: the parameters its shaders receive, and a camera through which it renders its own
// 1024 x 1024 shadow map each frame.
class LightNode : public CameraNode
{
public:
    NodeKind getKind() const override { return NodeKind::Light; }

    // The light kinds as the numbers of the int API.
    static constexpr int spotLight = static_cast<int>(LightKind::Spot);
    static constexpr int directionalLight = static_cast<int>(LightKind::Directional);
    static constexpr int pointLight = static_cast<int>(LightKind::Point);
    static constexpr int ambientLight = static_cast<int>(LightKind::Ambient);

    LightNode(const std::string& name, LightKind kind);
    // The int API (this constructor, setLightType, getLightType, setShadowType, getShadowType) takes
    // and gives the enums' numbers, and keeps any other number as it is given.
    LightNode(const std::string& name, int lightType);
    ~LightNode() override;

    // A square frustum whose opening is the falloff angle; for a directional light, the box of its
    // last fit.
    void updateProjection() override;
    // A directional light's shadow map covers the box (world space), seen along the light, which
    // fits an orthographic projection to it. A change of the projection counts as a change of the
    // light. An empty box, or one the light's view cannot take, leaves the projection as it is.
    void fitShadowTo(const Bounds& box);

    void setLightKind(LightKind kind);
    void setLightType(int type);
    void setColor(std::shared_ptr<Vector4> value);
    void setDiffuseCoefficient(float value);
    void setConstAttenuation(float value);
    void setLinearAttenuation(float value);
    void setQuadraticAttenuation(float value);
    void setHotspotAngle(float radians);
    void setFalloffAngle(float radians);
    void setShadowMode(ShadowMode mode);
    void setShadowType(int value);
    void setShadowDensity(float value);

    LightKind getLightKind() const { return lightKind; }
    int getLightType() const { return static_cast<int>(lightKind); }
    std::shared_ptr<Vector4> getColor() const { return color; }
    float getDiffuseCoefficient() const { return diffuseCoefficient; }
    float getConstAttenuation() const { return constAttenuation; }
    float getLinearAttenuation() const { return linearAttenuation; }
    float getQuadraticAttenuation() const { return quadraticAttenuation; }
    float getHotspotAngle() const { return hotspotAngle; }
    float getFalloffAngle() const { return falloffAngle; }
    ShadowMode getShadowMode() const { return shadowMode; }
    int getShadowType() const { return static_cast<int>(shadowMode); }
    bool castsShadows() const { return shadowMode == ShadowMode::ShadowMap; }
    float getShadowDensity() const { return shadowDensity; }

    // The depth map, made at the first request: the scene asks for the maps of the lights that cast
    // shadows before it draws, so that a light that casts none costs no memory.
    RenderTarget* getShadowMap();

    // Takes a move of the light, or of its near or far plane, since the last call as a change.
    void noticeMovement();
    // Changes with everything the shaders receive of the light. No two lights, and no two states of
    // one light, share a revision, so a program that holds a revision holds exactly that state.
    unsigned long long getRevision() const { return revision; }

private:
    // Every parameter the shaders receive marks the light changed.
    template <class Value>
    void change(Value& parameter, Value value)
    {
        parameter = value;
        changed();
    }
    void changed();

    LightKind lightKind;
    std::shared_ptr<Vector4> color = std::make_shared<Vector4>(1.0f, 1.0f, 1.0f, 1.0f);
    float diffuseCoefficient = 1.0f;
    float constAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
    float hotspotAngle = 0.157f;
    float falloffAngle = 1.0466666f;
    ShadowMode shadowMode = ShadowMode::None;
    float shadowDensity = 1.0f;
    RenderTarget* shadowMap = nullptr;
    unsigned long long revision = 0;
    // Until the first fit: the cube from -1 to 1 in front of and behind the light.
    Matrix4 parallelProjection{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    Matrix4 noticedWorld;
    float noticedNear = 0;
    float noticedFar = 0;
};

}
