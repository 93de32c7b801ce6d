#pragma once

#include "Collada.h"

// Mirrowfen: a walled courtyard in a misty fen at dusk, with its lights, camera flight and animations.
namespace AssetGen
{

Document mirrowfen();

}
