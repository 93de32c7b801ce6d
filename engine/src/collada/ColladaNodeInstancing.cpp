#include "collada/ColladaNodeInstancing.h"

#include "collada/ColladaLoad.h"
#include "pellux/foundation/XmlDocument.h"

namespace Pellux
{

namespace
{
// Calls `visit` for each node of the trees, parents before their children, in document order;
// without recursion, as the trees may be as deep as the document.
template <class Visit>
void forEachNode(const std::vector<Collada::Node>& trees, Visit visit)
{
    std::vector<const Collada::Node*> toVisit;
    for (auto tree = trees.rbegin(); tree != trees.rend(); ++tree)
        toVisit.push_back(&*tree);
    while (!toVisit.empty())
    {
        const Collada::Node* node = toVisit.back();
        toVisit.pop_back();
        visit(*node);
        for (auto child = node->children.rbegin(); child != node->children.rend(); ++child)
            toVisit.push_back(&*child);
    }
}

const std::string meshNodeSuffix = "_mesh";
// What numbers a node's second and later mesh nodes: "-2", "-3", ...
const std::size_t numberedSuffix = 8;
}

ColladaNodeInstancing::ColladaNodeInstancing(ColladaLoad& load) : load(load)
{
    for (const std::vector<Collada::Node>* trees : {&load.document.libraryNodes, &load.document.nodes})
        forEachNode(*trees, [&](const Collada::Node& node) {
            if (!node.id.empty())
                byId.emplace(node.id, &node);
        });
    for (const std::vector<Collada::Node>* trees : {&load.document.libraryNodes, &load.document.nodes})
        forEachNode(*trees, [&](const Collada::Node& node) {
            for (const std::string& url : node.instancedNodes)
                if (const Collada::Node* named = find(url))
                    instancedSomewhere.insert(named);
        });
}

const Collada::Node* ColladaNodeInstancing::find(const std::string& url) const
{
    if (url.empty() || url[0] != '#')
        return nullptr;
    auto found = byId.find(url.substr(1));
    return found != byId.end() ? found->second : nullptr;
}

ColladaNodeInstancing::Chain ColladaNodeInstancing::enter(const Collada::Node& node, Chain around)
{
    // Only nodes that some instance names can close a cycle.
    if (instancedSomewhere.count(&node) == 0)
        return around;
    chains.push_back({&node, around});
    return static_cast<Chain>(chains.size() - 1);
}

const Collada::Node* ColladaNodeInstancing::toCopy(const Collada::Node& instancing, const std::string& url, Chain chain,
                                                  std::size_t prefixLength, int depth)
{
    const Collada::Node* node = find(url);
    if (node == nullptr)
    {
        load.report("node", instancing.id, "instances no node of the document: '" + url + "'; left out");
        return nullptr;
    }
    for (Chain link = chain; link != outside; link = chains[link].around)
        if (chains[link].node == node)
        {
            load.report("node", instancing.id, "instances '" + node->id + "', which holds this instance: a cycle; left out");
            return nullptr;
        }
    return admit(*node, prefixLength, depth) ? node : nullptr;
}

bool ColladaNodeInstancing::admit(const Collada::Node& node, std::size_t prefixLength, int depth)
{
    if (boundReached)
        return false;
    std::size_t name = prefixLength + node.id.size();
    std::size_t nameBytes = 2 * name + meshNodeSuffix.size() +
                            node.meshInstances.size() * (name + meshNodeSuffix.size() + numberedSuffix) +
                            (node.instancesLight ? prefixLength + node.light.size() : 0) +
                            (node.instancesCamera ? prefixLength + node.camera.size() : 0);
    if (nodesMade + 1 > maxNodesMadeByInstancing || nameBytesMade + nameBytes > maxNameBytesMadeByInstancing ||
        depth > maxXmlNestingDepth)
    {
        boundReached = true;
        load.report("node", node.id, "instancing stops at this node: the copies would make more than " +
                                         std::to_string(maxNodesMadeByInstancing) + " nodes, " +
                                         std::to_string(maxNameBytesMadeByInstancing / (1024 * 1024)) +
                                         " MiB of names or a tree deeper than " + std::to_string(maxXmlNestingDepth) +
                                         " levels");
        return false;
    }
    ++nodesMade;
    nameBytesMade += nameBytes;
    return true;
}

}
