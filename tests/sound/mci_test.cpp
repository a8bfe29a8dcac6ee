// The sequencer's command strings, its answers and its notifications.
#include "platform/mci/mci.h"

#include "platform/mci/sequencer.h"
#include "platform/win/win.h"
#include "sound/audio_fixture.h"

namespace {

class MciTest : public AudioTest {
  protected:
    void SetUp() override {
        AudioTest::SetUp();
        WriteDataFile("short.mid", ShortPiece());
        openCommand = "open \"" + DataPath("short.mid") + "\" type sequencer alias tune";
    }
    void TearDown() override {
        mciSendString("close tune", nullptr, 0, nullptr);
        AudioTest::TearDown();
    }

    MCIERROR Send(const std::string& command, HWND callback = nullptr) {
        return mciSendString(command.c_str(), nullptr, 0, callback);
    }
    std::string Mode() {
        char answer[32] = "?";
        EXPECT_EQ(mciSendString("status tune mode", answer, sizeof answer, nullptr), 0u);
        return answer;
    }
    HWND Window() const { return krSystemState.windowHandle; }

    // The notification results waiting for the window, oldest first.
    std::vector<WPARAM> TakeNotifications() {
        std::vector<WPARAM> results;
        MSG message;
        while (win::PeekMessage(&message, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE))
            results.push_back(message.wParam);
        return results;
    }
    // Renders until a notification waits (at most two seconds of sound); the frames rendered
    // by then, or 0.
    int RenderUntilNotified() {
        MSG message;
        for (int frames = 512; frames <= 2 * 44100; frames += 512) {
            headless::RenderAudio(512);
            if (win::PeekMessage(&message, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_NOREMOVE)) {
                return frames;
            }
        }
        return 0;
    }

    std::string openCommand;
};

TEST_F(MciTest, ModeFollowsTheCommands) {
    char answer[16] = "?";
    ASSERT_EQ(mciSendString(openCommand.c_str(), answer, sizeof answer, nullptr), 0u);
    EXPECT_STRNE(answer, "");
    EXPECT_EQ(Mode(), "stopped");
    EXPECT_EQ(Send("play tune"), 0u);
    EXPECT_EQ(Mode(), "playing");
    EXPECT_EQ(Send("pause tune"), 0u);
    EXPECT_EQ(Mode(), "paused");
    EXPECT_EQ(Send("resume tune"), 0u);
    EXPECT_EQ(Mode(), "playing");
    EXPECT_EQ(Send("stop tune"), 0u);
    EXPECT_EQ(Mode(), "stopped");
    EXPECT_EQ(Send("close tune"), 0u);
    EXPECT_EQ(Send("status tune mode"), MCIERR_INVALID_DEVICE_NAME);
}

TEST_F(MciTest, TheEndOfThePieceNotifiesSuccessAndStops) {
    ASSERT_EQ(Send(openCommand), 0u);
    ASSERT_EQ(Send("play tune notify", Window()), 0u);
    EXPECT_GT(Peak(headless::RenderAudio(2048), 0), 0.01f) << "the note sounds";
    EXPECT_TRUE(TakeNotifications().empty());
    // The musical end is a quarter of a second in, before the note's sound has died away.
    const int frames = RenderUntilNotified();
    EXPECT_NEAR(frames + 2048, 11025, 600);
    MSG message;
    ASSERT_TRUE(win::PeekMessage(&message, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE));
    EXPECT_EQ(message.wParam, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_NE(message.lParam, 0);
    EXPECT_EQ(Mode(), "stopped");

    // Played again from the start, it ends again.
    Send("seek tune to start");
    Send("play tune notify", Window());
    EXPECT_EQ(Mode(), "playing");
    ASSERT_GT(RenderUntilNotified(), 0);
    EXPECT_EQ(TakeNotifications(), std::vector<WPARAM>{MCI_NOTIFY_SUCCESSFUL});
}

TEST_F(MciTest, OnePendingNotificationIsSupersededOrAborted) {
    ASSERT_EQ(Send(openCommand), 0u);
    Send("play tune notify", Window());
    Send("play tune notify", Window());
    EXPECT_EQ(TakeNotifications(), std::vector<WPARAM>{MCI_NOTIFY_SUPERSEDED});

    // Pausing keeps the play's notification pending; stopping aborts it.
    Send("pause tune");
    EXPECT_TRUE(TakeNotifications().empty());
    Send("play tune");
    Send("stop tune notify", Window());
    EXPECT_EQ(TakeNotifications(),
              (std::vector<WPARAM>{MCI_NOTIFY_ABORTED, MCI_NOTIFY_SUCCESSFUL}));

    Send("play tune notify", Window());
    Send("seek tune to start");
    EXPECT_EQ(TakeNotifications(), std::vector<WPARAM>{MCI_NOTIFY_ABORTED});
    Send("play tune notify", Window());
    Send("close tune");
    EXPECT_EQ(TakeNotifications(), std::vector<WPARAM>{MCI_NOTIFY_ABORTED});

    // A failed command notifies nothing.
    EXPECT_NE(Send("play tune notify", Window()), 0u);
    EXPECT_TRUE(TakeNotifications().empty());
}

// A file whose chunks are cut off or unnamed is refused at the open, and silently: the player,
// given one, could loop for ever.
TEST_F(MciTest, AMidiFileWithBrokenChunksIsRefusedAtTheOpen) {
    std::vector<uint8_t> cut = ShortPiece();
    cut.resize(30);  // the header and a track cut off inside its events
    std::vector<uint8_t> unnamed = ShortPiece();
    unnamed[14] = 0xC0;  // the track chunk's name
    std::vector<uint8_t> short_of_tracks = ShortPiece();
    short_of_tracks[11] = 2;  // two tracks declared, one there
    std::vector<uint8_t> no_division = ShortPiece();
    no_division[12] = no_division[13] = 0;
    testing::internal::CaptureStderr();
    for (const auto& file : {cut, unnamed, short_of_tracks, no_division}) {
        WriteDataFile("broken.mid", file);
        EXPECT_EQ(Send("open \"" + DataPath("broken.mid") + "\" type sequencer alias tune"),
                  MCIERR_INVALID_FILE);
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

TEST_F(MciTest, BadCommandsAnswerErrors) {
    EXPECT_EQ(Send(""), MCIERR_MISSING_COMMAND_STRING);
    EXPECT_EQ(Send("dance tune"), MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(Send("play"), MCIERR_MISSING_DEVICE_NAME);
    EXPECT_EQ(Send("play nothing"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("open \"" + DataPath("short.mid")), MCIERR_NO_CLOSING_QUOTE);
    EXPECT_EQ(Send("open \"" + DataPath("none.mid") + "\" type sequencer alias tune"),
              MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(Send("open \"" + DataPath("short.mid") + "\" type waveaudio alias tune"),
              MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("open \"" + DataPath("short.mid") + "\" type sequencer alias"),
              MCIERR_MISSING_PARAMETER);
    WriteDataFile("text.mid",
                  {'h', 'e', 'l', 'l', 'o', ' ', 'm', 'u', 's', 'i', 'c', '!', '!', '!'});
    EXPECT_EQ(Send("open \"" + DataPath("text.mid") + "\" type sequencer alias tune"),
              MCIERR_INVALID_FILE);

    ASSERT_EQ(Send(openCommand), 0u);
    EXPECT_EQ(Send(openCommand), MCIERR_DUPLICATE_ALIAS);
    EXPECT_EQ(Send("seek tune to 10"), MCIERR_OUTOFRANGE);
    EXPECT_EQ(Send("seek tune"), MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(Send("status tune volume"), MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(Send("play tune from 0"), MCIERR_UNRECOGNIZED_KEYWORD);
    char tiny[4];
    EXPECT_EQ(mciSendString("status tune mode", tiny, sizeof tiny, nullptr), MCIERR_PARAM_OVERFLOW);
    EXPECT_EQ(Mode(), "stopped");
}

TEST_F(MciTest, TheSoundFontIsTheNamedOneElseTheSystemDefault) {
    setenv("KR_SOUNDFONT", DataPath("none.sf2").c_str(), 1);  // missing: the default serves
    EXPECT_NE(mci::SoundFontPath(), "");
    EXPECT_EQ(Send(openCommand), 0u);
    EXPECT_EQ(Send("close tune"), 0u);
    WriteDataFile("text.sf2", {'n', 'o', 't', ' ', 'a', ' ', 's', 'f', '2'});
    setenv("KR_SOUNDFONT", DataPath("text.sf2").c_str(), 1);
    EXPECT_EQ(mci::SoundFontPath(), DataPath("text.sf2"));
    // A soundfont that does not load leaves the music silent and answers as without a device.
    EXPECT_EQ(Send(openCommand), MCIERR_SEQ_NOMIDIPRESENT);
    unsetenv("KR_SOUNDFONT");
}

TEST_F(MciTest, WithoutAnAudioDeviceNothingOpens) {
    headless::InstallManualAudio(false);
    EXPECT_EQ(Send(openCommand), MCIERR_SEQ_NOMIDIPRESENT);
    EXPECT_EQ(Send("play tune notify", Window()), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_TRUE(TakeNotifications().empty());
}

}  // namespace
