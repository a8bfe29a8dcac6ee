// krMidi and the window procedure's end-of-piece path: the music loops until told not to.
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/mci/mci.h"
#include "platform/win/win.h"
#include "sound/audio_fixture.h"
#include "sound/sound.h"

namespace {

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
    // Renders until the end of the piece has been notified, then lets the window procedure
    // take the notification; false when no end came within two seconds.
    bool PlayToTheEnd() {
        MSG message;
        for (int block = 0; block < 180; ++block) {
            headless::RenderAudio(512);
            if (win::PeekMessage(&message, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_NOREMOVE)) {
                DrainMessages();
                return true;
            }
        }
        return false;
    }
};

using Commands = std::vector<std::string>;

TEST_F(MidiTest, ThePieceLoopsThroughTheWindowProcedure) {
    EXPECT_EQ(krMidi::Play("short piece.mid"), 0u);
    EXPECT_EQ(mci::TakeCommandHistory(),
              (Commands{OpenCommand("short piece.mid"), "seek midi to start", "play midi notify"}));
    EXPECT_EQ(krMidiState.open, 1);
    EXPECT_EQ(Mode(), "playing");
    mci::TakeCommandHistory();

    for (int end = 0; end < 2; ++end) {
        ASSERT_TRUE(PlayToTheEnd());
        EXPECT_EQ(mci::TakeCommandHistory(),
                  (Commands{"status midi mode", "seek midi to start", "play midi notify"}));
        EXPECT_EQ(Mode(), "playing");
        mci::TakeCommandHistory();
    }
}

// On the real device the audio thread posts the end and the window procedure, taking it from
// the queue, starts the piece again.
TEST_F(MidiTest, TheAudioThreadsEndNoticeRestartsThePieceThroughTheLoop) {
    krMidi::Stop();
    krSound::Release();
    headless::UninstallManualAudio();
    ChooseDummyAudioDriverUnlessChosen();
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
    EXPECT_EQ(commands, (Commands{"status midi mode", "seek midi to start", "play midi notify"}));
    krMidi::Stop();
    krSound::Release();
    headless::InstallManualAudio(true);
}

TEST_F(MidiTest, AfterDisableLoopThePieceEndsOnceMoreAndCloses) {
    krMidi::DisableLoop();
    krMidi::Play("short.mid");
    EXPECT_EQ(krMidiState.loop, 1) << "Play switches looping back on";
    krMidi::DisableLoop();
    mci::TakeCommandHistory();

    ASSERT_TRUE(PlayToTheEnd());
    EXPECT_EQ(mci::TakeCommandHistory(), (Commands{"status midi mode", "stop midi", "close midi"}));
    EXPECT_EQ(krMidiState.open, 0);
    EXPECT_EQ(mciSendString("status midi mode", nullptr, 0, nullptr), MCIERR_INVALID_DEVICE_NAME);
}

TEST_F(MidiTest, PlayWhileOpenStopsAndClosesFirst) {
    krMidi::Play("short.mid");
    mci::TakeCommandHistory();
    krMidi::Play("short piece.mid");
    EXPECT_EQ(mci::TakeCommandHistory(),
              (Commands{"stop midi", "close midi", OpenCommand("short piece.mid"),
                        "seek midi to start", "play midi notify"}));
    EXPECT_EQ(Mode(), "playing");
    mci::TakeCommandHistory();

    // The first play's notification was aborted: it must not restart anything.
    DrainMessages();
    EXPECT_EQ(mci::TakeCommandHistory(), Commands{});
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

TEST_F(MidiTest, StopSendsNothingWhenNothingIsOpenAndCloseAlwaysSends) {
    krMidi::Stop();
    EXPECT_TRUE(mci::TakeCommandHistory().empty());
    krMidi::Close();
    EXPECT_EQ(mci::TakeCommandHistory(), (Commands{"stop midi", "close midi"}));

    krMidi::Play("short.mid");
    krMidi::Close();
    EXPECT_EQ(krMidiState.open, 1) << "Close leaves the flag";
    mci::TakeCommandHistory();
    krMidi::Stop();
    EXPECT_EQ(mci::TakeCommandHistory(), (Commands{"stop midi", "close midi"}));
    EXPECT_EQ(krMidiState.open, 0);
}

TEST_F(MidiTest, AMissingFileLeavesTheFlagsAsIfItPlayed) {
    EXPECT_EQ(krMidi::Play("missing.mid"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(krMidiState.open, 1);
    EXPECT_EQ(krMidiState.loop, 1);
    EXPECT_FALSE(PlayToTheEnd());
}

TEST_F(MidiTest, OnlyASuccessfulEndOfTheOpenPieceIsHandled) {
    krMidi::Play("short.mid");
    mci::TakeCommandHistory();
    win::PostMessage(krSystemState.windowHandle, MM_MCINOTIFY, 4, 1);  // aborted
    DrainMessages();
    EXPECT_TRUE(mci::TakeCommandHistory().empty());

    // Still playing: the answer is not "stopped", so no replay.
    win::PostMessage(krSystemState.windowHandle, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1);
    DrainMessages();
    EXPECT_EQ(mci::TakeCommandHistory(), Commands{"status midi mode"});

    krMidi::Stop();
    mci::TakeCommandHistory();
    win::PostMessage(krSystemState.windowHandle, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1);
    DrainMessages();
    EXPECT_TRUE(mci::TakeCommandHistory().empty());
}

}  // namespace
