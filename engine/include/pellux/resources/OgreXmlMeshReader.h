#pragma once

#include <string>

class Logger;

namespace Pellux
{

class Mesh;

// Reads the XML mesh format of the Ogre engine into a mesh: one sub-mesh per "submesh", with
// positions, normals and texture-coordinate sets from every "vertexbuffer" of its "geometry", or of
// the mesh's "sharedgeometry" when it uses shared vertices. What a damaged file does hold is kept;
// what is missing or not a number is reported at level ERR.
class OgreXmlMeshReader
{
public:
    explicit OgreXmlMeshReader(Logger& logger) : logger(logger) {}

    // False when the file could not be read as XML at all; the mesh then stays empty.
    bool read(const std::string& path, Mesh& mesh);

private:
    Logger& logger;
};

}
