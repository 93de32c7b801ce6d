#include "pellux/core/Tavrin.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/foundation/Settings.h"

namespace Pellux
{

// The services live until the process ends. The settings come last: they read their file at once.
Tavrin::Tavrin() : renderEngine(new RenderEngine()), settings(new Settings())
{
}

}
