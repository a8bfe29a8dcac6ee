#include "sound_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace assets {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(tag[i]));
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>((value >> shift) & 0xFF));
}

void PutVariableLength(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

struct Event {
    int tick;
    std::vector<uint8_t> bytes;
};

std::vector<Event> NoteEvents(const Melody& melody) {
    std::vector<Event> events;
    for (const Note& note : melody.notes) {
        const auto key = static_cast<uint8_t>(note.key);
        events.push_back({note.startTick, {0x90, key, static_cast<uint8_t>(note.velocity)}});
        events.push_back({note.startTick + note.lengthTicks, {0x80, key, 0}});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });
    return events;
}

}  // namespace

std::vector<uint8_t> EncodeWave(const PcmFormat& format, const std::vector<uint8_t>& samples) {
    const auto blockAlign = static_cast<uint32_t>(format.channels * format.bits / 8);
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, static_cast<uint32_t>(36 + samples.size()));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(format.channels));
    Put32(out, static_cast<uint32_t>(format.rate));
    Put32(out, static_cast<uint32_t>(format.rate) * blockAlign);
    Put16(out, blockAlign);
    Put16(out, static_cast<uint32_t>(format.bits));
    PutTag(out, "data");
    Put32(out, static_cast<uint32_t>(samples.size()));
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

std::vector<uint8_t> PcmSamples(const PcmFormat& format, const std::vector<float>& values) {
    std::vector<uint8_t> out;
    for (float value : values) {
        const double clamped = std::clamp(static_cast<double>(value), -1.0, 1.0);
        if (format.bits == 8) {
            out.push_back(static_cast<uint8_t>(std::lround(128 + clamped * 127)));
        } else {
            Put16(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(clamped * 32767))));
        }
    }
    return out;
}

std::vector<float> Tone(const PcmFormat& format, double seconds, double hertz, double amplitude) {
    const auto frames = static_cast<size_t>(seconds * format.rate);
    std::vector<float> values;
    for (size_t frame = 0; frame < frames; ++frame) {
        const double phase =
            2 * std::numbers::pi * hertz * static_cast<double>(frame) / format.rate;
        for (int channel = 0; channel < format.channels; ++channel)
            values.push_back(static_cast<float>(amplitude * std::sin(phase)));
    }
    return values;
}

std::vector<uint8_t> EncodeMidi(const Melody& melody) {
    std::vector<uint8_t> track;
    auto event = [&track](int delta, std::initializer_list<uint8_t> bytes) {
        PutVariableLength(track, static_cast<uint32_t>(delta));
        track.insert(track.end(), bytes);
    };
    const auto tempo = static_cast<uint32_t>(melody.microsecondsPerQuarter);
    event(0, {0xFF, 0x51, 0x03, static_cast<uint8_t>(tempo >> 16),
              static_cast<uint8_t>((tempo >> 8) & 0xFF), static_cast<uint8_t>(tempo & 0xFF)});
    event(0, {0xC0, static_cast<uint8_t>(melody.program)});
    int tick = 0;
    for (const Event& note : NoteEvents(melody)) {
        PutVariableLength(track, static_cast<uint32_t>(note.tick - tick));
        track.insert(track.end(), note.bytes.begin(), note.bytes.end());
        tick = note.tick;
    }
    event(std::max(0, melody.endTick - tick), {0xFF, 0x2F, 0x00});

    std::vector<uint8_t> out;
    PutTag(out, "MThd");
    PutBigEndian(out, 6, 4);
    PutBigEndian(out, 0, 2);  // one track
    PutBigEndian(out, 1, 2);
    PutBigEndian(out, static_cast<uint32_t>(melody.ticksPerQuarter), 2);
    PutTag(out, "MTrk");
    PutBigEndian(out, static_cast<uint32_t>(track.size()), 4);
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

bool WriteBytes(const std::vector<uint8_t>& bytes, const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace assets
