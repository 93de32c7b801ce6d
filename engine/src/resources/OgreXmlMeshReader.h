#pragma once

#include <string>

class Logger;
class TiXmlDocument;

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

    // False when the file could not be read as an XML document: `problem` then says why, and the
    // mesh stays empty.
    bool read(const std::string& path, Mesh& mesh, std::string& problem);
    // The same for a document in memory, named `name` in reports.
    bool readText(std::string text, const std::string& name, Mesh& mesh, std::string& problem);

private:
    void readDocument(const TiXmlDocument& document, const std::string& path, Mesh& mesh);

    Logger& logger;
};

}
