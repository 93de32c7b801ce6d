#pragma once

#include "pellux/collada/ColladaDocument.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace Pellux
{

struct ColladaLoad;

// How much the copies made for "instance_node" may add to a scene. Real exports instance a few
// nodes a few times; a document whose instances instance each other in many levels would make
// millions of nodes, a long id repeated in the names of every node of many copies gigabytes, and
// deep nodes instancing deep nodes a tree deeper than any document may nest (maxXmlNestingDepth),
// whose depth everything that walks the tree would pay for.
constexpr std::size_t maxNodesMadeByInstancing = 100000;
constexpr std::size_t maxNameBytesMadeByInstancing = 64 * 1024 * 1024;

// What the node tree needs to copy instanced nodes: the nodes an instance may name, which nodes
// lie in which instanced ones (a copy of a node that lies in itself would never end), and the
// bounds on what the copies make.
class ColladaNodeInstancing
{
public:
    // Where in the document or in copies a node lies: the innermost instanced node around it or
    // itself, as an index of the chain; none is -1.
    using Chain = int;
    static constexpr Chain outside = -1;

    // Instances name nodes of "library_nodes" first, then nodes of the visual scene, at any depth;
    // of several with one id the first in the document.
    explicit ColladaNodeInstancing(ColladaLoad& load);

    // The chain of a node that lies in `around`: with the node added when some instance names it.
    Chain enter(const Collada::Node& node, Chain around);

    // The node `url` names, to be copied below the instancing node, which lies in `chain`, as a
    // node `depth` levels below the visual scene with names starting with `prefixLength`
    // characters; null, reported, when the document has none, when the instancing node lies in it
    // or when the copy would pass the bounds.
    const Collada::Node* toCopy(const Collada::Node& instancing, const std::string& url, Chain chain,
                                std::size_t prefixLength, int depth);

    // Whether a node of a copy may be made `depth` levels below the visual scene, with names (its
    // own, starting with `prefixLength` characters, and those of its mesh, light and camera)
    // within the bounds. Past them, one report and no node made by instancing after it.
    bool admit(const Collada::Node& node, std::size_t prefixLength, int depth);

private:
    struct Link
    {
        const Collada::Node* node;
        Chain around;
    };

    const Collada::Node* find(const std::string& url) const;

    ColladaLoad& load;
    std::map<std::string, const Collada::Node*> byId;
    std::set<const Collada::Node*> instancedSomewhere;
    std::vector<Link> chains;
    std::size_t nodesMade = 0;
    std::size_t nameBytesMade = 0;
    bool boundReached = false;
};

}
