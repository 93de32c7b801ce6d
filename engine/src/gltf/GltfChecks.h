#pragma once

#include "gltf/GltfAccessors.h"
#include "gltf/GltfBuffers.h"
#include "gltf/TinyGltf.h"

#include <string>

class Logger;

namespace Pellux::Gltf
{

// Checks a read document for what the builder does not meet on its way: the JSON as written (where
// tinygltf ignores or defaults what it does not expect), a GLB container's chunks, the references
// and values of objects the builder may never visit, and the contents of every accessor and picture.
// Each problem is one ERR line "glTF <document>: <place>: <problem>". False, after its line, when the
// document is no glTF 2 document, which the builder would only misread. The accessors' values it
// reads stay in `accessorValues` for the builder.
bool checkDocument(const std::string& documentPath, const tinygltf::Model& model, const BufferBytes& buffers,
                   AccessorValues& accessorValues, Logger& logger);

}
