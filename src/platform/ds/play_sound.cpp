// sndPlaySound: a WAVE file played to its end through the mixer.
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "platform/ds/ds.h"
#include "platform/win/win.h"

namespace {

struct Wave {
    WAVEFORMATEX format{};
    std::span<const uint8_t> samples;
};

DWORD LittleEndian32(const uint8_t* bytes) {
    return static_cast<DWORD>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16)) |
           (static_cast<DWORD>(bytes[3]) << 24);
}

// The "fmt " and "data" chunks of a RIFF WAVE image; a data chunk that claims more than the
// file holds is cut to what is there.
std::optional<Wave> ParseWave(const std::vector<uint8_t>& file) {
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    Wave wave;
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= file.size();) {
        const DWORD size = LittleEndian32(file.data() + at + 4);
        const size_t body = at + 8;
        const size_t available = std::min<size_t>(size, file.size() - body);
        if (std::memcmp(file.data() + at, "fmt ", 4) == 0 && available >= sizeof(PCMWAVEFORMAT)) {
            std::memcpy(&wave.format, file.data() + body, sizeof(PCMWAVEFORMAT));
            haveFormat = true;
        } else if (std::memcmp(file.data() + at, "data", 4) == 0 && haveFormat) {
            wave.samples = std::span(file.data() + body, available);
            return wave;
        }
        at = body + available + (size & 1);
    }
    return std::nullopt;
}

std::vector<uint8_t> ReadWholeFile(const char* path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return {};
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(stream), {});
}

IDirectSoundBuffer* MakeBuffer(const Wave& wave) {
    const DSBUFFERDESC description{sizeof(DSBUFFERDESC), DSBCAPS_STATIC,
                                   static_cast<DWORD>(wave.samples.size()), 0, &wave.format};
    HRESULT result = DS_OK;
    IDirectSoundBuffer* buffer = IDirectSoundBuffer::CreateSecondary(description, &result);
    if (buffer == nullptr) return nullptr;
    void* region = nullptr;
    DWORD bytes = 0;
    buffer->Lock(0, 0, &region, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    std::memcpy(region, wave.samples.data(), bytes);
    buffer->Unlock(region, bytes, nullptr, 0);
    return buffer;
}

// Waits for the end, but not forever: a device that stops pulling must not hang the program.
void WaitUntilPlayed(IDirectSoundBuffer* buffer, const Wave& wave) {
    const auto length =
        std::chrono::milliseconds(1000 * static_cast<int64_t>(wave.samples.size()) /
                                  (int64_t{wave.format.nSamplesPerSec} * wave.format.nBlockAlign));
    const auto deadline = std::chrono::steady_clock::now() + length + std::chrono::seconds(2);
    DWORD status = DSBSTATUS_PLAYING;
    while ((status & DSBSTATUS_PLAYING) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        buffer->GetStatus(&status);
    }
}

}  // namespace

BOOL sndPlaySound(const char* fileName, UINT flags) {
    const std::vector<uint8_t> file =
        fileName != nullptr ? ReadWholeFile(fileName) : std::vector<uint8_t>{};
    const std::optional<Wave> wave = ParseWave(file);
    IDirectSoundBuffer* buffer = wave ? MakeBuffer(*wave) : nullptr;
    if (buffer == nullptr) {
        if (!(flags & SND_NODEFAULT)) win::MessageBeep(MB_OK);
        return FALSE;
    }
    const bool played = mixer::AcquireOutput();
    if (played) {
        buffer->Play(0, 0, 0);
        WaitUntilPlayed(buffer, *wave);
        buffer->Stop();
    }
    buffer->Release();
    if (played) mixer::ReleaseOutput();
    return played ? TRUE : FALSE;
}
