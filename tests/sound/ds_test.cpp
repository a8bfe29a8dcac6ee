// Sound buffers and the mixer, measured on the mixer's output.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <tuple>

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

// A buffer of the format whose every sample holds one value (null when it cannot be made).
IDirectSoundBuffer* SteadyBuffer(IDirectSound* directSound, const WAVEFORMATEX& format, int frames,
                                 float value, DWORD flags = kAllControls) {
    const assets::PcmFormat pcm{static_cast<int>(format.nSamplesPerSec), format.nChannels,
                                format.wBitsPerSample};
    const std::vector<uint8_t> samples = assets::PcmSamples(
        pcm, std::vector<float>(static_cast<size_t>(frames * format.nChannels), value));
    const DSBUFFERDESC description{sizeof(DSBUFFERDESC), flags, static_cast<DWORD>(samples.size()),
                                   0, &format};
    IDirectSoundBuffer* buffer = nullptr;
    void* region = nullptr;
    DWORD bytes = 0;
    if (directSound->CreateSoundBuffer(&description, &buffer, nullptr) != DS_OK ||
        buffer->Lock(0, 0, &region, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER) != DS_OK) {
        return buffer;
    }
    std::memcpy(region, samples.data(), bytes);
    buffer->Unlock(region, bytes, nullptr, 0);
    return buffer;
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
    IDirectSoundBuffer* Steady(const WAVEFORMATEX& format, int frames, float value,
                               DWORD flags = kAllControls) {
        return SteadyBuffer(directSound, format, frames, value, flags);
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

TEST_F(BufferTest, EightBitStereoKeepsItsChannelsApartAndTheSumIsClipped) {
    IDirectSoundBuffer* stereo = Steady(Format(44100, 2, 8), 4, 0.0f);
    void* region = nullptr;
    DWORD bytes = 0;
    stereo->Lock(0, 8, &region, &bytes, nullptr, nullptr, 0);
    std::memcpy(region, std::vector<uint8_t>{255, 0, 255, 0, 255, 0, 255, 0}.data(), bytes);
    stereo->Unlock(region, bytes, nullptr, 0);
    IDirectSoundBuffer* mono = Steady(Format(44100, 1, 16), 100, 0.5f);
    stereo->Play(0, 0, 0);
    EXPECT_EQ(headless::RenderAudio(2), (std::vector<float>{127 / 128.0f, -1, 127 / 128.0f, -1}));
    mono->Play(0, 0, 0);
    const std::vector<float> sum = headless::RenderAudio(1);
    EXPECT_EQ(sum[0], 1.0f);
    EXPECT_NEAR(sum[1], -0.5f, 1e-4);
    stereo->Release();
    mono->Release();
}

TEST_F(BufferTest, LockWrapsIntoASecondRegionAndSilencesTheBufferMeanwhile) {
    IDirectSoundBuffer* buffer = Steady(Format(44100, 1, 16), 100, 0.5f);
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
    buffer->Release();
}

// Refused calls answer their errors and change nothing.
TEST_F(BufferTest, CallsOutsideTheRulesAnswerTheirErrors) {
    IDirectSoundBuffer* buffer = Steady(Format(22050, 1, 16), 100, 0.5f);
    IDirectSoundBuffer* plain = Steady(Format(22050, 1, 16), 16, 0.1f, DSBCAPS_STATIC);
    void* first = nullptr;
    DWORD bytes = 0;
    int outside = 0;
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetPan(10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(99), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(100001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetCurrentPosition(201), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(0, 201, &first, &bytes, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(200, 2, &first, &bytes, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(192, 16, &first, &bytes, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(&outside, 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetFrequency(1000), DSERR_CONTROLUNAVAIL);
    LONG volume = 1, pan = 1;
    DWORD frequency = 0;
    buffer->GetVolume(&volume);
    buffer->GetPan(&pan);
    buffer->GetFrequency(&frequency);
    EXPECT_EQ(std::make_tuple(volume, pan, frequency), std::make_tuple(0, 0, 22050u));
    plain->Release();
    buffer->Release();

    const struct {
        int rate, channels, bits;
        DWORD bytes;
        HRESULT error;
    } kFormats[] = {{22050, 3, 16, 600, DSERR_BADFORMAT},
                    {22050, 1, 24, 600, DSERR_BADFORMAT},
                    {50, 1, 16, 600, DSERR_INVALIDPARAM},
                    {22050, 2, 16, 2, DSERR_INVALIDPARAM}};
    for (const auto& c : kFormats) {
        const WAVEFORMATEX format = Format(c.rate, c.channels, c.bits);
        const DSBUFFERDESC description{sizeof(DSBUFFERDESC), kAllControls, c.bytes, 0, &format};
        EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), c.error);
        EXPECT_EQ(buffer, nullptr);
    }
    const DSBUFFERDESC primaryDescription{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0,
                                          nullptr};
    ASSERT_EQ(directSound->CreateSoundBuffer(&primaryDescription, &buffer, nullptr), DS_OK);
    EXPECT_EQ(buffer->Lock(0, 4, &first, &bytes, nullptr, nullptr, 0), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(buffer->SetFrequency(1000), DSERR_CONTROLUNAVAIL);
    buffer->Release();
}

TEST_F(BufferTest, TheLastReleaseOfTheDeviceSilencesItsBuffers) {
    IDirectSoundBuffer* buffer = Steady(Format(44100, 1, 16), 1000, 0.5f);
    EXPECT_EQ(directSound->AddRef(), 2u);
    EXPECT_EQ(directSound->Release(), 1u);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(directSound->Release(), 0u);
    directSound = nullptr;
    EXPECT_FALSE(headless::AudioOpen());
    std::vector<float> out(200, 1.0f);
    mixer::Render(out.data(), 100);
    EXPECT_EQ(SoundingFrames(out), 0);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST(DirectSoundCreate, FailsWhenTheAudioDriverDoesNotExist) {
    const char* saved = std::getenv("SDL_AUDIODRIVER");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    IDirectSound* directSound = reinterpret_cast<IDirectSound*>(1);
    EXPECT_EQ(DirectSoundCreate(nullptr, &directSound, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(directSound, nullptr);
    saved != nullptr ? setenv("SDL_AUDIODRIVER", previous.c_str(), 1) : unsetenv("SDL_AUDIODRIVER");
}

// The real device's thread mixes while the main thread changes the buffer (a thread sanitizer
// sees races; here every change must leave the buffer whole).
TEST(DirectSoundOnTheDevice, BuffersChangeSafelyWhileTheDeviceMixes) {
    ChooseDummyAudioDriverUnlessChosen();
    IDirectSound* directSound = nullptr;
    if (DirectSoundCreate(nullptr, &directSound, nullptr) != DS_OK) {
        GTEST_SKIP() << "the chosen audio driver opens no device";
    }
    IDirectSoundBuffer* buffer = SteadyBuffer(directSound, Format(22050, 2, 16), 1000, 0.5f);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
    for (LONG step = 0; std::chrono::steady_clock::now() < end; ++step) {
        buffer->SetVolume(-(step % 100) * 100);
        buffer->SetPan((step % 200 - 100) * 100);
        buffer->SetFrequency(static_cast<DWORD>(1000 + step % 50000));
        buffer->SetCurrentPosition(static_cast<DWORD>(step % 1000) * 4);
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
