#include "pellux/scene/LightNode.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/materials/RenderTarget.h"

namespace Pellux
{

namespace
{
const float shadowMapSize = 1024.0f;

unsigned long long nextRevision()
{
    static unsigned long long last = 0;
    return ++last;
}
}

LightNode::LightNode(const std::string& name, int lightType) : CameraNode(name), lightType(lightType)
{
    type = "LightNode";
    LightNode::updateProjection();
    changed();
    if (RenderEngine::hasContext())
        getShadowMap();
}

LightNode::~LightNode()
{
    delete shadowMap;
}

void LightNode::changed()
{
    lightChanged = true;
    revision = nextRevision();
}

void LightNode::updateProjection()
{
    projection = Matrix4::perspective(1.0f, near, far, falloffAngle);
}

void LightNode::setColor(std::shared_ptr<Vector4> value)
{
    color = std::move(value);
    changed();
}

void LightNode::setDiffuseCoefficient(float value)
{
    change(diffuseCoefficient, value);
}

void LightNode::setConstAttenuation(float value)
{
    change(constAttenuation, value);
}

void LightNode::setLinearAttenuation(float value)
{
    change(linearAttenuation, value);
}

void LightNode::setQuadraticAttenuation(float value)
{
    change(quadraticAttenuation, value);
}

void LightNode::setHotspotAngle(float radians)
{
    change(hotspotAngle, radians);
}

void LightNode::setFalloffAngle(float radians)
{
    change(falloffAngle, radians);
}

void LightNode::setShadowType(int value)
{
    change(shadowType, value);
}

void LightNode::setShadowDensity(float value)
{
    change(shadowDensity, value);
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

void LightNode::noticeMovement()
{
    Matrix4 world = getWorldMatrix();
    if (world == noticedWorld && near == noticedNear && far == noticedFar)
        return;
    noticedWorld = world;
    noticedNear = near;
    noticedFar = far;
    changed();
}

}
