#pragma once

#include <cstdint>
#include <string>

namespace Pellux
{

// The most the engine reads of one file. Far more than any scene, mesh, picture, shader or sound it
// is given; a name may lead anywhere, to a huge or sparse file too.
constexpr std::uintmax_t largestReadableFileBytes = 256u * 1024u * 1024u;

// Why the file at `path` is not to be opened, said after its path ("cannot be opened", "is not a
// regular file", "is larger than ... bytes"); empty when it may be. Only regular files are read: a named pipe
// or a device would block or never end.
std::string unreadableFileReason(const std::string& path, std::uintmax_t largestBytes = largestReadableFileBytes);

}
