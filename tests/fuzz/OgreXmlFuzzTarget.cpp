// Feeds arbitrary bytes to the Ogre XML mesh reader: it must not crash, hang or read out of
// bounds, and what it reads must be safe to draw. Built for libFuzzer (scripts/fuzz), and as a
// replay of the corpus for the tests.
#include "FuzzSupport.h"

#include "pellux/foundation/Logger.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "resources/OgreXmlMeshReader.h"

#include <cstdlib>
#include <iostream>

namespace
{
// A sub-mesh that is drawn may only name vertices its positions hold.
void checkDrawable(const Pellux::SubMesh& subMesh)
{
    if (!subMesh.isDrawable())
        return;
    for (unsigned int index : subMesh.getIndices())
        if (index >= subMesh.getVertexCount("position"))
        {
            std::cerr << "a drawable sub-mesh has index " << index << " past its positions" << std::endl;
            std::abort();
        }
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    silenceLog();
    Pellux::Mesh mesh("fuzz-input.mesh.xml");
    std::string problem;
    std::string text(reinterpret_cast<const char*>(data), size);
    if (!Pellux::OgreXmlMeshReader(Logger::getInstance()).readText(std::move(text), mesh.getName(), mesh, problem))
        return 0;
    mesh.reportIndicesOutOfRange();
    for (const Pellux::SubMesh* subMesh : mesh.getSubMeshes())
        checkDrawable(*subMesh);
    return 0;
}
