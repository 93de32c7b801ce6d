#pragma once

#include "pellux/scene/Matrix4.h"
#include "pellux/scene/Node.h"
#include "pellux/scene/Vector3.h"

#include <string>

namespace Pellux
{

class RenderTarget;
class Scene;

// What a node is, for those who look at a tree: a plain node, a mesh, a camera, a light or a sound.
enum class NodeKind
{
    Plain,
    Mesh,
    Camera,
    Light,
    Sound
};

// A node of a scene: a local transform, a visibility flag and the hooks the scene draws through.
// A node looks along its local -Z axis with +Y up.
class SceneNode : public Node<SceneNode>
{
public:
    explicit SceneNode(const std::string& name);

    std::string getName() const override { return name; }
    virtual NodeKind getKind() const { return NodeKind::Plain; }
    virtual void render(Scene* scene, RenderTarget* target);
    virtual bool drawnEarly() { return true; }

    const Matrix4& getTransform() const { return transform; }
    void setTransform(const Matrix4& localTransform) { transform = localTransform; }
    bool isVisible() const { return visible; }
    void setVisible(bool isVisible) { visible = isVisible; }

    Vector3 getPosition() const;
    // The parent's world matrix times the local transform.
    Matrix4 getWorldMatrix() const;
    Vector3 getWorldPosition() const;
    // The local -Z axis in world space, not normalised.
    Vector3 getWorldDirection() const;
    Matrix4 getViewMatrix() const;

    // Turns the node, in place, so that its -Z axis points at (x, y, z) of the parent's space.
    void lookAt(float x, float y, float z);

protected:
    Matrix4 transform;
    bool visible = true;
};

}
