#pragma once

#include "pellux/foundation/Vector4.h"
#include "pellux/scene/CameraNode.h"

#include <memory>

namespace Pellux
{

class RenderTarget;

// A light: the parameters its shaders receive, and a camera through which it renders its own
// 1024 x 1024 shadow map each frame. Types: 0 spot, 2 point.
class LightNode : public CameraNode
{
public:
    LightNode(const std::string& name, int lightType);
    ~LightNode() override;

    // A square frustum whose opening is the falloff angle.
    void updateProjection() override;

    void setLightType(int type) { lightType = type; }
    void setColor(std::shared_ptr<Vector4> value);
    void setDiffuseCoefficient(float value);
    void setConstAttenuation(float value);
    void setLinearAttenuation(float value);
    void setQuadraticAttenuation(float value);
    void setHotspotAngle(float radians);
    void setFalloffAngle(float radians);
    void setShadowType(int value);
    void setShadowDensity(float value);

    int getLightType() const { return lightType; }
    std::shared_ptr<Vector4> getColor() const { return color; }
    float getDiffuseCoefficient() const { return diffuseCoefficient; }
    float getConstAttenuation() const { return constAttenuation; }
    float getLinearAttenuation() const { return linearAttenuation; }
    float getQuadraticAttenuation() const { return quadraticAttenuation; }
    float getHotspotAngle() const { return hotspotAngle; }
    float getFalloffAngle() const { return falloffAngle; }
    int getShadowType() const { return shadowType; }
    float getShadowDensity() const { return shadowDensity; }

    // The depth map, made with the light; a light made before there was an OpenGL context makes it
    // at the first request.
    RenderTarget* getShadowMap();

    // Whether the light changed since the scene last cleared the flag, at the end of a frame.
    bool hasChanged() const { return lightChanged; }
    void setChanged(bool changed) { lightChanged = changed; }
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

    int lightType;
    std::shared_ptr<Vector4> color = std::make_shared<Vector4>(1.0f, 1.0f, 1.0f, 1.0f);
    float diffuseCoefficient = 1.0f;
    float constAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
    float hotspotAngle = 0.157f;
    float falloffAngle = 1.0466666f;
    int shadowType = 0;
    float shadowDensity = 1.0f;
    RenderTarget* shadowMap = nullptr;
    bool lightChanged = true;
    unsigned long long revision = 0;
    Matrix4 noticedWorld;
    float noticedNear = 0;
    float noticedFar = 0;
};

}
