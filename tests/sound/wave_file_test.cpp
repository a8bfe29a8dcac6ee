// The WAVE reader over the buffered RIFF functions, and the turning of its samples into ones the
// mixer plays.
#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>
#include <tuple>

#include "platform/ds/wave.h"
#include "platform/win/win.h"
#include "sound/audio_fixture.h"
#include "sound/sound.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Little-endian values of the given width in bytes, one after another.
Bytes Samples(int width, std::initializer_list<int64_t> values) {
    Bytes bytes;
    for (int64_t value : values) {
        for (int i = 0; i < width; ++i)
            bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    return bytes;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

// A RIFF WAVE file of the chunks (name, body) in order, each padded to an even size.
Bytes Riff(const std::vector<std::pair<std::string, Bytes>>& chunks) {
    Bytes form{'W', 'A', 'V', 'E'};
    for (const auto& [name, body] : chunks) {
        form = Cat({form, Bytes(name.begin(), name.end()), Samples(4, {int64_t(body.size())}), body,
                    Bytes(body.size() % 2, 0)});
    }
    return Cat({{'R', 'I', 'F', 'F'}, Samples(4, {int64_t(form.size())}), form});
}

// The file with bytes from the offset on replaced.
Bytes Changed(Bytes file, size_t at, const Bytes& bytes) {
    std::ranges::copy(bytes, file.begin() + static_cast<ptrdiff_t>(at));
    return file;
}

// A one-channel 8000 Hz format chunk and its extra bytes (with their count).
Bytes Format(int64_t tag, int64_t bits, const Bytes& extra) {
    return Cat({Samples(2, {tag, 1}), Samples(4, {8000, 8000 * bits / 8}),
                Samples(2, {bits / 8, bits}), extra});
}

// A one-channel 8000 Hz file of the format, plain or as the extensible format's sub-format;
// formats other than plain PCM carry the count of their extra bytes.
Bytes MonoWave(int64_t tag, int64_t bits, bool extensible, const Bytes& data) {
    const Bytes format =
        extensible
            ? Format(ds::WAVE_FORMAT_EXTENSIBLE, bits,
                     Cat({Samples(2, {22, bits}), Samples(4, {0}), Samples(2, {tag}), Bytes(14)}))
            : Format(tag, bits, tag == WAVE_FORMAT_PCM ? Bytes{} : Bytes{0, 0});
    return Riff({{"fmt ", format}, {"data", data}});
}

class WaveFileTest : public AudioTest {
  protected:
    // The reader's answer, the format block (with its extra bytes) and the samples, made
    // playable when asked.
    std::tuple<int32_t, Bytes, Bytes> ReadBlocks(const Bytes& file, bool playable = false) {
        WriteDataFile("test.wav", file);
        WAVEFORMATEX* format = nullptr;
        uint8_t* samples = nullptr;
        uint32_t size = 0;
        const int32_t code =
            krSound::ReadWaveFile(DataPath("test.wav").c_str(), &format, &samples, &size);
        EXPECT_TRUE(!playable || ds::MakePlayable(&format, &samples, &size));
        const auto* bytes = reinterpret_cast<const uint8_t*>(format);
        const size_t formatSize = format == nullptr ? 0 : sizeof(WAVEFORMATEX) + format->cbSize;
        std::tuple<int32_t, Bytes, Bytes> blocks{code, Bytes(bytes, bytes + formatSize),
                                                 Bytes(samples, samples + size)};
        win::GlobalFree(format);
        win::GlobalFree(samples);
        return blocks;
    }
};

TEST_F(WaveFileTest, ReadsFormatExtraBytesAndSamplesPastOtherChunks) {
    // Past an odd-sized chunk and its pad byte, and more samples than one I/O buffer holds.
    const Bytes format = Format(2, 16, {4, 0, 0xAB, 0xCD, 0xEF, 0x01});
    Bytes samples(20001);
    std::iota(samples.begin(), samples.end(), uint8_t{7});
    EXPECT_EQ(ReadBlocks(Riff({{"LIST", {'I', 'N', 'F', 'O', 'x'}},
                               {"fmt ", format},
                               {"fact", {1, 2, 3}},
                               {"data", samples}})),
              std::make_tuple(0, format, samples));
    EXPECT_EQ(ReadBlocks(assets::EncodeWave({8000, 1, 8}, {1, 2})),
              std::make_tuple(0, Format(1, 8, {0, 0}), Bytes{1, 2}));
}

// A refused file gives nothing back, and nothing near a size it claims is set aside.
TEST_F(WaveFileTest, RefusesBrokenFilesAndGivesNothingBack) {
    const Bytes good = assets::EncodeWave({22050, 1, 8}, Bytes(100, 7));
    std::vector<Bytes> files = {
        Changed(good, 0, {'R', 'I', 'F', 'X'}),
        Changed(good, 8, {'A', 'V', 'I', ' '}),
        Changed(good, 16, Samples(4, {14})),  // a format of 14 bytes
        Changed(good, 40, Samples(4, {100000})),
        Changed(good, 40, Samples(4, {0xFFFFFFF0})),
        Riff({{"fmt ", Format(1, 8, {0, 0})}}),  // no data, or data only after the RIFF chunk's end
        Cat({Riff({{"fmt ", Format(1, 8, {0, 0})}}), {'d', 'a', 't', 'a', 2, 0, 0, 0, 1, 2}}),
        {}};
    // Chunk ends beyond 32 bits, which cut to 32 bits would point back to the chunk itself.
    for (uint32_t size : {0xFFFFFFF8u, 0xFFFFFFF0u, 0x7FFFFFFFu, 0x80000000u}) {
        files.push_back(Changed(Riff({{"junk", Bytes(36)}}), 16, Samples(4, {size})));
    }
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        win::TakeLargestGlobalRequest();
        EXPECT_EQ(ReadBlocks(files[i]), std::make_tuple(1, Bytes{}, Bytes{}));
        EXPECT_LT(win::TakeLargestGlobalRequest(), 1024u);
    }
}

// 24- and 32-bit PCM and 32-bit float, plain and in the extensible format, become 16-bit PCM:
// full scale is 32767, halfway 16384 (rounded), the most negative value -32767.
TEST_F(WaveFileTest, WideAndFloatSamplesBecomeSixteenBits) {
    auto f = [](float value) { return int64_t{std::bit_cast<uint32_t>(value)}; };
    const struct {
        int64_t tag, bits;
        bool extensible;
        Bytes samples;
    } kCases[] = {
        {1, 24, false, Samples(3, {0x7FFFFF, 0x400000, -0x800000, 0})},
        {1, 32, false, Samples(4, {0x7FFFFFFF, 0x40000000, INT32_MIN, 0})},
        {3, 32, false, Samples(4, {f(1.0f), f(0.5f), f(-1.0f), f(0.0f)})},
        {3, 32, true, Samples(4, {f(2.0f), f(0.5f), f(-7.0f), f(std::nanf(""))})},
        {1, 24, true, Samples(3, {0x7FFFFF, 0x400000, -0x800000, 0})},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.tag << " " << c.bits << " " << c.extensible);
        EXPECT_EQ(ReadBlocks(MonoWave(c.tag, c.bits, c.extensible, c.samples), true),
                  std::make_tuple(0, Format(1, 16, {0, 0}), Samples(2, {32767, 16384, -32767, 0})));
    }
}

// 8- and 16-bit PCM in the extensible format play as the same samples in plain PCM: the bytes
// stay as they are, 8-bit ones unsigned, 16-bit ones to their extremes.
TEST_F(WaveFileTest, EightAndSixteenBitExtensibleSamplesStayAsTheyAre) {
    for (const Bytes& samples :
         {Bytes{0xFF, 0xC0, 0x00, 0x80}, Samples(2, {32767, -32768, 0x4000, 0})}) {
        const int64_t bits = samples.size() == 4 ? 8 : 16;
        SCOPED_TRACE(bits);
        EXPECT_EQ(ReadBlocks(MonoWave(WAVE_FORMAT_PCM, bits, true, samples), true),
                  std::make_tuple(0, Format(1, bits, {0, 0}), samples));
    }
}

}  // namespace
