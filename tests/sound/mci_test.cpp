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
    }
    // The command with each '@' standing for the data directory.
    MCIERROR Send(std::string command, HWND callback = nullptr) {
        for (size_t at = command.find('@'); at != std::string::npos; at = command.find('@'))
            command.replace(at, 1, dataDirectory);
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
};

const char kOpen[] = "open \"@short.mid\" type sequencer alias tune";

// Each command in turn, its answer and then the mode asked for (if any).
TEST_F(MciTest, CommandsAnswerTheirErrorsAndMoveTheMode) {
    WriteDataFile("text.mid",
                  {'h', 'e', 'l', 'l', 'o', ' ', 'm', 'u', 's', 'i', 'c', '!', '!', '!'});
    const struct {
        std::string command;
        MCIERROR error;
        const char* mode;
    } kSteps[] = {
        {"", MCIERR_MISSING_COMMAND_STRING, nullptr},
        {"dance tune", MCIERR_UNRECOGNIZED_COMMAND, nullptr},
        {"play", MCIERR_MISSING_DEVICE_NAME, nullptr},

        {"open \"@short.mid", MCIERR_NO_CLOSING_QUOTE, nullptr},
        {"open \"@none.mid\" type sequencer alias tune", MCIERR_FILE_NOT_FOUND, nullptr},
        {"open \"@short.mid\" type waveaudio alias tune", MCIERR_INVALID_DEVICE_NAME, nullptr},

        {"open \"@text.mid\" type sequencer alias tune", MCIERR_INVALID_FILE, nullptr},
        {kOpen, 0, "stopped"},
        {kOpen, MCIERR_DUPLICATE_ALIAS, "stopped"},
        {"seek tune to 10", MCIERR_OUTOFRANGE, nullptr},

        {"play tune from 0", MCIERR_UNRECOGNIZED_KEYWORD, "stopped"},
        {"play tune", 0, "playing"},
        {"pause tune", 0, "paused"},
        {"resume tune", 0, "playing"},
        {"stop tune", 0, "stopped"},

    };
    for (const auto& step : kSteps) {
        SCOPED_TRACE(step.command);
        EXPECT_EQ(Send(step.command), step.error);
        if (step.mode != nullptr) {
            EXPECT_EQ(Mode(), step.mode);
        }
    }
    char tiny[4];
    EXPECT_EQ(mciSendString("status tune mode", tiny, sizeof tiny, nullptr), MCIERR_PARAM_OVERFLOW);
    EXPECT_EQ(Send("close tune"), 0u);
    EXPECT_EQ(Send("status tune mode"), MCIERR_INVALID_DEVICE_NAME);
}

// One notification is pending at a time: a new one supersedes it, a stop, seek or close aborts
// it, a pause keeps it, and a failed command notifies nothing.
TEST_F(MciTest, OnePendingNotificationIsSupersededOrAborted) {
    const struct {
        std::vector<std::string> commands;
        std::vector<WPARAM> notifications;
    } kSteps[] = {{{kOpen, "play tune notify", "play tune notify"}, {MCI_NOTIFY_SUPERSEDED}},
                  {{"pause tune"}, {}},
                  {{"play tune", "stop tune notify"}, {MCI_NOTIFY_ABORTED, MCI_NOTIFY_SUCCESSFUL}},
                  {{"play tune notify", "seek tune to start"}, {MCI_NOTIFY_ABORTED}},
                  {{"play tune notify", "close tune"}, {MCI_NOTIFY_ABORTED}},
                  {{"play tune notify"}, {}}};
    for (const auto& step : kSteps) {
        SCOPED_TRACE(step.commands.back());
        for (const std::string& command : step.commands)
            Send(command, Window());
        EXPECT_EQ(TakeNotifications(), step.notifications);
    }
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
        EXPECT_EQ(Send("open \"@broken.mid\" type sequencer alias tune"), MCIERR_INVALID_FILE);
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
