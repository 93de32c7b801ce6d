#pragma once

#include "pellux/collada/ColladaDocument.h"

class TiXmlDocument;

namespace Pellux
{

// Reads a parsed COLLADA document into plain data. Needs nothing of the engine: no OpenGL context,
// no managers, no working directory. The geometries are dropped from `xml` as they are read.
class ColladaReader
{
public:
    static Collada::Document read(TiXmlDocument& xml);
};

}
