// krSound: the sound table, buffer selection, clamping, loading and release.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <tuple>

#include "platform/mci/mci.h"
#include "platform/win/resources.h"
#include "sound/audio_fixture.h"
#include "sound/sound.h"

namespace {

class SoundTest : public AudioTest {
  protected:
    void SetUp() override {
        AudioTest::SetUp();
        StartSound();
        WriteDataFile("beep.wav", SteadyWave({22050, 1, 16}, 2205, 0.5f));
    }

    static krSoundSlot& Slot(int32_t sound) { return krSoundState.slots[sound]; }
    static krSoundBuffer& Entry(int32_t sound, int32_t buffer) {
        return Slot(sound).buffers[buffer];
    }
    // The buffer's status and play position in bytes.
    static std::pair<DWORD, DWORD> State(int32_t sound, int32_t buffer) {
        std::pair<DWORD, DWORD> state{0, 0};
        Entry(sound, buffer).buffer->GetStatus(&state.first);
        Entry(sound, buffer).buffer->GetCurrentPosition(&state.second, nullptr);
        return state;
    }
    // The buffer holds what the table says it was given.
    static void ExpectBufferMatchesTable(int32_t sound, int32_t buffer) {
        const krSoundBuffer& entry = Entry(sound, buffer);
        ASSERT_NE(entry.buffer, nullptr);
        LONG volume = 1, pan = 1;
        DWORD frequency = 0;
        entry.buffer->GetVolume(&volume);
        entry.buffer->GetPan(&pan);
        entry.buffer->GetFrequency(&frequency);
        EXPECT_EQ(std::make_tuple(volume, pan, frequency),
                  std::make_tuple(entry.volume, entry.pan, entry.frequency));
    }
};

TEST_F(SoundTest, LoadFillsTheLowestFreeSlotAndFreeEmptiesIt) {
    EXPECT_EQ(krSound::LoadObject("beep.wav", 3), 0);
    EXPECT_EQ(krSound::LoadObject("beep.wav", 0), 1);  // counts outside 1 to 10 kept inside
    EXPECT_EQ(krSound::LoadObject("beep.wav", 11), 2);
    EXPECT_EQ(std::make_tuple(Slot(1).bufferCount, Slot(2).bufferCount, Slot(0).baseFrequency),
              std::make_tuple(1, 10, 22050u));
    EXPECT_EQ(Entry(0, 2).frequency, 22050u);

    krSound::Play(0, -1);
    krSound::FreeObject(0);
    EXPECT_EQ(std::make_tuple(Slot(0).inUse, Slot(0).bufferCount, Slot(0).baseFrequency,
                              Entry(0, 2).frequency, Entry(0, 2).buffer == nullptr),
              std::make_tuple(0, 1, 0u, 0u, true));
    EXPECT_STREQ(Slot(0).name, "");
    EXPECT_EQ(krSound::LoadObject("beep.wav", 2), 0);
    EXPECT_EQ(Slot(0).nextBuffer, 0) << "a fresh load starts the turn again";
}

TEST_F(SoundTest, RoundRobinStartsEachBufferInTurnFromTheBeginning) {
    const int32_t sound = krSound::LoadObject("beep.wav", 3);
    for (int32_t play = 0; play < 3; ++play) {
        krSound::Play(sound, -1);
        headless::RenderAudio(100);
    }
    EXPECT_EQ(Slot(sound).nextBuffer, 0);
    // Three renders at half speed, two bytes a frame.
    EXPECT_EQ(State(sound, 0), std::make_pair(DSBSTATUS_PLAYING, 2u * 150));

    // The fourth play cuts the first buffer off and starts it again.
    krSound::Play(sound, -7);
    EXPECT_EQ(std::make_tuple(State(sound, 0), State(sound, 1), State(sound, 2).first,
                              Slot(sound).nextBuffer),
              std::make_tuple(std::make_pair(DSBSTATUS_PLAYING, 0u),
                              std::make_pair(DSBSTATUS_PLAYING, 2u * 100), DSBSTATUS_PLAYING, 1));

    krSound::PlayLoop(sound, -1);
    EXPECT_EQ(State(sound, 1), std::make_pair(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING, 0u));
    krSound::Stop(sound, -1);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(State(sound, i), std::make_pair(0u, 0u));
}

// The setting laws, written from their arithmetic: client units times 100, formed without
// wrapping, clamped to the buffer's range; -2 picks the next round-robin buffer, any other
// negative selector every buffer, one beyond the sound's buffers none.
struct Settings {
    int64_t volume = 0, pan = 0, frequency = 22050;
    bool operator==(const Settings&) const = default;
};

Settings Of(const krSoundBuffer& entry) {
    return {entry.volume, entry.pan, entry.frequency};
}

int64_t Clamp(int64_t value, int64_t low, int64_t high) {
    return value < low ? low : value > high ? high : value;
}

// Each setting operation beside its law on one buffer's settings (value in client units).
struct SettingOperation {
    void (*call)(int32_t sound, int32_t value, int32_t selector);
    void (*law)(int64_t step, Settings& s);  // step: the value times 100
};

const SettingOperation kSettingOperations[] = {
    {[](int32_t n, int32_t v, int32_t b) { krSound::SetVolume(n, v, b); },
     [](int64_t step, Settings& s) { s.volume = Clamp(step, -10000, 0); }},
    {[](int32_t n, int32_t v, int32_t b) { krSound::AddVolume(n, v, b); },
     [](int64_t step, Settings& s) { s.volume = Clamp(s.volume + step, -10000, 0); }},
    {[](int32_t n, int32_t, int32_t b) { krSound::ResetVolume(n, b); },
     [](int64_t, Settings& s) { s.volume = 0; }},
    {[](int32_t n, int32_t v, int32_t b) { krSound::SetPan(n, v, b); },
     [](int64_t step, Settings& s) { s.pan = Clamp(step, -10000, 10000); }},
    {[](int32_t n, int32_t v, int32_t b) { krSound::AddPan(n, v, b); },
     [](int64_t step, Settings& s) { s.pan = Clamp(s.pan + step, -10000, 10000); }},
    {[](int32_t n, int32_t, int32_t b) { krSound::CenterPan(n, b); },
     [](int64_t, Settings& s) { s.pan = 0; }},
    {[](int32_t n, int32_t, int32_t b) { krSound::PanLeft(n, b); },
     [](int64_t, Settings& s) { s.pan = -10000; }},
    {[](int32_t n, int32_t, int32_t b) { krSound::PanRight(n, b); },
     [](int64_t, Settings& s) { s.pan = 10000; }},
    {[](int32_t n, int32_t v, int32_t b) { krSound::SetFrequency(n, v, b); },
     [](int64_t step, Settings& s) { s.frequency = Clamp(22050 + step, 100, 100000); }},
    {[](int32_t n, int32_t v, int32_t b) { krSound::AddFrequency(n, v, b); },
     [](int64_t step, Settings& s) { s.frequency = Clamp(s.frequency + step, 100, 100000); }},
    {[](int32_t n, int32_t, int32_t b) { krSound::ResetFrequency(n, b); },
     [](int64_t, Settings& s) { s.frequency = 22050; }},
};

TEST_F(SoundTest, SettingsFollowTheirLawsForEverySelector) {
    const int32_t sound = krSound::LoadObject("beep.wav", 3);
    Settings expected[3];
    std::mt19937 random(17);
    const int32_t extremes[] = {INT32_MIN, INT32_MAX, -200, 150, 0};
    const int32_t kUnused[] = {1, 69, 70, -1, INT32_MAX};  // free or no slot numbers
    for (int call = 0; call < 3000; ++call) {
        const SettingOperation& operation = kSettingOperations[random() % 11];
        const int32_t value =
            random() % 8 == 0 ? extremes[random() % 5] : static_cast<int32_t>(random() % 401) - 200;
        const int32_t selector = static_cast<int32_t>(random() % 7) - 3;  // -3 to 3
        if (call % 7 == 0) {
            krSound::Play(sound, -1);  // moves the round robin on
            krSound::Play(kUnused[random() % 5], -1);
            krSound::FreeObject(kUnused[random() % 5]);
        }
        const int32_t next = Slot(sound).nextBuffer;
        operation.call(sound, value, selector);
        operation.call(kUnused[random() % 5], value, selector);
        for (int32_t i = 0; i < 3; ++i) {
            if (selector == i || (selector == -2 && i == next) || (selector < 0 && selector != -2))
                operation.law(int64_t{value} * 100, expected[i]);
            ASSERT_EQ(Of(Entry(sound, i)), expected[i]) << call << " " << i;
        }
        ASSERT_EQ(Slot(sound).nextBuffer, next) << "settings do not move the turn on";
    }
    for (int32_t i = 0; i < 3; ++i)
        ExpectBufferMatchesTable(sound, i);
    // A free slot is left alone, and the buffers beyond the count are no one's.
    EXPECT_EQ(std::make_tuple(Of(Entry(1, 0)), Slot(1).nextBuffer, Of(Entry(sound, 3))),
              std::make_tuple(Settings{0, 0, 0}, 0, Settings{0, 0, 0}));
}

TEST_F(SoundTest, PauseStopsALoopAndResumesItOnce) {
    const int32_t sound = krSound::LoadObject("beep.wav", 1);
    krSound::Play(sound, 1);  // beyond the sound's one buffer: nothing
    EXPECT_EQ(State(sound, 0).first, 0u);
    krSound::PlayLoop(sound, 0);
    headless::RenderAudio(1000);
    krSound::Pause(sound, -1);
    EXPECT_EQ(State(sound, 0), std::make_pair(0u, 2u * 500));
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(100)), 0);

    krSound::Pause(sound, -1);
    EXPECT_EQ(State(sound, 0), std::make_pair(DSBSTATUS_PLAYING, 2u * 500));
    // The rest of the sound, at half speed, and then silence.
    const std::vector<float> rest = headless::RenderAudio(10000);
    EXPECT_EQ(SoundingFrames(rest), 2 * (2205 - 500));
    EXPECT_NEAR(Peak(rest, 0), 0.5f, 1e-3) << "the samples as the file holds them";
    EXPECT_EQ(State(sound, 0).first, 0u);
}

// The gain law over random settings: volume v and pan p in decibels, the pan attenuating only
// the other side, amplitude 10^(dB / 20); the lowest volume is silence.
using BufferTest = SoundTest;

TEST_F(BufferTest, VolumeAndPanFollowTheDecibelLaw) {
    const int32_t sound = krSound::LoadObject("beep.wav", 1);
    krSound::PlayLoop(sound, 0);
    std::mt19937 random(11);
    for (int i = 0; i < 200; ++i) {
        const int32_t volume = i == 0 ? 0 : -static_cast<int32_t>(random() % 101);
        const int32_t pan = i < 3 ? (i - 1) * 100 : static_cast<int32_t>(random() % 201) - 100;
        krSound::SetVolume(sound, volume, 0);
        krSound::SetPan(sound, pan, 0);
        const std::vector<float> out = headless::RenderAudio(64);
        const double left = 0.5 * std::pow(10.0, (volume - std::max(pan, 0)) / 20.0);
        const double right = 0.5 * std::pow(10.0, (volume + std::min(pan, 0)) / 20.0);
        EXPECT_NEAR(Peak(out, 0), left, 1e-3 * left + 2e-5) << volume << " " << pan;
        EXPECT_NEAR(Peak(out, 1), right, 1e-3 * right + 2e-5) << volume << " " << pan;
        EXPECT_TRUE((pan != -100 || Peak(out, 1) == 0.0f) && (pan != 100 || Peak(out, 0) == 0.0f));
    }
    krSound::SetVolume(sound, -100, 0);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(256)), 0);
}

// An 8-bit sample of 255 is 127/128 of full scale, a loop wraps without a gap, and what sounds
// add up to beyond full scale is clipped.
TEST_F(BufferTest, EightBitSamplesConvertAndTheSumIsClipped) {
    WriteDataFile("loud.wav", SteadyWave({44100, 2, 8}, 4, 1.0f));
    krSound::PlayLoop(krSound::LoadObject("loud.wav", 1), 0);
    EXPECT_EQ(headless::RenderAudio(6), std::vector<float>(12, 127 / 128.0f));
    krSound::Play(krSound::LoadObject("beep.wav", 1), 0);
    EXPECT_EQ(headless::RenderAudio(1), std::vector<float>(2, 1.0f));
}

// What each name loads as: a file, else a resource of that name; a WAVE image's size is cut to
// the bytes its resource holds. A failure takes no slot and names itself; a 71st sound is one.
TEST_F(SoundTest, EachLoadSucceedsOrIsRefusedWithItsMessage) {
    static const std::vector<uint8_t> image = SteadyWave({11025, 1, 16}, 500, 0.25f);
    static const win::Resource resources[] = {{"noise.wav", "WAVE", image.data(), image.size()},
                                              {"data only", "RCDATA", image.data(), image.size()},
                                              {"stub", "WAVE", image.data(), 43},
                                              {"overlong", "WAVE", image.data(), 60}};
    win::RegisterResources(resources, 4);
    WriteDataFile("noise.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'});
    // A format the mixer cannot play, and one whose buffer cannot be made (its block size
    // contradicts it).
    for (const auto& [name, offset, value] : {std::tuple{"five channels.wav", 22, 5},
                                              {"twelve bits.wav", 34, 12},
                                              {"three bytes a frame.wav", 32, 3}}) {
        std::vector<uint8_t> file = SteadyWave({22050, 1, 16}, 100, 0.1f);
        file[offset] = static_cast<uint8_t>(value);
        WriteDataFile(name, file);
    }
    const std::string tooLong = std::string(27, 'n') + ".wav";
    WriteDataFile(tooLong, SteadyWave({8000, 1, 8}, 100, 0.1f));
    const struct {
        std::string name;
        bool loads;
        std::string message;
    } kCases[] = {{"noise.wav", true, ""},
                  {"data only", true, ""},
                  {"overlong", true, ""},
                  {"stub", false, "WAVEリソースが見つかりません"},
                  {"nowhere.wav", false, "WAVEリソースが見つかりません"},
                  {"five channels.wav", false, "再生できないWAVE形式です"},
                  {"twelve bits.wav", false, "再生できないWAVE形式です"},
                  {"three bytes a frame.wav", false, "サウンドバッファが生成できません"},
                  {tooLong, true, "ファイル名またはリソース名が長すぎます"}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        krSound::ResetTable();
        krSound::LoadObject("beep.wav", 1);
        headless::ClearBoxes();
        EXPECT_EQ(krSound::LoadObject(c.name.c_str(), 4), c.loads && c.message.empty() ? 1 : 0);
        EXPECT_EQ(ErrorTexts(), c.message.empty() ? std::vector<std::string>{}
                                                  : std::vector<std::string>{
                                                        "krSound::LoadObject : " + c.message});
        EXPECT_EQ(
            std::make_tuple(Slot(1).inUse, Slot(1).bufferCount, Entry(1, 0).buffer != nullptr),
            c.loads ? std::make_tuple(1, 4, true) : std::make_tuple(0, 1, false));
        EXPECT_STREQ(Slot(1).name, c.loads && c.message.empty() ? c.name.c_str() : "");
    }
    EXPECT_EQ(krSound::LoadObject("overlong", 1), 2);
    krSound::Play(2, 0);
    EXPECT_EQ(SoundingFrames(headless::RenderAudio(1000)), 8 * 4);

    headless::ClearBoxes();
    for (int32_t i = 3; i < krSoundSlotCount; ++i)
        ASSERT_EQ(krSound::LoadObject("beep.wav", 1), i);
    EXPECT_EQ(krSound::LoadObject("beep.wav", 1), 0);
    EXPECT_EQ(ErrorTexts(),
              std::vector<std::string>{"krSound::LoadObject : オブジェクト数が多すぎます"});
}

// A rebuild keeps each sound's slot, turn and settings.
TEST_F(SoundTest, ReleaseAndRestoreGiveEverySoundBackItsSettings) {
    krSound::LoadObject("beep.wav", 1);
    const int32_t sound = krSound::LoadObject("beep.wav", 3);
    krSound::Play(sound, -1);
    krSound::SetVolume(sound, -12, 0);
    krSound::AddFrequency(sound, 30, 2);
    krSound::SetPan(0, -70, 0);

    krSound::Release();
    EXPECT_TRUE(Entry(sound, 0).buffer == nullptr && !headless::AudioOpen());
    krSound::SetPan(sound, 40, 1);  // stored while there is no buffer to give it to

    krSound::Restore();
    EXPECT_EQ(std::make_tuple(Slot(sound).nextBuffer, Entry(sound, 0).volume, Entry(sound, 1).pan,
                              Entry(sound, 2).frequency, Entry(0, 0).pan),
              std::make_tuple(1, -1200, 4000, 25050u, -7000));
    for (int32_t i = 0; i < 3; ++i)
        ExpectBufferMatchesTable(sound, i);
    ExpectBufferMatchesTable(0, 0);
    EXPECT_TRUE(Slot(sound).name == std::string("beep.wav") && headless::Boxes().empty());
}

TEST_F(SoundTest, PlayWaveFilePlaysThroughTheRealDeviceAndRestores) {
    // The real device (the dummy driver in tests) plays in real time.
    krSound::Release();
    headless::UninstallManualAudio();
    setenv("SDL_AUDIODRIVER", "dummy", 0);  // unless the environment names a driver
    if (krSound::Init() == 0) GTEST_SKIP() << "the chosen audio driver opens no device";
    const int32_t sound = krSound::LoadObject("beep.wav", 2);
    krSound::SetPan(sound, 25, 1);
    WriteDataFile("short.wav", SteadyWave({22050, 1, 8}, 441, 0.2f));

    const int beeps = headless::BeepCount();
    krSound::PlayWaveFile(DataPath("short.wav").c_str());
    krSound::PlayWaveFile(DataPath("missing.wav").c_str());  // sounds the default beep instead
    EXPECT_EQ(headless::BeepCount(), beeps + 1);
    EXPECT_EQ(Entry(sound, 1).pan, 2500);
    ExpectBufferMatchesTable(sound, 1);
}

// A name that only its cut-off start would find is missing, however long the data path.
TEST_F(SoundTest, AMissingFileBehindALongPathIsNotTakenForItsPrefix) {
    const std::string deep = std::string(250 - dataDirectory.size(), 'd') + "/";
    std::filesystem::create_directory(DataPath(deep));
    headless::SetModulePath(DataPath(deep) + "kr-tests");
    ASSERT_EQ(std::strlen(krSystem::GetDataPath(0)), 251u);
    WriteDataFile(deep + "beep.wav", SteadyWave({22050, 1, 16}, 2205, 0.5f));
    EXPECT_EQ(std::make_pair(krSound::LoadObject("beep.wav_missing_file.wav", 1), Slot(0).inUse),
              std::make_pair(0, 0));
    EXPECT_EQ(std::make_pair(krSound::LoadObject("beep.wav", 1), Slot(0).inUse),
              std::make_pair(0, 1))
        << "the real name still loads";
}

// After a quit the table stays for a later restore but nothing loads; without a device nothing
// loads or sounds at all, and nothing complains.
TEST_F(SoundTest, AfterQuitOrWithoutAnAudioDeviceEverythingIsSilent) {
    krSound::LoadObject("beep.wav", 1);
    krSystem::Quit();
    EXPECT_FALSE(headless::AudioOpen());
    EXPECT_EQ(krSound::LoadObject("beep.wav", 1), 0);
    EXPECT_EQ(std::make_pair(Slot(0).inUse, Slot(1).inUse), std::make_pair(1, 0));
    headless::InstallManualAudio(false);
    EXPECT_EQ(krSound::Init(), 0);
    krSound::ResetTable();
    EXPECT_EQ(krSound::LoadObject("beep.wav", 2), 0);
    krSound::Play(0, -1);
    krSound::SetVolume(0, -3, -1);
    krSound::FreeObject(0);
    krSound::PlayWaveFile(DataPath("beep.wav").c_str());
    krSound::Restore();
    EXPECT_EQ(krMidi::Play("beep.wav"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(std::make_tuple(Slot(0).inUse, headless::BeepCount(), headless::Boxes().size()),
              std::make_tuple(0, 0, 0u));
}

}  // namespace
