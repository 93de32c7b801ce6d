#pragma once

#include "pellux/foundation/Singleton.h"

namespace Pellux
{

class RenderEngine;
class Settings;

// The engine root: creates every engine-wide service once and hands it out.
class Tavrin : public Singleton<Tavrin>
{
public:
    // Throws std::runtime_error when "settings.txt" is missing.
    Tavrin();
    virtual ~Tavrin() = default;

    RenderEngine* getRenderEngine() const { return renderEngine; }
    Settings* getSettings() const { return settings; }

private:
    RenderEngine* renderEngine;
    Settings* settings;
};

}
