// Writes the game's six sound cues as RIFF/WAVE files into the folder it is given.
// Every sound is synthesised from fixed numbers, so each run writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double twoPi = 2 * std::numbers::pi;

// A sound under construction: samples between -1 and 1 at a fixed rate.
struct Signal {
    double rate;
    std::vector<double> samples;

    std::size_t index(double seconds) const
    {
        return std::min(samples.size(), static_cast<std::size_t>(seconds * rate));
    }
    double duration() const { return static_cast<double>(samples.size()) / rate; }
};

// A small linear congruential generator: the same noise on every platform.
class Noise {
public:
    double next()
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) / static_cast<double>(1ULL << 53) * 2 - 1;
    }

private:
    std::uint64_t state_ = 0x5175656c6c616eULL;
};

// One-pole low-pass filter; subtracting its output from the input gives a high-pass.
class LowPass {
public:
    LowPass(double cutoff, double rate) : factor_(1 - std::exp(-twoPi * cutoff / rate)) {}
    double operator()(double x) { return level_ += factor_ * (x - level_); }

private:
    double factor_;
    double level_ = 0;
};

// Rises smoothly from 0 to 1 over the given time, so nothing starts with a step.
double attack(double t, double time)
{
    const double x = std::clamp(t / time, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

// Adds voice(t) to each sample of the span, t counting seconds from the span's start.
template <typename Voice> void mix(Signal &s, double start, double length, Voice voice)
{
    const std::size_t first = s.index(start);
    const std::size_t last = s.index(start + length);
    for (std::size_t i = first; i < last; ++i)
        s.samples[i] += voice(static_cast<double>(i - first) / s.rate);
}

// A struck note ringing to the end: a few harmonics that die away, the higher ones sooner.
// Harmonics above the rate's limit are left out so they do not fold back as harsh tones.
void addNote(Signal &s, double start, double freq, double amp, double decay)
{
    struct Partial {
        double ratio, level, speed;
    };
    constexpr Partial partials[] = {{1, 1.0, 1.0}, {2, 0.3, 2.0}, {3, 0.1, 3.5}};
    mix(s, start, s.duration() - start, [&](double t) {
        double sum = 0;
        for (const Partial &p : partials) {
            if (freq * p.ratio < 0.45 * s.rate)
                sum +=
                    p.level * std::exp(-t * p.speed / decay) * std::sin(twoPi * freq * p.ratio * t);
        }
        return amp * attack(t, 0.004) * sum;
    });
}

// A card flicked against another: a short burst of band-limited noise over a soft knock.
void addFlick(Signal &s, Noise &noise, double start, double amp, double brightness)
{
    LowPass body(brightness, s.rate);
    LowPass rumble(500, s.rate);
    mix(s, start, 0.08, [&](double t) {
        const double hiss = body(noise.next());
        const double band = hiss - rumble(hiss);
        const double knock = 0.6 * std::sin(twoPi * 150 * t) * std::exp(-t / 0.012);
        return amp * attack(t, 0.0015) * (band * std::exp(-t / 0.014) * 2.5 + knock);
    });
}

// A quiet bed of rustling noise that swells and fades over the given span.
void addRustle(Signal &s, Noise &noise, double start, double length, double amp)
{
    LowPass body(2500, s.rate);
    LowPass rumble(700, s.rate);
    mix(s, start, length, [&](double t) {
        const double hiss = body(noise.next());
        return amp * std::sin(std::numbers::pi * t / length) * (hiss - rumble(hiss));
    });
}

// A low buzz with only its lower odd harmonics, so it sounds muffled rather than harsh.
void addBuzz(Signal &s, double start, double length, double freq, double amp)
{
    mix(s, start, length, [&](double t) {
        double wave = 0;
        for (int n = 1; n * freq < 1200; n += 2)
            wave += std::sin(twoPi * n * freq * t) / (n * n);
        return amp * attack(t, 0.012) * attack(length - t, 0.05) * wave;
    });
}

// A tone that glides down from one pitch to another with a slight waver, fading as it goes.
void addGlide(Signal &s, double start, double length, double from, double to, double amp)
{
    double phase = 0;
    mix(s, start, length, [&](double t) {
        const double freq =
            from * std::pow(to / from, t / length) * (1 + 0.012 * std::sin(twoPi * 5 * t));
        phase += twoPi * freq / s.rate;
        const double tone =
            std::sin(phase) + 0.35 * std::sin(2 * phase) + 0.12 * std::sin(3 * phase);
        return amp * attack(t, 0.03) * (1 - std::pow(t / length, 1.5)) * tone;
    });
}

// Note pitches in Hz.
constexpr double c5 = 523.25, e5 = 659.26, g5 = 783.99, c6 = 1046.50;

void composeClick(Signal &s)
{
    Noise noise;
    addFlick(s, noise, 0.004, 1.0, 3800);
}

// Four cards, one onto each column.
void composeDeal(Signal &s)
{
    Noise noise;
    addRustle(s, noise, 0, s.duration(), 0.25);
    const double starts[] = {0.006, 0.072, 0.138, 0.204};
    const double levels[] = {0.8, 0.7, 0.85, 0.75};
    for (int i = 0; i < 4; ++i)
        addFlick(s, noise, starts[i], levels[i], 3000 + 300 * i);
}

void composeEntered(Signal &s)
{
    const double notes[] = {c5, e5, g5};
    for (int i = 0; i < 3; ++i)
        addNote(s, 0.11 * i, notes[i], 1.0, 0.3);
}

void composeGameOver(Signal &s)
{
    addGlide(s, 0, s.duration(), 220, 110, 1.0);
}

void composeInvalid(Signal &s)
{
    addBuzz(s, 0, s.duration(), 110, 1.0);
}

// A rising run that ends on a ringing chord.
void composeWinner(Signal &s)
{
    const double notes[] = {c5, e5, g5, c6};
    for (int i = 0; i < 4; ++i)
        addNote(s, 0.13 * i, notes[i], 0.8, 0.35);
    for (const double note : notes)
        addNote(s, 0.62, note, 0.6, 1.1);
}

// Scales the sound to the given peak, then fades its very start and its end so the
// speaker does not click.
void finish(Signal &s, double peak)
{
    double highest = 0;
    for (const double x : s.samples)
        highest = std::max(highest, std::abs(x));
    const std::size_t fadeIn = s.index(0.003);
    const std::size_t fadeOut = s.index(std::min(0.25, 0.15 * s.duration()));
    const std::size_t n = s.samples.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double in = i < fadeIn ? 0.5 - 0.5 * std::cos(std::numbers::pi * i / fadeIn) : 1;
        const std::size_t left = n - 1 - i;
        const double out =
            left < fadeOut ? 0.5 - 0.5 * std::cos(std::numbers::pi * left / fadeOut) : 1;
        s.samples[i] *= peak / highest * in * out;
    }
}

void putLittleEndian(std::string &bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

// 8-bit samples are unsigned with silence at 128; 16-bit ones are signed.
void putSample(std::string &bytes, double x, int bits)
{
    if (bits == 8) {
        bytes += static_cast<char>(std::lround(std::clamp(128 + 127 * x, 0.0, 255.0)));
        return;
    }
    const long value = std::lround(std::clamp(x, -1.0, 1.0) * 32767);
    putLittleEndian(bytes, static_cast<std::uint32_t>(value), 2);
}

// A RIFF/WAVE file of uncompressed PCM, one channel; an odd-sized data chunk is padded.
std::string waveFile(const Signal &s, int bits)
{
    std::string data;
    for (const double x : s.samples)
        putSample(data, x, bits);
    const auto dataSize = static_cast<std::uint32_t>(data.size());
    const int blockAlign = bits / 8;
    const auto rate = static_cast<std::uint32_t>(s.rate);
    std::string bytes = "RIFF";
    putLittleEndian(bytes, 4 + 24 + 8 + dataSize + dataSize % 2, 4);
    bytes += "WAVEfmt ";
    putLittleEndian(bytes, 16, 4);
    putLittleEndian(bytes, 1, 2); // PCM
    putLittleEndian(bytes, 1, 2); // one channel
    putLittleEndian(bytes, rate, 4);
    putLittleEndian(bytes, rate * blockAlign, 4);
    putLittleEndian(bytes, blockAlign, 2);
    putLittleEndian(bytes, bits, 2);
    bytes += "data";
    putLittleEndian(bytes, dataSize, 4);
    bytes += data;
    if (dataSize % 2)
        bytes += '\0';
    return bytes;
}

struct Wave {
    const char *name;
    int rate;
    int bits;
    int dataBytes;
    double peak;
    void (*compose)(Signal &);
};

constexpr Wave waves[] = {
    {"CLICK", 11025, 8, 1584, 0.55, composeClick},
    {"DEAL", 11025, 8, 3312, 0.6, composeDeal},
    {"ENTERED", 11025, 8, 8667, 0.7, composeEntered},
    {"GAMEOVER", 22050, 8, 21952, 0.5, composeGameOver},
    {"INVALID", 11025, 8, 2768, 0.3, composeInvalid},
    {"WINNER", 22050, 16, 123224, 0.7, composeWinner},
};

bool writeWave(const Wave &wave, const std::filesystem::path &folder)
{
    Signal s{static_cast<double>(wave.rate),
             std::vector<double>(static_cast<std::size_t>(wave.dataBytes / (wave.bits / 8)))};
    wave.compose(s);
    finish(s, wave.peak);
    const std::string bytes = waveFile(s, wave.bits);
    std::ofstream out(folder / (std::string(wave.name) + ".wav"), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: wavegen FOLDER\n");
        return 2;
    }
    for (const Wave &wave : waves) {
        if (!writeWave(wave, argv[1])) {
            std::fprintf(stderr, "wavegen: cannot write %s.wav in %s\n", wave.name, argv[1]);
            return 1;
        }
    }
    return 0;
}
