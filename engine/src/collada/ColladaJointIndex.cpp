#include "collada/ColladaJointIndex.h"

#include <algorithm>

namespace Pellux
{

ColladaJointIndex::ColladaJointIndex(const std::vector<Collada::Node>& scene)
{
    // Depth first without recursion: a node's place ends when the walk comes back to it.
    struct Visit
    {
        const Collada::Node* node;
        bool leaving;
    };
    std::vector<Visit> toVisit;
    for (auto top = scene.rbegin(); top != scene.rend(); ++top)
        toVisit.push_back({&*top, false});
    while (!toVisit.empty())
    {
        Visit visit = toVisit.back();
        toVisit.pop_back();
        if (visit.leaving)
        {
            places[visit.node].end = walk.size();
            continue;
        }
        std::size_t number = walk.size();
        walk.push_back(visit.node);
        places[visit.node] = {number, number + 1};
        byId.try_emplace(visit.node->id, number);
        if (!visit.node->name.empty())
            byName.try_emplace(visit.node->name, number);
        if (!visit.node->sid.empty())
            bySid[visit.node->sid].push_back(number);
        toVisit.push_back({visit.node, true});
        for (auto child = visit.node->children.rbegin(); child != visit.node->children.rend(); ++child)
            toVisit.push_back({&*child, false});
    }
}

const Collada::Node* ColladaJointIndex::withId(const std::string& id) const
{
    auto found = byId.find(id);
    return found != byId.end() ? walk[found->second] : nullptr;
}

const Collada::Node* ColladaJointIndex::withName(const std::string& name) const
{
    auto found = byName.find(name);
    return found != byName.end() ? walk[found->second] : nullptr;
}

bool ColladaJointIndex::names(const std::string& word) const
{
    return bySid.count(word) > 0 || byId.count(word) > 0 || byName.count(word) > 0;
}

const Collada::Node* ColladaJointIndex::withSid(const std::string& sid, const Collada::Node* root) const
{
    auto found = bySid.find(sid);
    if (found == bySid.end())
        return nullptr;
    const std::vector<std::size_t>& numbers = found->second;
    if (root == nullptr)
        return walk[numbers.front()];
    const Place& place = places.at(root);
    auto first = std::lower_bound(numbers.begin(), numbers.end(), place.first);
    return first != numbers.end() && *first < place.end ? walk[*first] : nullptr;
}

}
