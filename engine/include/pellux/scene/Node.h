#pragma once

#include "pellux/foundation/Logger.h"

#include <map>
#include <string>
#include <vector>

namespace Pellux
{

// A named node of a tree whose children are kept by name. T is the concrete node class.
// The tree does not own its nodes.
template <class T>
class Node
{
public:
    explicit Node(const std::string& name) : name(name) {}
    virtual ~Node() = default;

    virtual std::string getName() const = 0;

    // Moves the child here from any parent it had; a child of the same name is displaced.
    void addChild(T* child);
    // Detaches the child, if it is the one stored under its name.
    void removeChild(T* child);
    void removeChild(const std::string& childName);

    T* getParent() const { return parent; }
    const std::map<std::string, T*>& getChildren() const { return children; }
    const std::string& getType() const { return type; }
    bool isChanged() const { return changed; }
    void setChanged(bool isChanged) { changed = isChanged; }

    // Every descendant, depth first, each child before its own children, children by name.
    void collectDescendants(std::vector<T*>& out) const;

protected:
    std::string name;
    T* parent = nullptr;
    std::map<std::string, T*> children;
    std::string type = "node";
    bool changed = false;

private:
    bool isAncestorOrSelf(const Node* node) const;
    void markChanged();
};

template <class T>
void Node<T>::addChild(T* child)
{
    if (child->isAncestorOrSelf(this))
    {
        LOG(Logger::getInstance().err) << "cannot add node '" << child->getName() << "' below itself"
                                       << std::endl;
        return;
    }
    if (child->parent != nullptr)
        child->parent->removeChild(child);
    child->parent = static_cast<T*>(this);
    T*& entry = children[child->getName()];
    if (entry != nullptr && entry != child)
        entry->parent = nullptr;
    entry = child;
    markChanged();
}

template <class T>
void Node<T>::removeChild(T* child)
{
    auto found = children.find(child->getName());
    if (found != children.end() && found->second == child)
        removeChild(found->first);
    else
        markChanged();
}

template <class T>
void Node<T>::removeChild(const std::string& childName)
{
    auto found = children.find(childName);
    if (found != children.end())
    {
        found->second->parent = nullptr;
        children.erase(found);
    }
    markChanged();
}

template <class T>
void Node<T>::collectDescendants(std::vector<T*>& out) const
{
    for (const auto& entry : children)
    {
        out.push_back(entry.second);
        entry.second->collectDescendants(out);
    }
}

template <class T>
bool Node<T>::isAncestorOrSelf(const Node* node) const
{
    for (; node != nullptr; node = node->parent)
        if (node == this)
            return true;
    return false;
}

template <class T>
void Node<T>::markChanged()
{
    for (Node* node = this; node != nullptr; node = node->parent)
        node->changed = true;
}

}
