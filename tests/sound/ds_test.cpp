// Sound buffers and the mixer, measured on the mixer's output.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "platform/backend/headless/headless_audio.h"
#include "platform/ds/ds.h"
#include "sound/audio_fixture.h"
#include "sound_writer.h"

namespace {

constexpr DWORD kAllControls =
    DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

WAVEFORMATEX Format(int rate, int channels, int bits) {
    const auto align = static_cast<WORD>(channels * bits / 8);
    return WAVEFORMATEX{{WAVE_FORMAT_PCM, static_cast<WORD>(channels), static_cast<DWORD>(rate),
                         static_cast<DWORD>(rate) * align, align, static_cast<WORD>(bits)},
                        0};
}

class BufferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::InstallManualAudio(true);
        ASSERT_EQ(DirectSoundCreate(nullptr, &directSound, nullptr), DS_OK);
    }
    void TearDown() override {
        directSound->Release();
        EXPECT_FALSE(headless::AudioOpen());
        headless::UninstallManualAudio();
    }
    // A buffer of the format whose every sample holds one value.
    IDirectSoundBuffer* Steady(const WAVEFORMATEX& format, int frames, float value) {
        const assets::PcmFormat pcm{static_cast<int>(format.nSamplesPerSec), format.nChannels,
                                    format.wBitsPerSample};
        const std::vector<uint8_t> samples = assets::PcmSamples(
            pcm, std::vector<float>(static_cast<size_t>(frames * format.nChannels), value));
        const DSBUFFERDESC description{sizeof(DSBUFFERDESC), kAllControls,
                                       static_cast<DWORD>(samples.size()), 0, &format};
        IDirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
        void* region = nullptr;
        DWORD bytes = 0;
        buffer->Lock(0, 0, &region, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
        std::memcpy(region, samples.data(), bytes);
        buffer->Unlock(region, bytes, nullptr, 0);
        return buffer;
    }

    IDirectSound* directSound = nullptr;
};

// The gain law over random settings: volume v and pan p in hundredths of a decibel, the pan
// attenuating only the other side, amplitude 10^(dB / 2000); the lowest volume is silence.
TEST_F(BufferTest, VolumeAndPanFollowTheDecibelLaw) {
    IDirectSoundBuffer* buffer = Steady(Format(44100, 1, 16), 4096, 0.5f);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    std::mt19937 random(11);
    for (int i = 0; i < 200; ++i) {
        const auto volume = static_cast<LONG>(i == 0 ? 0 : -static_cast<LONG>(random() % 10001));
        const LONG pan = i < 3 ? (i - 1) * 10000 : static_cast<LONG>(random() % 20001) - 10000;
        ASSERT_EQ(buffer->SetVolume(volume), DS_OK);
        ASSERT_EQ(buffer->SetPan(pan), DS_OK);
        const std::vector<float> out = headless::RenderAudio(64);
        const double left = 0.5 * std::pow(10.0, (volume - std::max(pan, LONG{0})) / 2000.0);
        const double right = 0.5 * std::pow(10.0, (volume + std::min(pan, LONG{0})) / 2000.0);
        EXPECT_NEAR(Peak(out, 0), left, 1e-3 * left + 2e-5) << volume << " " << pan;
        EXPECT_NEAR(Peak(out, 1), right, 1e-3 * right + 2e-5) << volume << " " << pan;
        // -100 dB is silence.
        EXPECT_TRUE(pan != DSBPAN_LEFT || Peak(out, 1) == 0.0f);
        EXPECT_TRUE(pan != DSBPAN_RIGHT || Peak(out, 0) == 0.0f);
    }
    buffer->SetVolume(DSBVOLUME_MIN);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(256)), 0);
    buffer->Release();
}

// How long a buffer sounds in 8000 frames of the 44100 Hz mix, by its rate, the frequency it is
// played at, the frame it is put at once playing, and looping.
TEST_F(BufferTest, RateFrequencyPositionAndLoopingDecideHowLongItSounds) {
    const struct {
        int rate, channels, bits, frames;
        DWORD frequency, startFrame, flags;
        int sounding;
    } kCases[] = {{22050, 1, 16, 2205, 22050, 0, 0, 4410},
                  {22050, 1, 16, 2205, 44100, 0, 0, 2205},
                  {44100, 2, 16, 4000, 44100, 3000, 0, 1000},
                  {44100, 2, 16, 4000, 44100, 4000, 0, 0},  // at the very end: nothing beyond
                  {11025, 1, 8, 100, 11025, 0, DSBPLAY_LOOPING, 8000}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.rate << " " << c.frequency << " " << c.startFrame);
        const WAVEFORMATEX format = Format(c.rate, c.channels, c.bits);
        IDirectSoundBuffer* buffer = Steady(format, c.frames, 0.25f);
        buffer->Play(0, 0, c.flags);
        EXPECT_EQ(buffer->SetFrequency(c.frequency), DS_OK);
        EXPECT_EQ(buffer->SetCurrentPosition(c.startFrame * format.nBlockAlign), DS_OK);
        EXPECT_EQ(SoundingFrames(headless::RenderAudio(8000)), c.sounding);
        DWORD status = 0;
        buffer->GetStatus(&status);
        EXPECT_EQ(status, c.flags != 0 ? DSBSTATUS_PLAYING | DSBSTATUS_LOOPING : 0u);
        buffer->Release();
    }
}

// An 8-bit sample of 255 is 127/128 of full scale; what sources add up to beyond it is clipped.
TEST_F(BufferTest, EightBitSamplesConvertAndTheSumIsClipped) {
    IDirectSoundBuffer* eightBit = Steady(Format(44100, 2, 8), 4, 1.0f);
    IDirectSoundBuffer* sixteenBit = Steady(Format(44100, 1, 16), 100, 0.5f);
    eightBit->Play(0, 0, 0);
    EXPECT_EQ(headless::RenderAudio(2), std::vector<float>(4, 127 / 128.0f));
    sixteenBit->Play(0, 0, 0);
    EXPECT_EQ(headless::RenderAudio(1), std::vector<float>(2, 1.0f));
    eightBit->Release();
    sixteenBit->Release();
}

}  // namespace
