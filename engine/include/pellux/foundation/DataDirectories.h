#pragma once

#include "pellux/foundation/File.h"

#include <string>
#include <vector>

namespace Pellux
{

// Where the engine finds the data files of its own: the default materials' and the overlay's shaders
// ("shader/default.vert"), the text face ("fonts/arial.ttf"). Every directory searched is laid out
// as a "resources" directory. They are searched in this order:
//  1. the directories a program added, in the order added;
//  2. "resources" below the working directory, where the demo keeps its files;
//  3. "resources" beside the running program;
//  4. the installed data beside the running program (<prefix>/bin/../share/pellux/resources);
//  5. the installed data of the prefix the engine was built for (<prefix>/share/pellux/resources).
class DataDirectories
{
public:
    // The directories in the order they are searched, whether they exist or not.
    static std::vector<std::string> list();

    // The engine's file `name`, a path inside a resources directory, from the first directory that
    // holds it. When none does: one ERR line naming the directories searched, and the working
    // directory's "resources/" + name, which does not exist, so its loader reports it as ever.
    static File find(const std::string& name);

    // Searched before the others: a program's own data, such as a directory named on its command line.
    static void addDirectory(const std::string& directory);
};

}
