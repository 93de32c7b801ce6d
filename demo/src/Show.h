#pragma once

#include <functional>

class ShowSound;

namespace Pellux
{
class MaterialManager;
class Scene;
}

// The show's course from frame to frame: the animation clock with its sound, the keys that switch
// the walls' material and move through time, the fade-out after 79 s and the end after 83 s.
class Show
{
public:
    // Engine key codes, in the order the key chain tests them.
    static constexpr int parallaxKey = '2';
    static constexpr int reliefKey = '3';
    static constexpr int normalKey = '1';
    static constexpr int rewindKey = 'Q';
    static constexpr int forwardKey = 'W';
    static constexpr int pauseKey = 'P';

    Show(Pellux::Scene& scene, ShowSound& sound, Pellux::MaterialManager& materials);

    // The clock: still for the first three frames, then the sound starts and time runs.
    void advanceClock(float frameTime);
    // Acts on the first held key of the chain; false when that is the exit key.
    bool handleKeys(const std::function<bool(int key)>& isHeld, float frameTime);
    // The pause cool-down, the fade-out and the end; true when the show is over.
    bool finishFrame(float frameTime);

    // The picture's opacity and the sound's volume.
    float getFade() const { return fade; }
    bool isPaused() const { return paused; }

private:
    void switchWalls(const char* materialName);
    void jump(float seconds);
    void togglePause();

    Pellux::Scene& scene;
    ShowSound& sound;
    Pellux::MaterialManager& materials;
    int frameCounter = 0;
    bool soundStarted = false;
    float pauseCooldown = 0;
    bool paused = false;
    float fade = 1.0f;
};
