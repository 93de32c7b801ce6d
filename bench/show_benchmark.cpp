// Plays the show with fixed frame times, not waiting for real time, at 1920 x 1080 and 1280 x 720
// with the walls as the show starts (the document's own material) and in each of the three materials
// the keys put on, and reports the frame rate and where a frame's time goes. Run it with
// scripts/bench show.
#include "Show.h"
#include "ShowSetUp.h"
#include "ShowSound.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/scene/Scene.h"

#include "ChildProcess.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
// Animation seconds between two frames; the first argument may set it.
float frameStep = 0.5f;
// With "dusk" as the second argument every frame is drawn again without the sky and the mist.
bool comparingDusk = false;
// The key that puts a wall look on, and its name.
struct WallLook
{
    int key;
    const char* walls;
};
const int noKey = -1;

struct SilentSound : ShowSound
{
    void play() override {}
    void setVolume(float) override {}
    void setPaused(bool) override {}
    void setPosition(float) override {}
};

struct Phases
{
    double main = 0;
    double shadows = 0;
    double overlay = 0;
    double end = 0;
    double total() const { return main + shadows + overlay + end; }
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point& start)
{
    glFinish();
    Clock::time_point now = Clock::now();
    double seconds = std::chrono::duration<double>(now - start).count();
    start = now;
    return seconds;
}

// One frame as the demo draws it, `step` seconds of animation after the last, with the passes timed
// one by one.
Phases timedFrame(Pellux::RenderEngine& engine, Pellux::Scene& scene, Show& show, float step)
{
    Phases phases;
    Clock::time_point start = Clock::now();
    show.advanceClock(step);
    Pellux::RenderTarget* target = scene.getRenderTarget();
    Pellux::Rectangle viewport = engine.getViewport();
    target->resize(static_cast<int>(viewport.width), static_cast<int>(viewport.height));
    target->setSize(Pellux::RenderEngine::getScreenRectangle());
    target->bind();
    scene.prepareFrame();
    scene.renderMainPass();
    phases.main = secondsSince(start);
    scene.renderShadowPasses();
    phases.shadows = secondsSince(start);
    const Pellux::Rectangle whole(0, 0, 1, 1);
    engine.drawTexture(target->getColorTexture(), whole, whole, false, show.getFade());
    phases.overlay = secondsSince(start);
    show.finishFrame(step);
    engine.endFrame();
    phases.end = secondsSince(start);
    return phases;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The median over the frames of what each took longer in `with` than in `without`.
double medianDifference(const std::vector<double>& with, const std::vector<double>& without)
{
    std::vector<double> differences;
    for (std::size_t frame = 0; frame < std::min(with.size(), without.size()); ++frame)
        differences.push_back(with[frame] - without[frame]);
    return median(differences);
}

// The frames of one look: the median of each pass over the whole show.
struct Timings
{
    std::vector<double> main, shadows, overlay, end, total;

    void add(const Phases& phases)
    {
        main.push_back(phases.main);
        shadows.push_back(phases.shadows);
        overlay.push_back(phases.overlay);
        end.push_back(phases.end);
        total.push_back(phases.total());
    }

    void print(int width, int height, const std::string& walls) const
    {
        std::printf("%4dx%-4d %-20s %6.1f fps %8.1f ms main %8.1f ms shadows %8.1f ms overlay %8.1f ms frame end\n",
                    width, height, walls.c_str(), 1 / median(total), median(main) * 1000, median(shadows) * 1000,
                    median(overlay) * 1000, median(end) * 1000);
        std::fflush(stdout);
    }
};

void playAt(int width, int height)
{
    std::ostringstream quiet;
    std::cout.rdbuf(quiet.rdbuf());
    Pellux::Tavrin& root = Pellux::Tavrin::getInstance();
    Pellux::RenderEngine& engine = *root.getRenderEngine();
    if (!engine.init(width, height, false))
        std::_Exit(1);
    Pellux::MaterialManager& materials = *root.getMaterialManager();
    createMaterials(Logger::getInstance(), materials, *root.getImageManager());
    std::shared_ptr<Pellux::Scene> scene = loadShowScene(materials);
    // The walls first as the show starts, in the document's own material, before any key changes them.
    const WallLook looks[] = {{noKey, "document"},
                              {Show::normalKey, "wall_normal"},
                              {Show::parallaxKey, "wall_parallax"},
                              {Show::reliefKey, "wall_relief"}};
    for (const WallLook& look : looks)
    {
        SilentSound sound;
        Show show(*scene, sound, materials);
        show.handleKeys([&](int key) { return key == look.key; }, 0);
        scene->setTime(0);
        Timings withDusk, withoutDusk;
        for (int frame = 0; scene->getTime() <= 83.0f; ++frame)
        {
            if (!comparingDusk)
            {
                withDusk.add(timedFrame(engine, *scene, show, frameStep));
                continue;
            }
            // Each moment drawn with and without the sky and the mist, in turn first, so that neither
            // gains from coming second.
            bool duskFirst = frame % 2 == 0;
            for (bool shown : {duskFirst, !duskFirst})
            {
                showDusk(*scene, materials, shown);
                float step = shown == duskFirst ? frameStep : 0.0f;
                (shown ? withDusk : withoutDusk).add(timedFrame(engine, *scene, show, step));
            }
            showDusk(*scene, materials, true);
        }
        withDusk.print(width, height, look.walls);
        if (comparingDusk)
        {
            withoutDusk.print(width, height, std::string(look.walls) + " no dusk");
            std::printf("%4dx%-4d %-20s %6.1f ms a frame, %.1f ms main, %.1f ms shadows (median of each frame's difference)\n",
                        width, height, "  sky and mist add", medianDifference(withDusk.total, withoutDusk.total) * 1000,
                        medianDifference(withDusk.main, withoutDusk.main) * 1000,
                        medianDifference(withDusk.shadows, withoutDusk.shadows) * 1000);
            std::fflush(stdout);
        }
    }
}
}

int main(int argc, char** argv)
{
    if (argc > 1)
        frameStep = std::max(0.01f, static_cast<float>(std::atof(argv[1])));
    comparingDusk = argc > 2 && std::string(argv[2]) == "dusk";
    std::printf("median of the frames of the whole show, one every %.1f s of animation\n", frameStep);
    std::fflush(stdout);
    for (std::pair<int, int> size : {std::pair{1920, 1080}, std::pair{1280, 720}})
    {
        if (!runInChildProcess([&] { playAt(size.first, size.second); }))
            return 1;
    }
    return 0;
}
