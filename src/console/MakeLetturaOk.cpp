// Writes LetturaOk.wav, the short chime the console plays for a reading:
// two rising notes, 0.2 s in all, 16-bit mono PCM at 22050 Hz. Each note
// rises in a few milliseconds and dies away, and the sound ends in silence,
// so it starts and stops without a click.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <vector>

namespace {

constexpr int SampleRate = 22050;
constexpr double Duration = 0.2;  // seconds

struct Note {
    double frequency;  // Hz
    double start;  // seconds
    double length;  // seconds
};

// C6 then G6, the second overlapping the first's tail.
constexpr Note Notes[] = {{1046.5, 0.0, 0.11}, {1568.0, 0.07, 0.13}};

double noteAt(const Note& note, double t)
{
    const double local = t - note.start;
    if (local < 0 || local >= note.length)
        return 0;
    const double attack = std::min(1.0, local / 0.004);
    const double release = std::min(1.0, (note.length - local) / 0.01);
    const double decay = std::exp(-local * 18);
    const double phase = 2 * std::numbers::pi * note.frequency * local;
    // A little of the octave above makes it rounder than a bare sine.
    return attack * release * decay * (std::sin(phase) + 0.25 * std::sin(2 * phase));
}

void put16(std::ofstream& out, uint16_t value)
{
    const char bytes[] = {char(value & 0xFF), char(value >> 8)};
    out.write(bytes, 2);
}

void put32(std::ofstream& out, uint32_t value)
{
    put16(out, uint16_t(value & 0xFFFF));
    put16(out, uint16_t(value >> 16));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav\n", argv[0]);
        return 64;
    }
    const int count = int(SampleRate * Duration);
    std::vector<int16_t> samples(count);
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / SampleRate;
        double value = 0;
        for (const Note& note : Notes)
            value += noteAt(note, t);
        samples[i] = int16_t(std::lround(value * 0.45 * 32767 / 1.25));
    }

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    const uint32_t dataBytes = uint32_t(count * 2);
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);  // format chunk size
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, SampleRate);
    put32(out, SampleRate * 2);  // bytes per second
    put16(out, 2);  // bytes per sample frame
    put16(out, 16);  // bits per sample
    out.write("data", 4);
    put32(out, dataBytes);
    for (const int16_t sample : samples)
        put16(out, uint16_t(sample));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 74;
    }
    return 0;
}
