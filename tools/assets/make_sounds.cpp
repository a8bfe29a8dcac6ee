// Makes the sound example's files: a chime (WAVE) and a short tune (MIDI).
#include <cmath>
#include <cstdio>
#include <string>

#include "sound_writer.h"

namespace {

// Three decaying partials of a small bell, 0.6 s at 22050 Hz, 16-bit mono.
std::vector<uint8_t> Chime() {
    const assets::PcmFormat format{22050, 1, 16};
    const std::vector<float> low = assets::Tone(format, 0.6, 880, 0.5);
    const std::vector<float> high = assets::Tone(format, 0.6, 2217, 0.25);
    std::vector<float> values(low.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const double decay = std::exp(-6.0 * static_cast<double>(i) / format.rate);
        values[i] = static_cast<float>((low[i] + high[i]) * decay);
    }
    return assets::EncodeWave(format, assets::PcmSamples(format, values));
}

// A rising and falling phrase on the vibraphone, four seconds long.
std::vector<uint8_t> Tune() {
    assets::Melody melody;
    melody.program = 11;
    const int keys[] = {60, 64, 67, 72, 71, 67, 64, 62, 60, 67, 65, 64, 62, 59, 60, 60};
    int tick = 0;
    for (int key : keys) {
        melody.notes.push_back({key, tick, 44, 96});
        melody.notes.push_back({key - 24, tick, 44, 64});
        tick += 48;
    }
    melody.endTick = tick;
    return assets::EncodeMidi(melody);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kr-make-sounds OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string directory = argv[1];
    const bool written = assets::WriteBytes(Chime(), directory + "/CHIME.WAV") &&
                         assets::WriteBytes(Tune(), directory + "/TUNE.MID");
    return written ? 0 : 1;
}
