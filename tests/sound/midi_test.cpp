// krMidi and the window procedure's end-of-piece path (the music loops until told not to), and
// the sequencer under it.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/mci/mci.h"
#include "platform/mci/sequencer.h"
#include "platform/win/win.h"
#include "sound/audio_fixture.h"
#include "sound/sound.h"

namespace {

using Commands = std::vector<std::string>;

class MidiTest : public AudioTest {
  protected:
    void SetUp() override {
        AudioTest::SetUp();
        StartSound();
        WriteDataFile("short.mid", ShortPiece());
        WriteDataFile("short piece.mid", ShortPiece());
    }

    std::string OpenCommand(const std::string& name) const {
        return "open \"" + DataPath(name) + "\" type sequencer alias midi";
    }
    static std::string Mode() {
        char answer[32] = "";
        mciSendString("status midi mode", answer, sizeof answer, nullptr);
        return answer;
    }
    // Renders until the end of the piece has been notified (at most two seconds), then lets
    // the window procedure take the notification.
    void PlayToTheEnd() {
        MSG message;
        for (int block = 0; block < 180; ++block) {
            headless::RenderAudio(512);
            if (win::PeekMessage(&message, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_NOREMOVE)) break;
        }
        DrainMessages();
    }
    void Notify(WPARAM result) {
        win::PostMessage(krSystemState.windowHandle, MM_MCINOTIFY, result, 1);
        DrainMessages();
    }
};

const std::string kSeek = "seek midi to start", kPlay = "play midi notify",
                  kStatus = "status midi mode", kStop = "stop midi", kClose = "close midi";

TEST_F(MidiTest, ThePieceLoopsThroughTheWindowProcedureUntilToldNotTo) {
    krMidi::DisableLoop();
    EXPECT_EQ(krMidi::Play("short piece.mid"), 0u);
    PlayToTheEnd();
    PlayToTheEnd();
    krMidi::DisableLoop();
    PlayToTheEnd();  // ends once more and closes
    EXPECT_EQ(mci::TakeCommandHistory(),
              (Commands{OpenCommand("short piece.mid"), kSeek, kPlay, kStatus, kSeek, kPlay,
                        kStatus, kSeek, kPlay, kStatus, kStop, kClose}));
    EXPECT_EQ(std::make_pair(krMidiState.open, krMidiState.loop), std::make_pair(0, 0));
}

// Only a successful end of the open piece, once it has stopped, starts it again; Stop sends
// nothing when nothing is open, Close always sends and leaves the flag.
TEST_F(MidiTest, OnlyTheEndOfTheOpenPieceRestartsIt) {
    krMidi::Play("short.mid");
    krMidi::Play("short piece.mid");  // the first play's notification is aborted
    Notify(MCI_NOTIFY_ABORTED);
    Notify(MCI_NOTIFY_SUCCESSFUL);  // still playing
    krMidi::Close();
    EXPECT_EQ(krMidiState.open, 1);
    krMidi::Stop();
    krMidi::Stop();
    Notify(MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(mci::TakeCommandHistory(), (Commands{OpenCommand("short.mid"), kSeek, kPlay, kStop,
                                                   kClose, OpenCommand("short piece.mid"), kSeek,
                                                   kPlay, kStatus, kStop, kClose, kStop, kClose}));
    EXPECT_EQ(krMidiState.open, 0);
    // A missing file answers the play's error and leaves the flags as if it played.
    EXPECT_EQ(krMidi::Play("missing.mid"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(std::make_pair(krMidiState.open, krMidiState.loop), std::make_pair(1, 1));
}

// On the real device the audio thread posts the end and the window procedure, taking it from
// the queue, starts the piece again.
TEST_F(MidiTest, TheAudioThreadsEndNoticeRestartsThePieceThroughTheLoop) {
    krMidi::Stop();
    krSound::Release();
    headless::UninstallManualAudio();
    setenv("SDL_AUDIODRIVER", "dummy", 0);  // unless the environment names a driver
    if (krSound::Init() == 0) GTEST_SKIP() << "the chosen audio driver opens no device";
    krMidi::Init();
    ASSERT_EQ(krMidi::Play("short piece.mid"), 0u);
    mci::TakeCommandHistory();
    Commands commands;
    for (int wait = 0; wait < 300 && commands.empty(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        DrainMessages();
        commands = mci::TakeCommandHistory();
    }
    EXPECT_EQ(commands, (Commands{kStatus, kSeek, kPlay}));
}

TEST_F(MidiTest, ALongPathOpensUnderTheAliasItIsClosedBy) {
    const std::string folder = std::string(150, 'd') + "/";
    const std::string name = folder + std::string(150, 'n') + ".mid";
    std::filesystem::create_directory(DataPath(folder));
    WriteDataFile(name, ShortPiece());
    krMidi::Play(name.c_str());
    EXPECT_EQ(mci::TakeCommandHistory().at(0), OpenCommand(name));
    EXPECT_EQ(Mode(), "playing");
    krMidi::Stop();
    EXPECT_EQ(Mode(), "") << "closed";
    krMidi::Play("short.mid");
    EXPECT_EQ(Mode(), "playing") << "the alias is free again";
}

// The sequencer itself: what it refuses to open, and what a kept soundfont leaves behind.
using MciTest = AudioTest;

// A file whose chunks are cut off or unnamed is refused at the open, and silently: the player,
// given one, could loop for ever.
TEST_F(MciTest, AMidiFileWithBrokenChunksIsRefusedAtTheOpen) {
    testing::internal::CaptureStderr();
    // Cut off inside the track's events (size 30), the track chunk's name changed, two tracks
    // declared where one is, a division of 0 ticks.
    for (const auto& [at, value] : {std::pair{30, -1}, {14, 0xC0}, {11, 2}, {13, 0}}) {
        std::vector<uint8_t> file = ShortPiece();
        file.resize(value < 0 ? size_t(at) : file.size());
        if (value >= 0) file[size_t(at)] = uint8_t(value);
        WriteDataFile("broken.mid", file);
        const std::string open =
            "open \"" + DataPath("broken.mid") + "\" type sequencer alias tune";
        EXPECT_EQ(mciSendString(open.c_str(), nullptr, 0, nullptr), MCIERR_INVALID_FILE);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the synthesiser's own complaints";
    EXPECT_TRUE(mci::IsStandardMidiFile(ShortPiece()));
}

// With the soundfont kept, the next piece plays as on a fresh load: a piece closed with a note
// held, another instrument, the pitch bent, the volume low and full reverb leaves nothing behind.
TEST_F(MciTest, AKeptSoundFontPlaysTheNextPieceAsAFreshOne) {
    const std::vector<uint8_t> leftover{
        'M',  'T',  'h',  'd',  0, 0, 0, 6,  0, 0, 0, 1, 0, 96,  // one track, 96 ticks a quarter
        'M',  'T',  'r',  'k',  0, 0, 0, 25,                     //
        0,    0xC0, 48,                                          // strings
        0,    0xB0, 7,    20,                                    // low volume
        0,    0xB0, 91,   127,                                   // full reverb
        0,    0xE0, 0,    0x70,                                  // bent up
        0,    0x90, 60,   127,                                   // a note without its end
        0x83, 0x60, 0xFF, 0x2F, 0};                              // the end after 480 ticks
    auto render = [](const std::vector<uint8_t>& piece) {
        MCIERROR error = 0;
        std::unique_ptr<mci::Sequencer> sequencer = mci::Sequencer::Open(piece, 1, &error);
        if (sequencer == nullptr) return std::vector<float>{};
        sequencer->Play();
        return headless::RenderAudio(8192);
    };
    const std::vector<float> fresh = render(ShortPiece());
    ASSERT_GT(Peak(fresh, 0), 0.01f);
    mci::KeepSoundFont(true);
    ASSERT_GT(Peak(render(leftover), 0), 0.001f) << "the leftover piece sounds";
    const std::vector<float> kept = render(ShortPiece());
    mci::KeepSoundFont(false);
    EXPECT_EQ(kept, fresh);
}

}  // namespace
