#include "pellux/scene/LightNode.h"

#include "pellux/materials/RenderTarget.h"

namespace Pellux
{

namespace
{
const float shadowMapSize = 1024.0f;
}

LightNode::LightNode(const std::string& name, int lightType) : CameraNode(name), lightType(lightType)
{
    type = "LightNode";
    LightNode::updateProjection();
}

void LightNode::updateProjection()
{
    projection = Matrix4::perspective(1.0f, near, far, falloffAngle);
}

void LightNode::setColor(std::shared_ptr<Vector4> value)
{
    color = std::move(value);
    lightChanged = true;
}

void LightNode::setDiffuseCoefficient(float value)
{
    diffuseCoefficient = value;
    lightChanged = true;
}

void LightNode::setConstAttenuation(float value)
{
    constAttenuation = value;
    lightChanged = true;
}

void LightNode::setLinearAttenuation(float value)
{
    linearAttenuation = value;
    lightChanged = true;
}

void LightNode::setQuadraticAttenuation(float value)
{
    quadraticAttenuation = value;
    lightChanged = true;
}

void LightNode::setHotspotAngle(float radians)
{
    hotspotAngle = radians;
    lightChanged = true;
}

void LightNode::setFalloffAngle(float radians)
{
    falloffAngle = radians;
    lightChanged = true;
}

void LightNode::setShadowType(int value)
{
    shadowType = value;
    lightChanged = true;
}

void LightNode::setShadowDensity(float value)
{
    shadowDensity = value;
    lightChanged = true;
}

RenderTarget* LightNode::getShadowMap()
{
    if (shadowMap == nullptr)
    {
        shadowMap = new RenderTarget(std::make_shared<Rectangle>(0.0f, 0.0f, shadowMapSize, shadowMapSize), true);
        shadowMap->resize(static_cast<int>(shadowMapSize), static_cast<int>(shadowMapSize));
    }
    return shadowMap;
}

void LightNode::setChanged(bool changed)
{
    lightChanged = changed;
    if (!changed)
    {
        clearedWorld = getWorldMatrix();
        clearedNear = near;
        clearedFar = far;
    }
}

void LightNode::noticeMovement()
{
    if (getWorldMatrix() != clearedWorld || near != clearedNear || far != clearedFar)
        lightChanged = true;
}

}
