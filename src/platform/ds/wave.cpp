#include "platform/ds/wave.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ds/mmio.h"
#include "platform/win/win.h"

namespace ds {
namespace {

// Steps into the RIFF WAVE chunk and reads the format chunk into a new block.
WAVEFORMATEX* ReadFormat(HMMIO file, MMCKINFO& riff) {
    if (mmioDescend(file, &riff, nullptr, 0) != MMSYSERR_NOERROR) return nullptr;
    if (riff.ckid != FOURCC_RIFF || riff.fccType != mmioFOURCC('W', 'A', 'V', 'E')) return nullptr;
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return nullptr;
    PCMWAVEFORMAT pcm{};
    if (chunk.cksize < sizeof pcm ||
        mmioRead(file, reinterpret_cast<char*>(&pcm), sizeof pcm) != sizeof pcm) {
        return nullptr;
    }
    WORD extra = 0;
    if (pcm.wFormatTag != WAVE_FORMAT_PCM &&
        mmioRead(file, reinterpret_cast<char*>(&extra), sizeof extra) != sizeof extra) {
        return nullptr;
    }
    auto* block =
        static_cast<WAVEFORMATEX*>(win::GlobalAlloc(win::GMEM_FIXED, sizeof(WAVEFORMATEX) + extra));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &pcm, sizeof pcm);
    block->cbSize = extra;
    char* extraBytes = reinterpret_cast<char*>(block) + sizeof(WAVEFORMATEX);
    if ((extra != 0 && mmioRead(file, extraBytes, extra) != extra) ||
        mmioAscend(file, &chunk, 0) != MMSYSERR_NOERROR) {
        win::GlobalFree(block);
        return nullptr;
    }
    return block;
}

// Whether the file holds the chunk's data; the read position is left at the data.
bool HoldsData(HMMIO file, const MMCKINFO& chunk) {
    const LONG end = mmioSeek(file, 0, SEEK_END);
    const bool holds = end >= 0 && chunk.cksize <= uint32_t(end) - chunk.dwDataOffset;
    return mmioSeek(file, LONG(chunk.dwDataOffset), SEEK_SET) != -1 && holds;
}

// The data chunk, copied through the file's own I/O buffer.
bool ReadSamples(HMMIO file, const MMCKINFO& riff, uint8_t*& samples, uint32_t& size) {
    if (mmioSeek(file, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET) == -1) return false;
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
    if (!HoldsData(file, chunk)) return false;
    samples = static_cast<uint8_t*>(win::GlobalAlloc(win::GMEM_FIXED, chunk.cksize));
    MMIOINFO info{};
    if (samples == nullptr || mmioGetInfo(file, &info, 0) != MMSYSERR_NOERROR) return false;
    for (DWORD i = 0; i < chunk.cksize; ++i) {
        if (info.pchNext == info.pchEndRead) {
            const bool advanced = mmioAdvance(file, &info, MMIO_READ) == MMSYSERR_NOERROR;
            if (!advanced || info.pchNext == info.pchEndRead) return false;
        }
        samples[i] = static_cast<uint8_t>(*info.pchNext++);
    }
    mmioSetInfo(file, &info, 0);
    size = chunk.cksize;
    return true;
}

// The format's real tag: the extensible format names it in the first two bytes of its
// sub-format GUID, after two 16-bit fields and the 32-bit channel mask.
WORD TagOf(const WAVEFORMATEX& format) {
    if (format.wFormatTag != WAVE_FORMAT_EXTENSIBLE) return format.wFormatTag;
    if (format.cbSize < 22) return 0;
    WORD tag = 0;
    std::memcpy(&tag, reinterpret_cast<const uint8_t*>(&format) + sizeof(WAVEFORMATEX) + 6, 2);
    return tag;
}

// One sample of the source as a value from -1 to 1.
double SampleAt(const uint8_t* p, WORD tag, WORD bits) {
    if (tag == WAVE_FORMAT_IEEE_FLOAT) {
        float value = 0;
        std::memcpy(&value, p, 4);
        return std::isfinite(value) ? value : 0.0;
    }
    int64_t value = 0;
    for (WORD i = 0; i < bits / 8; ++i)
        value |= int64_t{p[i]} << (8 * i);
    value <<= 64 - bits;  // sign from the top byte
    return double(value) / 9223372036854775808.0;
}

// The samples as 16-bit PCM in a new block; null when no block can be had.
uint8_t* SixteenBits(const uint8_t* samples, uint32_t count, WORD tag, WORD bits) {
    auto* converted = static_cast<uint8_t*>(win::GlobalAlloc(win::GMEM_FIXED, size_t{count} * 2));
    if (converted == nullptr) return nullptr;
    for (uint32_t i = 0; i < count; ++i) {
        const double value = SampleAt(samples + size_t{i} * (bits / 8u), tag, bits);
        const auto sample = int16_t(std::lround(std::clamp(value, -1.0, 1.0) * 32767));
        std::memcpy(converted + size_t{i} * 2, &sample, 2);
    }
    return converted;
}

// A plain PCM header for the source's channels and rate at the given depth.
WAVEFORMATEX* PlainFormat(const WAVEFORMATEX& from, WORD bits) {
    auto* pcm = static_cast<WAVEFORMATEX*>(win::GlobalAlloc(win::GMEM_FIXED, sizeof(WAVEFORMATEX)));
    if (pcm == nullptr) return nullptr;
    const WORD align = WORD(from.nChannels * bits / 8);
    *pcm = WAVEFORMATEX{{WAVE_FORMAT_PCM, from.nChannels, from.nSamplesPerSec,
                         from.nSamplesPerSec * align, align, bits},
                        0};
    return pcm;
}

}  // namespace

int32_t ReadWave(const char* path, WAVEFORMATEX** format, uint8_t** samples, uint32_t* size) {
    *format = nullptr;
    *samples = nullptr;
    *size = 0;
    HMMIO file = mmioOpen(path, nullptr, MMIO_ALLOCBUF | MMIO_READ);
    if (file == nullptr) return 1;
    MMCKINFO riff{};
    WAVEFORMATEX* formatBlock = ReadFormat(file, riff);
    uint8_t* sampleBlock = nullptr;
    uint32_t bytes = 0;
    const bool read = formatBlock != nullptr && ReadSamples(file, riff, sampleBlock, bytes);
    mmioClose(file, 0);
    if (!read) {
        win::GlobalFree(formatBlock);
        win::GlobalFree(sampleBlock);
        return 1;
    }
    *format = formatBlock;
    *samples = sampleBlock;
    *size = bytes;
    return 0;
}

int32_t ReadWaveImage(const uint8_t* image, size_t imageSize, WAVEFORMATEX** format,
                      uint8_t** samples, uint32_t* size) {
    constexpr size_t kFormatOffset = 20, kSizeOffset = 40, kSamplesOffset = 44;
    *format = nullptr;
    *samples = nullptr;
    *size = 0;
    if (imageSize < kSamplesOffset) return 1;
    uint32_t declared = 0;
    std::memcpy(&declared, image + kSizeOffset, 4);
    const auto bytes = uint32_t(std::min<size_t>(declared, imageSize - kSamplesOffset));
    auto* formatBlock =
        static_cast<WAVEFORMATEX*>(win::GlobalAlloc(win::GMEM_FIXED, sizeof(WAVEFORMATEX)));
    // One byte at least: an empty block is still a block.
    auto* sampleBlock =
        static_cast<uint8_t*>(win::GlobalAlloc(win::GMEM_FIXED, std::max<size_t>(bytes, 1)));
    if (formatBlock == nullptr || sampleBlock == nullptr) {
        win::GlobalFree(formatBlock);
        win::GlobalFree(sampleBlock);
        return 1;
    }
    *formatBlock = WAVEFORMATEX{};
    std::memcpy(formatBlock, image + kFormatOffset, sizeof(PCMWAVEFORMAT));
    std::memcpy(sampleBlock, image + kSamplesOffset, bytes);
    *format = formatBlock;
    *samples = sampleBlock;
    *size = bytes;
    return 0;
}

bool MakePlayable(WAVEFORMATEX** format, uint8_t** samples, uint32_t* size) {
    const WAVEFORMATEX& from = **format;
    const WORD tag = TagOf(from), bits = from.wBitsPerSample;
    if (from.nChannels < 1 || from.nChannels > 2) return false;
    // 8- and 16-bit samples in the extensible format only lose that header.
    const bool asTheyAre = tag == WAVE_FORMAT_PCM && (bits == 8 || bits == 16);
    if (asTheyAre && from.wFormatTag == WAVE_FORMAT_PCM) return true;
    const bool convertible = asTheyAre || (tag == WAVE_FORMAT_PCM && (bits == 24 || bits == 32)) ||
                             (tag == WAVE_FORMAT_IEEE_FLOAT && bits == 32);
    if (!convertible || from.nBlockAlign != from.nChannels * bits / 8) return false;
    const uint32_t count = *size / (bits / 8u);
    uint8_t* converted = asTheyAre ? *samples : SixteenBits(*samples, count, tag, bits);
    WAVEFORMATEX* pcm = converted == nullptr ? nullptr : PlainFormat(from, asTheyAre ? bits : 16);
    if (pcm == nullptr) {
        if (converted != *samples) win::GlobalFree(converted);
        return false;
    }
    win::GlobalFree(*format);
    *format = pcm;
    if (converted == *samples) return true;
    win::GlobalFree(*samples);
    *samples = converted;
    *size = count * 2;
    return true;
}

}  // namespace ds
