#pragma once

#include "pellux/collada/ColladaDocument.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace Pellux
{

// Finds skin joints among the nodes of a document's visual scene without walking the tree for each
// joint: every node gets its place in one depth-first walk, and the nodes of each sid and id are
// listed in that order. Answers what a depth-first search from the first top-level node would find
// first, so that binding is linear in joints and instances.
class ColladaJointIndex
{
public:
    explicit ColladaJointIndex(const std::vector<Collada::Node>& scene);

    // The first node with that id, or name; null when there is none.
    const Collada::Node* withId(const std::string& id) const;
    const Collada::Node* withName(const std::string& name) const;
    // Whether some node has that sid, id or name.
    bool names(const std::string& word) const;
    // The first node with that sid anywhere, or below and including `root` when one is given.
    const Collada::Node* withSid(const std::string& sid, const Collada::Node* root = nullptr) const;

private:
    // A node's number in the walk and one past the number of the last node below it.
    struct Place
    {
        std::size_t first;
        std::size_t end;
    };

    std::vector<const Collada::Node*> walk;
    std::unordered_map<const Collada::Node*, Place> places;
    std::unordered_map<std::string, std::vector<std::size_t>> bySid;
    std::unordered_map<std::string, std::size_t> byId;
    std::unordered_map<std::string, std::size_t> byName;
};

}
