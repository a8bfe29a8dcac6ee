#pragma once
// Writers for the sound files the project makes: PCM WAVE images and format-0 MIDI files.
#include <cstdint>
#include <string>
#include <vector>

namespace assets {

struct PcmFormat {
    int rate = 22050;
    int channels = 1;
    int bits = 16;  // 8 (unsigned) or 16 (signed)
};

// A canonical WAVE image: "RIFF", "WAVE", a 16-byte "fmt " chunk and the "data" chunk.
std::vector<uint8_t> EncodeWave(const PcmFormat& format, const std::vector<uint8_t>& samples);
// Samples from -1 to 1, interleaved when stereo, in the format's sample size.
std::vector<uint8_t> PcmSamples(const PcmFormat& format, const std::vector<float>& values);
// A tone of the given frequency and peak amplitude on every channel.
std::vector<float> Tone(const PcmFormat& format, double seconds, double hertz, double amplitude);

struct Note {
    int key;
    int startTick;
    int lengthTicks;
    int velocity = 100;
};

struct Melody {
    int ticksPerQuarter = 96;
    int microsecondsPerQuarter = 500000;
    int program = 0;  // General MIDI instrument
    std::vector<Note> notes;
    int endTick = 0;  // the end of the track: the piece's musical length
};

std::vector<uint8_t> EncodeMidi(const Melody& melody);

bool WriteBytes(const std::vector<uint8_t>& bytes, const std::string& path);

}  // namespace assets
