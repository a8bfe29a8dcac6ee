// krMidi and the window procedure's end-of-piece path: the music loops until told not to.
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/mci/mci.h"
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
    // One step of a script: "play NAME", "stop", "close", "no loop", "end" (of the piece) or
    // "notify N" (a notification of result N reaching the window procedure).
    void Run(const std::string& step) {
        if (step.starts_with("play ")) {
            played.push_back(krMidi::Play(step.substr(5).c_str()));
        } else if (step == "stop") {
            krMidi::Stop();
        } else if (step == "close") {
            krMidi::Close();
        } else if (step == "no loop") {
            krMidi::DisableLoop();
        } else if (step == "end") {
            PlayToTheEnd();
        } else {
            win::PostMessage(krSystemState.windowHandle, MM_MCINOTIFY, std::stoul(step.substr(7)),
                             1);
            DrainMessages();
        }
    }

    std::vector<uint32_t> played;  // what each play answered
};

const std::string kSeek = "seek midi to start", kPlay = "play midi notify",
                  kStatus = "status midi mode", kStop = "stop midi", kClose = "close midi";

// Each script's commands to the sequencer ("open NAME" for the open command of the name), the
// flags after it and the mode the device "midi" is left in.
TEST_F(MidiTest, EachScriptSendsItsCommands) {
    const struct {
        Commands script, commands;
        int open, loop;
        std::string mode;
    } kScripts[] = {
        {{"play short piece.mid", "end", "end"},
         {"open short piece.mid", kSeek, kPlay, kStatus, kSeek, kPlay, kStatus, kSeek, kPlay},
         1,
         1,
         "playing"},
        // Play switches looping back on; without it the piece ends once more and closes.
        {{"no loop", "play short.mid", "no loop", "end"},
         {"open short.mid", kSeek, kPlay, kStatus, kStop, kClose},
         0,
         0,
         ""},
        // The first play's notification was aborted: it restarts nothing.
        {{"play short.mid", "play short piece.mid", "notify 4"},
         {"open short.mid", kSeek, kPlay, kStop, kClose, "open short piece.mid", kSeek, kPlay},
         1,
         1,
         "playing"},
        // Stop sends nothing when nothing is open; Close always sends and leaves the flag.
        {{"stop", "close", "play short.mid", "close"},
         {kStop, kClose, "open short.mid", kSeek, kPlay, kStop, kClose},
         1,
         1,
         ""},
        // Only a successful end of the open piece is handled, and only once it has stopped.
        {{"play short.mid", "notify 1", "stop", "notify 1"},
         {"open short.mid", kSeek, kPlay, kStatus, kStop, kClose},
         0,
         1,
         ""},
        // A missing file leaves the flags as if it played, and nothing ends.
        {{"play missing.mid", "end"}, {"open missing.mid", kSeek, kPlay}, 1, 1, ""},
    };
    for (const auto& s : kScripts) {
        SCOPED_TRACE(s.script.front());
        krMidi::Stop();
        krMidi::Init();
        DrainMessages();  // the last script's aborted notification
        mci::TakeCommandHistory();
        for (const std::string& step : s.script)
            Run(step);
        Commands expected = s.commands;
        for (std::string& command : expected) {
            if (command.starts_with("open ")) command = OpenCommand(command.substr(5));
        }
        EXPECT_EQ(mci::TakeCommandHistory(), expected);
        EXPECT_EQ(std::make_pair(krMidiState.open, krMidiState.loop),
                  std::make_pair(s.open, s.loop));
        EXPECT_EQ(Mode(), s.mode);
    }
    EXPECT_EQ(played, (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, MCIERR_INVALID_DEVICE_NAME}));
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
    EXPECT_EQ(commands, (Commands{kStatus, kSeek, kPlay}));
    krMidi::Stop();
    krSound::Release();
    headless::InstallManualAudio(true);
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

}  // namespace
