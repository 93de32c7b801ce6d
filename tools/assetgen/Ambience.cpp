#include "Ambience.h"

#include "Noise.h"
#include "Vector.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace AssetGen
{

namespace
{
using Signal = std::vector<double>;

// A state-variable filter (Chamberlin): low-, band- and high-pass outputs of one input.
class Filter
{
public:
    explicit Filter(double sampleRate) : rate(sampleRate) {}

    // `damping` 2 is very broad, 0.05 rings for long.
    void tune(double centre, double damping)
    {
        coefficient = 2 * std::sin(pi * centre / rate);
        this->damping = damping;
    }
    void step(double input)
    {
        low += coefficient * band;
        double high = input - low - damping * band;
        band += coefficient * high;
    }

    double low = 0, band = 0;

private:
    double rate;
    double coefficient = 0, damping = 1;
};

// Low drones on A with a minor third; pairs a fraction of a hertz apart beat slowly.
void addDrones(Signal& mix, int rate)
{
    struct Partial
    {
        double frequency, level, swellPeriod;
    };
    const Partial partials[] = {{55.0, 0.15, 17}, {55.17, 0.11, 13}, {82.41, 0.07, 11}, {110.0, 0.06, 19},
                                {110.32, 0.04, 7}, {130.81, 0.035, 23}, {164.81, 0.02, 29}};
    for (const Partial& p : partials)
    {
        double phase = 0;
        for (std::size_t i = 0; i < mix.size(); ++i)
        {
            double t = static_cast<double>(i) / rate;
            double swell = 0.55 + 0.45 * std::sin(2 * pi * t / p.swellPeriod + p.frequency);
            mix[i] += p.level * swell * std::sin(phase);
            phase += 2 * pi * p.frequency / rate;
        }
    }
}

// A clock: once a second a short click rings in a resonance, tick and tock a little apart in pitch,
// with a dull knock of the case below it.
void addClock(Signal& mix, Signal& echoSend, int rate, Random& random)
{
    const std::size_t length = static_cast<std::size_t>(0.12 * rate);
    for (std::size_t beat = 1; beat * static_cast<std::size_t>(rate) < mix.size(); ++beat)
    {
        bool tick = beat % 2 == 1;
        Filter ring(rate);
        ring.tune(tick ? 2600 : 2050, 0.06);
        std::size_t start = beat * static_cast<std::size_t>(rate);
        for (std::size_t i = 0; i < length && start + i < mix.size(); ++i)
        {
            double t = static_cast<double>(i) / rate;
            ring.step((random.uniform() * 2 - 1) * std::exp(-t / 0.0025));
            double knock = std::sin(2 * pi * (tick ? 720 : 610) * t) * std::exp(-t / 0.012);
            double sample = 0.9 * ring.band + 0.5 * knock;
            mix[start + i] += sample;
            echoSend[start + i] += 0.6 * sample;
        }
    }
}

// Wind over the fen: noise through a slowly wandering band-pass, in gusts, over a low rumble.
void addWind(Signal& mix, int rate, Random& random)
{
    Filter howl(rate), rumble(rate);
    rumble.tune(110, 1.4);
    for (std::size_t i = 0; i < mix.size(); ++i)
    {
        double t = static_cast<double>(i) / rate;
        if (i % 64 == 0)
            howl.tune(420 + 220 * std::sin(2 * pi * t / 23) + 130 * std::sin(2 * pi * t / 9.3 + 1), 0.9);
        double noise = random.uniform() * 2 - 1;
        howl.step(noise);
        rumble.step(noise);
        double gust = 0.5 + 0.3 * std::sin(2 * pi * t / 17 + 0.5) + 0.2 * std::sin(2 * pi * t / 6.1 + 2);
        mix[i] += 0.16 * gust * gust * howl.band + 0.5 * rumble.low;
    }
}

// A distant bell every thirteen and a half seconds, its partials inharmonic like cast metal.
void addBells(Signal& mix, Signal& echoSend, int rate)
{
    const double notes[] = {293.66, 349.23, 261.63, 220.0};
    const double ratios[] = {1, 2.76, 5.40, 8.93};
    const double levels[] = {1, 0.5, 0.25, 0.12};
    const double decays[] = {3.0, 1.6, 0.8, 0.4};
    int strike = 0;
    for (double at = 6.5; at * rate < mix.size(); at += 13.5, ++strike)
    {
        double note = notes[strike % 4];
        std::size_t start = static_cast<std::size_t>(at * rate);
        std::size_t length = std::min(static_cast<std::size_t>(9 * rate), mix.size() - start);
        for (std::size_t i = 0; i < length; ++i)
        {
            double t = static_cast<double>(i) / rate;
            double sample = 0;
            for (int k = 0; k < 4; ++k)
                sample += levels[k] * std::sin(2 * pi * note * ratios[k] * t) * std::exp(-t / decays[k]);
            sample *= 0.07 * std::min(1.0, t / 0.005);
            mix[start + i] += sample;
            echoSend[start + i] += 3 * sample;
        }
    }
}

// Two darkening feedback echoes, the fen's wide space.
void addEcho(Signal& mix, const Signal& send, int rate)
{
    struct Line
    {
        double seconds, feedback, level;
    };
    for (const Line& line : {Line{0.31, 0.45, 0.5}, Line{0.47, 0.3, 0.35}})
    {
        std::size_t delay = static_cast<std::size_t>(line.seconds * rate);
        Signal buffer(mix.size(), 0.0);
        double dark = 0;
        for (std::size_t i = delay; i < mix.size(); ++i)
        {
            dark += 0.25 * (buffer[i - delay] - dark);
            buffer[i] = send[i - delay] + line.feedback * dark;
            mix[i] += line.level * dark;
        }
    }
}

// Fades in and out, rounds off peaks and scales the loudest to 0.85.
std::vector<float> master(const Signal& mix, int rate)
{
    double seconds = static_cast<double>(mix.size()) / rate;
    Signal shaped(mix.size());
    double peak = 1e-9;
    for (std::size_t i = 0; i < mix.size(); ++i)
    {
        double t = static_cast<double>(i) / rate;
        double fade = smoothstep(0, 3, t) * smoothstep(seconds, seconds - 2, t);
        shaped[i] = std::tanh(mix[i] * fade);
        peak = std::max(peak, std::fabs(shaped[i]));
    }
    std::vector<float> samples(mix.size());
    for (std::size_t i = 0; i < mix.size(); ++i)
        samples[i] = static_cast<float>(shaped[i] * 0.85 / peak);
    return samples;
}
}

std::vector<float> mysteriousAmbience(int sampleRate, double seconds)
{
    Signal mix(static_cast<std::size_t>(seconds * sampleRate), 0.0);
    Signal echoSend(mix.size(), 0.0);
    Random random(8);
    addDrones(mix, sampleRate);
    addWind(mix, sampleRate, random);
    addClock(mix, echoSend, sampleRate, random);
    addBells(mix, echoSend, sampleRate);
    addEcho(mix, echoSend, sampleRate);
    return master(mix, sampleRate);
}

bool saveMp3(const std::vector<float>& samples, int sampleRate, const std::string& path, std::string& error)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    if (!sf_format_check(&info))
    {
        error = "this libsndfile cannot write MPEG layer III";
        return false;
    }
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
    {
        error = sf_strerror(nullptr);
        return false;
    }
    // Constant bit rate; compression level 0.85 gives 80 kbit/s for mono.
    int mode = SF_BITRATE_MODE_CONSTANT;
    double level = 0.85;
    sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    sf_count_t frames = static_cast<sf_count_t>(samples.size());
    bool written = sf_writef_float(file, samples.data(), frames) == frames;
    if (!written)
        error = sf_strerror(file);
    return sf_close(file) == 0 && written;
}

}
