// Sound buffers and the mixer, measured on the mixer's output.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
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
        if (directSound != nullptr) directSound->Release();
        EXPECT_FALSE(headless::AudioOpen());
        headless::UninstallManualAudio();
    }

    // A buffer whose samples all hold one value.
    IDirectSoundBuffer* SteadyBuffer(const WAVEFORMATEX& format, int frames, float value,
                                     DWORD flags = kAllControls) {
        const assets::PcmFormat pcm{static_cast<int>(format.nSamplesPerSec), format.nChannels,
                                    format.wBitsPerSample};
        const std::vector<uint8_t> samples = assets::PcmSamples(
            pcm, std::vector<float>(static_cast<size_t>(frames * format.nChannels), value));
        const DSBUFFERDESC description{sizeof(DSBUFFERDESC), flags,
                                       static_cast<DWORD>(samples.size()), 0, &format};
        IDirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
        if (buffer == nullptr) return nullptr;
        void* region = nullptr;
        DWORD bytes = 0;
        EXPECT_EQ(buffer->Lock(0, 0, &region, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER),
                  DS_OK);
        std::memcpy(region, samples.data(), bytes);
        buffer->Unlock(region, bytes, nullptr, 0);
        return buffer;
    }

    IDirectSound* directSound = nullptr;
};

// The gain law over random settings: volume v and pan p in hundredths of a decibel, the pan
// attenuating only the other side, amplitude 10^(dB / 2000); the lowest volume is silence.
TEST_F(BufferTest, VolumeAndPanFollowTheDecibelLaw) {
    IDirectSoundBuffer* buffer = SteadyBuffer(Format(44100, 1, 16), 4096, 0.5f);
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

TEST_F(BufferTest, SettingsOutsideTheirRangesAreRefusedAndChangeNothing) {
    IDirectSoundBuffer* buffer = SteadyBuffer(Format(22050, 1, 16), 64, 0.5f);
    LONG volume = 1, pan = 1;
    DWORD frequency = 0;
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetPan(10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(99), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(100001), DSERR_INVALIDPARAM);
    buffer->GetVolume(&volume);
    buffer->GetPan(&pan);
    buffer->GetFrequency(&frequency);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(pan, 0);
    EXPECT_EQ(frequency, 22050u);

    EXPECT_EQ(buffer->SetFrequency(100000), DS_OK);
    EXPECT_EQ(buffer->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    buffer->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 22050u);
    buffer->Release();
}

TEST_F(BufferTest, DoublingTheFrequencyHalvesTheDuration) {
    IDirectSoundBuffer* buffer = SteadyBuffer(Format(22050, 1, 16), 2205, 0.25f);
    buffer->Play(0, 0, 0);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(8000)), 4410);
    DWORD status = 1;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);

    buffer->SetFrequency(44100);
    buffer->Play(0, 0, 0);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(8000)), 2205);
    buffer->Release();
}

TEST_F(BufferTest, StopKeepsThePositionAndPlayResumesThere) {
    const WAVEFORMATEX format = Format(44100, 2, 16);
    IDirectSoundBuffer* buffer = SteadyBuffer(format, 4000, 0.5f);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    DWORD status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    headless::RenderAudio(1000);
    buffer->Stop();
    DWORD position = 0;
    buffer->GetCurrentPosition(&position, nullptr);
    EXPECT_EQ(position, 1000u * format.nBlockAlign);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(500)), 0);

    // Once, not looping: the rest of the buffer and no more.
    buffer->Play(0, 0, 0);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(8000)), 3000);
    buffer->GetCurrentPosition(&position, nullptr);
    EXPECT_EQ(position, 0u);

    EXPECT_EQ(buffer->SetCurrentPosition(3000 * format.nBlockAlign), DS_OK);
    buffer->Play(0, 0, 0);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(8000)), 1000);
    EXPECT_EQ(buffer->SetCurrentPosition(4001 * format.nBlockAlign), DSERR_INVALIDPARAM);

    // Set at the very end, a playing buffer reads nothing beyond it.
    buffer->Play(0, 0, 0);
    EXPECT_EQ(buffer->SetCurrentPosition(4000 * format.nBlockAlign), DS_OK);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(100)), 0);
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    buffer->Release();
}

TEST_F(BufferTest, LoopingWrapsWithoutAGap) {
    IDirectSoundBuffer* buffer = SteadyBuffer(Format(11025, 1, 8), 100, 0.5f);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(5000)), 5000);
    buffer->Release();
}

TEST_F(BufferTest, SourcesAddUpAndTheSumIsClipped) {
    IDirectSoundBuffer* first = SteadyBuffer(Format(44100, 1, 16), 1000, 0.75f);
    IDirectSoundBuffer* second = SteadyBuffer(Format(44100, 1, 16), 1000, 0.75f);
    first->Play(0, 0, 0);
    second->Play(0, 0, 0);
    const std::vector<float> out = headless::RenderAudio(100);
    EXPECT_EQ(Peak(out, 0), 1.0f);
    EXPECT_EQ(out[0], 1.0f);
    first->Release();
    second->Release();
}

TEST_F(BufferTest, EightBitStereoKeepsItsChannelsApart) {
    const WAVEFORMATEX format = Format(44100, 2, 8);
    const std::vector<uint8_t> samples{255, 0, 255, 0, 255, 0, 255, 0};
    const DSBUFFERDESC description{sizeof(DSBUFFERDESC), kAllControls, 8, 0, &format};
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
    void* region = nullptr;
    DWORD bytes = 0;
    buffer->Lock(0, 8, &region, &bytes, nullptr, nullptr, 0);
    std::memcpy(region, samples.data(), bytes);
    buffer->Unlock(region, bytes, nullptr, 0);
    buffer->Play(0, 0, 0);
    const std::vector<float> out = headless::RenderAudio(4);
    EXPECT_NEAR(out[0], 127 / 128.0f, 1e-6);
    EXPECT_EQ(out[1], -1.0f);
    buffer->Release();
}

TEST_F(BufferTest, LockWrapsIntoASecondRegionAndSilencesTheBufferMeanwhile) {
    IDirectSoundBuffer* buffer = SteadyBuffer(Format(44100, 1, 16), 100, 0.5f);
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    ASSERT_EQ(buffer->Lock(192, 16, &first, &firstBytes, &second, &secondBytes, 0), DS_OK);
    EXPECT_EQ(firstBytes, 8u);
    EXPECT_EQ(secondBytes, 8u);
    EXPECT_EQ(static_cast<char*>(first) - static_cast<char*>(second), 192);

    buffer->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(50)), 0);
    EXPECT_EQ(buffer->Unlock(first, firstBytes, second, secondBytes), DS_OK);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(50)), 50);

    EXPECT_EQ(buffer->Lock(0, 201, &first, &firstBytes, &second, &secondBytes, 0),
              DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(200, 2, &first, &firstBytes, &second, &secondBytes, 0),
              DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(192, 16, &first, &firstBytes, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    int outside = 0;
    EXPECT_EQ(buffer->Unlock(&outside, 4, nullptr, 0), DSERR_INVALIDPARAM);
    buffer->Release();
}

TEST_F(BufferTest, ControlsNeedTheirCreationFlagsAndFormatsAreChecked) {
    IDirectSoundBuffer* plain = SteadyBuffer(Format(22050, 1, 16), 16, 0.1f, DSBCAPS_STATIC);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetFrequency(1000), DSERR_CONTROLUNAVAIL);
    plain->Release();

    IDirectSoundBuffer* buffer = nullptr;
    WAVEFORMATEX format = Format(22050, 3, 16);
    DSBUFFERDESC description{sizeof(DSBUFFERDESC), kAllControls, 600, 0, &format};
    EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_BADFORMAT);
    format = Format(22050, 1, 24);
    EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_BADFORMAT);
    format = Format(50, 1, 16);
    EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_INVALIDPARAM);
    format = Format(22050, 2, 16);
    description.dwBufferBytes = 2;
    EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_INVALIDPARAM);
    description.lpwfxFormat = nullptr;
    EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer, nullptr);

    const DSBUFFERDESC primaryDescription{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0,
                                          nullptr};
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(directSound->CreateSoundBuffer(&primaryDescription, &primary, nullptr), DS_OK);
    void* region = nullptr;
    DWORD bytes = 0;
    EXPECT_EQ(primary->Lock(0, 4, &region, &bytes, nullptr, nullptr, 0), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(primary->SetFrequency(1000), DSERR_CONTROLUNAVAIL);
    primary->Release();
}

TEST_F(BufferTest, TheLastReleaseOfTheDeviceSilencesItsBuffers) {
    IDirectSoundBuffer* buffer = SteadyBuffer(Format(44100, 1, 16), 1000, 0.5f);
    EXPECT_EQ(directSound->AddRef(), 2u);
    EXPECT_EQ(directSound->Release(), 1u);
    EXPECT_EQ(buffer->AddRef(), 2u);
    EXPECT_EQ(buffer->Release(), 1u);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(directSound->Release(), 0u);
    directSound = nullptr;
    EXPECT_FALSE(headless::AudioOpen());

    std::vector<float> out(200, 1.0f);
    mixer::Render(out.data(), 100);
    EXPECT_EQ(SoundingFrames(out), 0);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST(DirectSoundCreate, FailsWithoutAnAudioDevice) {
    headless::InstallManualAudio(false);
    IDirectSound* directSound = reinterpret_cast<IDirectSound*>(1);
    EXPECT_EQ(DirectSoundCreate(nullptr, &directSound, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(directSound, nullptr);
    headless::UninstallManualAudio();

    // The real device, with a driver that does not exist.
    const char* saved = std::getenv("SDL_AUDIODRIVER");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(DirectSoundCreate(nullptr, &directSound, nullptr), DSERR_NODRIVER);
    if (saved != nullptr) {
        setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
}

}  // namespace

namespace {

// The real device's thread mixes while the main thread changes the buffers (run it under a
// thread sanitizer to see races; here it must keep the buffers consistent).
TEST(DirectSoundOnTheDevice, BuffersChangeSafelyWhileTheDeviceMixes) {
    ChooseDummyAudioDriverUnlessChosen();
    IDirectSound* directSound = nullptr;
    if (DirectSoundCreate(nullptr, &directSound, nullptr) != DS_OK) {
        GTEST_SKIP() << "the chosen audio driver opens no device";
    }
    const WAVEFORMATEX format = Format(22050, 2, 16);
    const DSBUFFERDESC description{sizeof(DSBUFFERDESC), kAllControls, 4000, 0, &format};
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
    for (LONG step = 0; std::chrono::steady_clock::now() < end; ++step) {
        buffer->SetVolume(-(step % 100) * 100);
        buffer->SetPan((step % 200 - 100) * 100);
        buffer->SetFrequency(static_cast<DWORD>(1000 + step % 50000));
        buffer->SetCurrentPosition(static_cast<DWORD>(step % 1000) * 4);
        void* region = nullptr;
        DWORD bytes = 0;
        buffer->Lock(0, 4000, &region, &bytes, nullptr, nullptr, 0);
        std::memset(region, static_cast<int>(step & 0x7F), bytes);
        buffer->Unlock(region, bytes, nullptr, 0);
        if (step % 10 == 0) buffer->Stop();
        buffer->Play(0, 0, DSBPLAY_LOOPING);
    }
    DWORD status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    buffer->Release();
    EXPECT_EQ(directSound->Release(), 0u);
}

}  // namespace
