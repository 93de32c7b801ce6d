#pragma once

// tinygltf as the engine uses it: JSON and the GLB container only. The engine's image manager decodes
// pictures, so tinygltf's own decoder and writer stay out of every translation unit.
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>
