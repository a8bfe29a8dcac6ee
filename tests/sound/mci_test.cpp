// The sequencer: what it refuses to open, and what a kept soundfont leaves behind.
#include "platform/mci/mci.h"

#include "platform/mci/sequencer.h"
#include "sound/audio_fixture.h"

namespace {

using MciTest = AudioTest;

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
