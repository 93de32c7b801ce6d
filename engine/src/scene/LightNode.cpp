#include "pellux/scene/LightNode.h"

#include "pellux/graphics/RenderTarget.h"
#include "pellux/scene/Bounds.h"

#include <algorithm>
#include <cmath>

namespace Pellux
{

namespace
{
const float shadowMapSize = 1024.0f;

// Takes the box, given in the light's view space, where the light looks along -Z, to the cube of
// clip space, with a little room around it so that the box's faces do not fall on the map's edges.
Matrix4 orthographic(const Bounds& box)
{
    Vector3 size = box.high - box.low;
    float room = std::max(std::max({size.x, size.y, size.z}) * 0.01f, 0.001f);
    Vector3 low = box.low - Vector3(room, room, room);
    Vector3 high = box.high + Vector3(room, room, room);
    // Distances in front of the light: the nearest point has the largest z.
    float near = -high.z;
    float far = -low.z;
    return Matrix4(2 / (high.x - low.x), 0, 0, -(high.x + low.x) / (high.x - low.x),
                   0, 2 / (high.y - low.y), 0, -(high.y + low.y) / (high.y - low.y),
                   0, 0, -2 / (far - near), -(far + near) / (far - near),
                   0, 0, 0, 1);
}

unsigned long long nextRevision()
{
    static unsigned long long last = 0;
    return ++last;
}
}

LightNode::LightNode(const std::string& name, LightKind kind) : CameraNode(name), lightKind(kind)
{
    type = "LightNode";
    LightNode::updateProjection();
    changed();
}

LightNode::LightNode(const std::string& name, int lightType) : LightNode(name, static_cast<LightKind>(lightType))
{
}

LightNode::~LightNode()
{
    delete shadowMap;
}

void LightNode::changed()
{
    revision = nextRevision();
}

void LightNode::updateProjection()
{
    projection = lightKind == LightKind::Directional ? parallelProjection
                                                     : Matrix4::perspective(1.0f, near, far, falloffAngle);
}

void LightNode::fitShadowTo(const Bounds& box)
{
    if (box.empty)
        return;
    Matrix4 view = getViewMatrix();
    Bounds seen;
    for (const Vector3& corner : box.corners())
        seen.add(view.transformPoint(corner));
    if (seen.empty)
        return;
    Matrix4 fitted = orthographic(seen);
    bool finite = true;
    for (int element = 0; element < 16; ++element)
        finite = finite && std::isfinite(fitted.data()[element]);
    if (!finite || fitted == parallelProjection)
        return;
    parallelProjection = fitted;
    changed();
}

void LightNode::setLightKind(LightKind kind)
{
    change(lightKind, kind);
}

void LightNode::setLightType(int type)
{
    setLightKind(static_cast<LightKind>(type));
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

void LightNode::setShadowMode(ShadowMode mode)
{
    change(shadowMode, mode);
}

void LightNode::setShadowType(int value)
{
    setShadowMode(static_cast<ShadowMode>(value));
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
