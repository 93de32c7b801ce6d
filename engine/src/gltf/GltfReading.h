#pragma once

#include "gltf/GltfBuffers.h"
#include "gltf/TinyGltf.h"

#include <string>
#include <vector>

namespace Pellux::Gltf
{

// Whether the bytes begin as a glTF document does: the GLB magic, or a JSON object.
bool looksLikeGltf(const std::vector<unsigned char>& start);

// The URI with "%20" and the like decoded, as URIs write them.
std::string percentDecoded(const std::string& uri);

// Whether the file at `path` lies inside `folder`, as the files a document names must.
bool insideFolder(const std::string& path, const std::string& folder);

// Reads the document at `path` into `model`: a ".glb" container or JSON text, known by content, with
// its buffers from data URIs, the container or files beside it. Only regular files inside the
// document's folder are opened, pictures not at all (the image manager decodes them). Buffers of a
// JSON document that are files of their own are left there, listed in `files`. False, with the
// reason in `problem`, when it cannot be read as glTF.
bool readDocument(const std::string& path, tinygltf::Model& model, std::vector<BufferFile>& files,
                  std::string& problem);

}
