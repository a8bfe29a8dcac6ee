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
    // A 44100 Hz buffer whose every sample holds one value.
    IDirectSoundBuffer* Steady(WORD channels, WORD bits, int frames, float value) {
        const auto align = static_cast<WORD>(channels * bits / 8);
        const WAVEFORMATEX format{{WAVE_FORMAT_PCM, channels, 44100, 44100u * align, align, bits},
                                  0};
        const std::vector<uint8_t> samples =
            assets::PcmSamples({44100, channels, bits},
                               std::vector<float>(static_cast<size_t>(frames * channels), value));
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
    IDirectSoundBuffer* buffer = Steady(1, 16, 4096, 0.5f);
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

// An 8-bit sample of 255 is 127/128 of full scale, a loop wraps without a gap, and what sources
// add up to beyond full scale is clipped.
TEST_F(BufferTest, EightBitSamplesConvertAndTheSumIsClipped) {
    IDirectSoundBuffer* eightBit = Steady(2, 8, 4, 1.0f);
    IDirectSoundBuffer* sixteenBit = Steady(1, 16, 100, 0.5f);
    eightBit->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(headless::RenderAudio(6), std::vector<float>(12, 127 / 128.0f));
    sixteenBit->Play(0, 0, 0);
    EXPECT_EQ(headless::RenderAudio(1), std::vector<float>(2, 1.0f));
    eightBit->Release();
    sixteenBit->Release();
}

}  // namespace
