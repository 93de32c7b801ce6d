#include "pellux/audio/AudioSystem.h"

#include "pellux/foundation/Logger.h"

#include <SDL.h>

#include <cstdlib>
#include <filesystem>

namespace Pellux
{

namespace
{
const int bytesPerFrame = 2 * sizeof(float);
// About 21 ms at 48 kHz: well below the 2048 frames by which moved sounds resume.
const Uint16 framesPerCallback = 1024;

// Runs on SDL's audio thread, which holds the device lock meanwhile.
void mixCallback(void* mixer, Uint8* stream, int length)
{
    static_cast<Mixer*>(mixer)->mix(reinterpret_cast<float*>(stream), length / bytesPerFrame);
}


// Whether SDL's own choice of driver can find anything to play on. Asking ALSA on a machine
// without a sound card fills standard error with its complaints.
bool soundOutputLikely()
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (std::getenv("SDL_AUDIODRIVER") != nullptr || std::getenv("PULSE_SERVER") != nullptr)
        return true;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"))
        if (fs::exists(fs::path(runtime) / "pulse" / "native", error) || fs::exists(fs::path(runtime) / "pipewire-0", error))
            return true;
    for (const fs::directory_entry& device : fs::directory_iterator("/dev/snd", error))
        if (device.path().filename().string().rfind("pcm", 0) == 0)
            return true;
    return false;
}
}

AudioSystem::AudioSystem()
{
    Logger& logger = Logger::getInstance();
    if (soundOutputLikely() && open(nullptr))
        return;
    if (open("dummy"))
    {
        LOG(logger.info) << "no sound device, using SDL's dummy audio driver" << std::endl;
        return;
    }
    LOG(logger.err) << "sound output could not be opened: " << SDL_GetError() << std::endl;
}

void AudioSystem::withMixer(const std::function<void(Mixer&)>& access)
{
    SDL_LockAudioDevice(device);
    access(mixer);
    SDL_UnlockAudioDevice(device);
}

// Opens the output through `driver`, or through SDL's own choice when it is null, and starts it.
bool AudioSystem::open(const char* driver)
{
    if (driver != nullptr)
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
    // SDL would turn Ctrl+C and the end signal into quit events that nothing here reads, and the
    // program would not end on them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec wanted{};
    wanted.freq = Mixer::sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = framesPerCallback;
    wanted.callback = mixCallback;
    wanted.userdata = &mixer;
    // Without allowed changes SDL converts to whatever the device takes.
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0)
    {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

}
