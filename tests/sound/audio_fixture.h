#pragma once
// A shell with a window, the hand-pulled audio device and a fresh data directory whose name
// holds a space; the sound modules are started as the display set-up starts them.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend/headless/headless_audio.h"
#include "shell/fixture.h"
#include "sound_writer.h"

class AudioTest : public ShellTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts sound and MIDI on the current audio device (false: without one).
    void StartSound();
    void WriteDataFile(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string DataPath(const std::string& name) const { return dataDirectory + name; }

    // A WAVE image whose every sample has the same value.
    static std::vector<uint8_t> SteadyWave(const assets::PcmFormat& format, int frames,
                                           float value);
    // A MIDI piece of one short note; its musical end is a quarter of a second in.
    static std::vector<uint8_t> ShortPiece();

    std::string dataDirectory;  // with a trailing slash
};

// The largest magnitude on one channel (0 left, 1 right) of interleaved stereo frames.
float Peak(const std::vector<float>& stereo, int channel);
// Frames in which either channel sounds.
int SoundingFrames(const std::vector<float>& stereo);
