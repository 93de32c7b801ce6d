// The one translation unit that holds tinygltf's implementation.
#define TINYGLTF_IMPLEMENTATION
#include "gltf/TinyGltf.h"
