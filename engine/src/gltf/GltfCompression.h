#pragma once

#include "gltf/TinyGltf.h"

#include <string>

class Logger;

namespace Pellux::Gltf
{

// Turns a read document's compressed geometry into plain data before it is built: each bufferView
// with EXT_meshopt_compression is decoded into a buffer of its own and pointed at it, then each
// primitive with KHR_draco_mesh_compression has its accessors pointed at views of its decoded mesh.
// Each problem is one ERR line naming the place in the document; a view that cannot be decoded is
// left as it was, and a primitive goes without the data that cannot be decoded.
void decompress(tinygltf::Model& model, const std::string& documentPath, Logger& logger);

}
