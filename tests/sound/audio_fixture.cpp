#include "sound/audio_fixture.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/mci/mci.h"
#include "sound/sound.h"

void AudioTest::SetUp() {
    ShellTest::SetUp();
    headless::InstallManualAudio(true);
    char pattern[] = "/tmp/kr sound XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dataDirectory = std::string(pattern) + "/";
    headless::SetModulePath(dataDirectory + "kr-tests");
    StartCountingClient();
}

void AudioTest::TearDown() {
    krMidi::Stop();
    krSound::Release();
    krSoundState = krSoundStateRecord{};
    krMidiState = krMidiStateRecord{};
    mci::TakeCommandHistory();
    EXPECT_FALSE(headless::AudioOpen()) << "something still holds the audio device";
    headless::UninstallManualAudio();
    std::filesystem::remove_all(dataDirectory);
    ShellTest::TearDown();
}

void AudioTest::StartSound() {
    krSound::Init();
    krSound::ResetTable();
    krMidi::Init();
}

void AudioTest::WriteDataFile(const std::string& name, const std::vector<uint8_t>& bytes) const {
    ASSERT_TRUE(assets::WriteBytes(bytes, DataPath(name)));
}

std::vector<uint8_t> AudioTest::SteadyWave(const assets::PcmFormat& format, int frames,
                                           float value) {
    const std::vector<float> values(static_cast<size_t>(frames * format.channels), value);
    return assets::EncodeWave(format, assets::PcmSamples(format, values));
}

std::vector<uint8_t> AudioTest::ShortPiece() {
    assets::Melody melody;  // 96 ticks a quarter at 120 a minute: 48 ticks are 0.25 s
    melody.notes.push_back({72, 0, 24, 100});
    melody.endTick = 48;
    return assets::EncodeMidi(melody);
}

float Peak(const std::vector<float>& stereo, int channel) {
    float peak = 0;
    for (size_t i = static_cast<size_t>(channel); i < stereo.size(); i += 2)
        peak = std::max(peak, std::fabs(stereo[i]));
    return peak;
}

int SoundingFrames(const std::vector<float>& stereo) {
    int frames = 0;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
        if (stereo[i] != 0.0f || stereo[i + 1] != 0.0f) ++frames;
    }
    return frames;
}
