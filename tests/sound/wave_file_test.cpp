// The WAVE reader over the buffered RIFF functions.
#include <cmath>
#include <cstring>

#include "platform/ds/mmio.h"
#include "platform/ds/wave.h"
#include "platform/win/win.h"
#include "sound/audio_fixture.h"
#include "sound/sound.h"

namespace {

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

void AppendChunk(std::vector<uint8_t>& bytes, const char* id, const std::vector<uint8_t>& body) {
    bytes.insert(bytes.end(), id, id + 4);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(body.size() >> (8 * i)));
    bytes.insert(bytes.end(), body.begin(), body.end());
    if (body.size() % 2 == 1) bytes.push_back(0);
}

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

class WaveFileTest : public AudioTest {
  protected:
    struct Result {
        int32_t code;
        WAVEFORMATEX* format;
        uint8_t* samples;
        uint32_t size;
    };
    Result Read(const std::vector<uint8_t>& file) {
        WriteDataFile("test.wav", file);
        Result result{};
        result.code = krSound::ReadWaveFile(DataPath("test.wav").c_str(), &result.format,
                                            &result.samples, &result.size);
        return result;
    }
    void ExpectFailure(const std::vector<uint8_t>& file) {
        const Result result = Read(file);
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(result.format, nullptr);
        EXPECT_EQ(result.samples, nullptr);
        EXPECT_EQ(result.size, 0u);
    }
    static void Free(const Result& result) {
        win::GlobalFree(result.format);
        win::GlobalFree(result.samples);
    }
};

TEST_F(WaveFileTest, ReadsFormatAndSamplesBeyondOneIoBuffer) {
    const assets::PcmFormat format{44100, 2, 16};
    const std::vector<uint8_t> samples = Pattern(20000);
    const Result result = Read(assets::EncodeWave(format, samples));
    ASSERT_EQ(result.code, 0);
    EXPECT_EQ(result.format->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(result.format->nChannels, 2);
    EXPECT_EQ(result.format->nSamplesPerSec, 44100u);
    EXPECT_EQ(result.format->nBlockAlign, 4);
    EXPECT_EQ(result.format->wBitsPerSample, 16);
    EXPECT_EQ(result.format->cbSize, 0);
    ASSERT_EQ(result.size, samples.size());
    EXPECT_EQ(std::memcmp(result.samples, samples.data(), samples.size()), 0);
    Free(result);
}

TEST_F(WaveFileTest, SkipsOtherChunksWithTheirPadByte) {
    std::vector<uint8_t> file{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(file, "LIST", {'I', 'N', 'F', 'O', 'x'});
    std::vector<uint8_t> format(16);
    const uint8_t pcm[16] = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0};
    std::memcpy(format.data(), pcm, 16);
    AppendChunk(file, "fmt ", format);
    AppendChunk(file, "fact", {1, 2, 3});
    AppendChunk(file, "data", {10, 20, 30});
    Put32(file, 4, static_cast<uint32_t>(file.size() - 8));

    const Result result = Read(file);
    ASSERT_EQ(result.code, 0);
    EXPECT_EQ(result.format->nSamplesPerSec, 22050u);
    ASSERT_EQ(result.size, 3u);
    EXPECT_EQ(result.samples[2], 30);
    Free(result);
}

TEST_F(WaveFileTest, KeepsTheExtraBytesOfOtherFormats) {
    std::vector<uint8_t> file{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    const uint8_t adpcm[22] = {2, 0, 1, 0, 0x22, 0x56, 0, 0,    0,    0,    0,
                               0, 0, 1, 4, 0,    4,    0, 0xAB, 0xCD, 0xEF, 0x01};
    AppendChunk(file, "fmt ", std::vector<uint8_t>(adpcm, adpcm + 22));
    AppendChunk(file, "data", {1, 2});
    Put32(file, 4, static_cast<uint32_t>(file.size() - 8));

    const Result result = Read(file);
    ASSERT_EQ(result.code, 0);
    EXPECT_EQ(result.format->wFormatTag, 2);
    ASSERT_EQ(result.format->cbSize, 4);
    const auto* extra = reinterpret_cast<const uint8_t*>(result.format) + sizeof(WAVEFORMATEX);
    EXPECT_EQ(extra[0], 0xAB);
    EXPECT_EQ(extra[3], 0x01);
    Free(result);
}

TEST_F(WaveFileTest, RefusesBrokenFilesAndGivesNothingBack) {
    const std::vector<uint8_t> good = assets::EncodeWave({22050, 1, 8}, Pattern(100));

    std::vector<uint8_t> notRiff = good;
    std::memcpy(notRiff.data(), "RIFX", 4);
    ExpectFailure(notRiff);

    std::vector<uint8_t> notWave = good;
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    ExpectFailure(notWave);

    std::vector<uint8_t> shortFormat = good;
    Put32(shortFormat, 16, 14);
    ExpectFailure(shortFormat);

    // The data chunk claims more than the file holds.
    std::vector<uint8_t> truncated = good;
    Put32(truncated, 40, 100000);
    ExpectFailure(truncated);

    std::vector<uint8_t> noData(good.begin(), good.begin() + 36);
    Put32(noData, 4, 28);
    ExpectFailure(noData);

    ExpectFailure({});
    WaveFileTest::Result missing{};
    EXPECT_EQ(krSound::ReadWaveFile(DataPath("missing.wav").c_str(), &missing.format,
                                    &missing.samples, &missing.size),
              1);
}

// Chunk sizes near 4 GB: their ends lie beyond what a 32-bit offset can hold, and cut to 32 bits
// they would point back to the chunk itself.
TEST_F(WaveFileTest, ChunkEndsBeyondThirtyTwoBitsEndTheSearch) {
    for (uint32_t size : {0xFFFFFFF8u, 0xFFFFFFF0u, 0x7FFFFFFFu, 0x80000000u}) {
        std::vector<uint8_t> file{'R', 'I', 'F', 'F', 48, 0, 0, 0, 'W', 'A', 'V', 'E'};
        AppendChunk(file, "junk", std::vector<uint8_t>(36));
        Put32(file, 16, size);
        SCOPED_TRACE(size);
        ExpectFailure(file);
    }
}

// A data chunk of nearly 4 GB in a file of a few bytes: refused before a block is set aside.
TEST_F(WaveFileTest, ADataChunkBeyondTheFileIsRefusedBeforeAllocating) {
    std::vector<uint8_t> file = assets::EncodeWave({22050, 1, 8}, Pattern(100));
    Put32(file, 40, 0xFFFFFFF0u);
    win::TakeLargestGlobalRequest();
    ExpectFailure(file);
    EXPECT_LT(win::TakeLargestGlobalRequest(), 1024u);
}

// A one-channel 8000 Hz WAVE file of the format (plain, or in the extensible format's sub-format).
std::vector<uint8_t> MonoWave(WORD tag, WORD bits, bool extensible,
                              const std::vector<uint8_t>& data) {
    // Formats other than plain PCM carry the count of their extra bytes.
    std::vector<uint8_t> format(extensible ? 40 : tag == 1 ? 16 : 18);
    const WORD align = WORD(bits / 8);
    const WORD fields[] = {extensible ? ds::WAVE_FORMAT_EXTENSIBLE : tag, 1};
    std::memcpy(format.data(), fields, 4);
    Put32(format, 4, 8000);
    Put32(format, 8, 8000u * align);
    const WORD sizes[] = {align, bits, 22, bits};
    std::memcpy(format.data() + 12, sizes, extensible ? 8 : 4);
    if (extensible) std::memcpy(format.data() + 24, &tag, 2);  // the sub-format
    std::vector<uint8_t> file{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(file, "fmt ", format);
    AppendChunk(file, "data", data);
    Put32(file, 4, uint32_t(file.size() - 8));
    return file;
}

// 24- and 32-bit PCM and 32-bit float, plain and in the extensible format, become 16-bit PCM:
// full scale is 32767, halfway 16384 (rounded), the most negative value -32767.
TEST_F(WaveFileTest, WideAndFloatSamplesBecomeSixteenBits) {
    auto pcm24 = [](int32_t v) {
        return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)};
    };
    auto pcm32 = [](int32_t v) {
        return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16),
                                    uint8_t(v >> 24)};
    };
    auto float32 = [](float v) {
        std::vector<uint8_t> bytes(4);
        std::memcpy(bytes.data(), &v, 4);
        return bytes;
    };
    const struct {
        WORD tag, bits;
        bool extensible;
        std::vector<std::vector<uint8_t>> samples;
    } kCases[] = {
        {1, 24, false, {pcm24(0x7FFFFF), pcm24(0x400000), pcm24(-0x800000), pcm24(0)}},
        {1, 32, false, {pcm32(0x7FFFFFFF), pcm32(0x40000000), pcm32(INT32_MIN), pcm32(0)}},
        {3, 32, false, {float32(1.0f), float32(0.5f), float32(-1.0f), float32(0)}},
        {3, 32, true, {float32(2.0f), float32(0.5f), float32(-7.0f), float32(NAN)}},
        {1, 24, true, {pcm24(0x7FFFFF), pcm24(0x400000), pcm24(-0x800000), pcm24(0)}},
    };
    for (const auto& c : kCases) {
        std::vector<uint8_t> data;
        for (const auto& sample : c.samples)
            data.insert(data.end(), sample.begin(), sample.end());
        const std::vector<uint8_t> file = MonoWave(c.tag, c.bits, c.extensible, data);
        SCOPED_TRACE(testing::Message() << c.tag << " " << c.bits << " " << c.extensible);

        Result read = Read(file);
        ASSERT_EQ(read.code, 0);
        ASSERT_TRUE(ds::MakePlayable(&read.format, &read.samples, &read.size));
        EXPECT_EQ(read.format->wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(read.format->wBitsPerSample, 16);
        EXPECT_EQ(read.format->nBlockAlign, 2);
        EXPECT_EQ(read.format->nAvgBytesPerSec, 16000u);
        ASSERT_EQ(read.size, 8u);
        int16_t out[4];
        std::memcpy(out, read.samples, 8);
        EXPECT_NEAR(out[0], 32767, 1);
        EXPECT_EQ(out[1], 16384);
        EXPECT_EQ(out[2], -32767);
        EXPECT_EQ(out[3], 0);
        Free(read);
    }
}

// 8- and 16-bit PCM in the extensible format play as the same samples in plain PCM: the bytes
// stay as they are, 8-bit ones unsigned, 16-bit ones to their extremes.
TEST_F(WaveFileTest, EightAndSixteenBitExtensibleSamplesStayAsTheyAre) {
    const struct {
        WORD bits;
        std::vector<uint8_t> samples;
    } kCases[] = {
        {8, {0xFF, 0xC0, 0x00, 0x80}},
        {16, {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x40, 0x00, 0x00}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.bits);
        Result read = Read(MonoWave(WAVE_FORMAT_PCM, c.bits, true, c.samples));
        ASSERT_EQ(read.code, 0);
        ASSERT_TRUE(ds::MakePlayable(&read.format, &read.samples, &read.size));
        EXPECT_EQ(read.format->wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(read.format->wBitsPerSample, c.bits);
        EXPECT_EQ(read.format->nBlockAlign, c.bits / 8);
        EXPECT_EQ(read.format->nAvgBytesPerSec, 8000u * c.bits / 8);
        EXPECT_EQ(read.format->cbSize, 0);
        ASSERT_EQ(read.size, c.samples.size());
        EXPECT_EQ(std::vector<uint8_t>(read.samples, read.samples + read.size), c.samples);
        Free(read);
    }
}

TEST_F(WaveFileTest, DescendStaysInsideItsParent) {
    std::vector<uint8_t> file{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(file, "abcd", {1, 2});
    Put32(file, 4, static_cast<uint32_t>(file.size() - 8));
    AppendChunk(file, "data", {1, 2});  // after the RIFF chunk's end
    WriteDataFile("outside.wav", file);

    HMMIO handle = mmioOpen(DataPath("outside.wav").c_str(), nullptr, MMIO_ALLOCBUF);
    ASSERT_NE(handle, nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(handle, &riff, nullptr, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(riff.dwDataOffset, 8u);
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(handle, &chunk, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(mmioSeek(handle, 0, SEEK_END), static_cast<LONG>(file.size()));
    EXPECT_EQ(mmioSeek(handle, -1, SEEK_SET), -1);
    mmioClose(handle, 0);
    EXPECT_EQ(mmioOpen(DataPath("none.wav").c_str(), nullptr, MMIO_ALLOCBUF), nullptr);
}

}  // namespace
