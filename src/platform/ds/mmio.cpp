#include "platform/ds/mmio.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace mmio {

struct File {
    std::FILE* stream = nullptr;
    std::vector<char> buffer;
    int64_t bufferOffset = 0;  // file offset of buffer[0]
    size_t next = 0;           // the next byte to read
    size_t end = 0;            // one past the last valid byte
    int64_t size = 0;
    bool readError = false;

    int64_t Position() const { return bufferOffset + static_cast<int64_t>(next); }

    void Fill(int64_t at) {
        bufferOffset = at;
        next = end = 0;
        if (std::fseek(stream, static_cast<long>(at), SEEK_SET) != 0) return;
        end = std::fread(buffer.data(), 1, buffer.size(), stream);
        readError = readError || std::ferror(stream) != 0;
    }
};

}  // namespace mmio

namespace {

// LONG is 32 bits here: offsets beyond it cannot be sought or handed back.
constexpr int64_t kLongMax = std::numeric_limits<LONG>::max();

bool ReadExactly(HMMIO file, void* target, LONG bytes) {
    return mmioRead(file, static_cast<char*>(target), bytes) == bytes;
}

DWORD ReadDword(HMMIO file, bool& ok) {
    BYTE bytes[4] = {};
    ok = ok && ReadExactly(file, bytes, 4);
    return static_cast<DWORD>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16)) |
           (static_cast<DWORD>(bytes[3]) << 24);
}

bool IsForm(FOURCC id) {
    return id == FOURCC_RIFF || id == FOURCC_LIST;
}

bool Matches(const MMCKINFO& found, const MMCKINFO& wanted, UINT flags) {
    if (flags & MMIO_FINDCHUNK) return found.ckid == wanted.ckid;
    if (flags & MMIO_FINDRIFF) return found.ckid == FOURCC_RIFF && found.fccType == wanted.fccType;
    if (flags & MMIO_FINDLIST) return found.ckid == FOURCC_LIST && found.fccType == wanted.fccType;
    return true;
}

int64_t ChunkEnd(const MMCKINFO& chunk) {
    return int64_t{chunk.dwDataOffset} + chunk.cksize + (chunk.cksize & 1);
}

void FillInfo(const mmio::File& file, MMIOINFO* info) {
    *info = MMIOINFO{};
    info->cchBuffer = static_cast<LONG>(file.buffer.size());
    info->pchBuffer = const_cast<char*>(file.buffer.data());
    info->pchNext = info->pchBuffer + file.next;
    info->pchEndRead = info->pchBuffer + file.end;
    info->lBufOffset = static_cast<LONG>(file.bufferOffset);
    info->lDiskOffset = static_cast<LONG>(file.bufferOffset + static_cast<int64_t>(file.end));
}

// The caller's next pointer, as an index into the buffer, or -1 when it points elsewhere.
int64_t NextIndex(const mmio::File& file, const MMIOINFO* info) {
    if (info == nullptr) return -1;
    const char* start = file.buffer.data();
    if (info->pchNext < start || info->pchNext > start + file.end) return -1;
    return info->pchNext - start;
}

}  // namespace

HMMIO mmioOpen(const char* path, MMIOINFO* info, DWORD flags) {
    if (path == nullptr || (flags & 0x3) != MMIO_READ) return nullptr;
    std::FILE* stream = std::fopen(path, "rb");
    if (stream == nullptr) {
        if (info != nullptr) info->wErrorRet = 257;  // MMIOERR_FILENOTFOUND
        return nullptr;
    }
    auto* file = new mmio::File;
    file->stream = stream;
    file->buffer.resize(MMIO_DEFAULTBUFFER);
    std::fseek(stream, 0, SEEK_END);
    file->size = std::max(0L, std::ftell(stream));
    file->Fill(0);
    return file;
}

MMRESULT mmioClose(HMMIO file, UINT) {
    if (file == nullptr) return MMSYSERR_INVALPARAM;
    std::fclose(file->stream);
    delete file;
    return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO file, char* buffer, LONG bytes) {
    if (file == nullptr || buffer == nullptr || bytes < 0) return -1;
    LONG copied = 0;
    while (copied < bytes) {
        if (file->next == file->end) {
            file->Fill(file->Position());
            if (file->end == 0) break;
        }
        const size_t chunk = std::min(file->end - file->next, static_cast<size_t>(bytes - copied));
        std::memcpy(buffer + copied, file->buffer.data() + file->next, chunk);
        file->next += chunk;
        copied += static_cast<LONG>(chunk);
    }
    return file->readError ? -1 : copied;
}

LONG mmioSeek(HMMIO file, LONG offset, int origin) {
    if (file == nullptr) return -1;
    int64_t base = 0;
    if (origin == SEEK_CUR) base = file->Position();
    if (origin == SEEK_END) base = file->size;
    const int64_t target = base + offset;
    if (target < 0 || target > kLongMax) return -1;
    const int64_t inBuffer = target - file->bufferOffset;
    if (inBuffer >= 0 && inBuffer <= static_cast<int64_t>(file->end)) {
        file->next = static_cast<size_t>(inBuffer);
    } else {
        file->bufferOffset = target;  // an empty buffer there; the next read fills it
        file->next = file->end = 0;
    }
    return static_cast<LONG>(target);
}

MMRESULT mmioDescend(HMMIO file, MMCKINFO* chunk, const MMCKINFO* parent, UINT flags) {
    if (file == nullptr || chunk == nullptr) return MMSYSERR_INVALPARAM;
    const int64_t limit = parent != nullptr ? ChunkEnd(*parent) : file->size;
    while (file->Position() + 8 <= limit) {
        MMCKINFO found{};
        bool ok = true;
        found.ckid = ReadDword(file, ok);
        found.cksize = ReadDword(file, ok);
        const int64_t dataOffset = file->Position();
        if (ok && IsForm(found.ckid)) found.fccType = ReadDword(file, ok);
        if (!ok || dataOffset > kLongMax) return MMIOERR_CHUNKNOTFOUND;
        found.dwDataOffset = static_cast<DWORD>(dataOffset);
        if (Matches(found, *chunk, flags)) {
            *chunk = found;
            return MMSYSERR_NOERROR;
        }
        if (ChunkEnd(found) > kLongMax ||
            mmioSeek(file, static_cast<LONG>(ChunkEnd(found)), SEEK_SET) == -1) {
            return MMIOERR_CHUNKNOTFOUND;
        }
    }
    return MMIOERR_CHUNKNOTFOUND;
}

MMRESULT mmioAscend(HMMIO file, MMCKINFO* chunk, UINT) {
    if (file == nullptr || chunk == nullptr) return MMSYSERR_INVALPARAM;
    if (ChunkEnd(*chunk) > kLongMax ||
        mmioSeek(file, static_cast<LONG>(ChunkEnd(*chunk)), SEEK_SET) == -1) {
        return MMIOERR_CANNOTSEEK;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT mmioGetInfo(HMMIO file, MMIOINFO* info, UINT) {
    if (file == nullptr || info == nullptr) return MMSYSERR_INVALPARAM;
    FillInfo(*file, info);
    return MMSYSERR_NOERROR;
}

MMRESULT mmioAdvance(HMMIO file, MMIOINFO* info, UINT flags) {
    if (file == nullptr || flags != MMIO_READ) return MMSYSERR_INVALPARAM;
    const int64_t next = NextIndex(*file, info);
    if (next < 0) return MMSYSERR_INVALPARAM;
    file->Fill(file->bufferOffset + next);
    FillInfo(*file, info);
    return file->readError ? MMIOERR_CANNOTREAD : MMSYSERR_NOERROR;
}

MMRESULT mmioSetInfo(HMMIO file, const MMIOINFO* info, UINT) {
    if (file == nullptr) return MMSYSERR_INVALPARAM;
    const int64_t next = NextIndex(*file, info);
    if (next < 0) return MMSYSERR_INVALPARAM;
    file->next = static_cast<size_t>(next);
    return MMSYSERR_NOERROR;
}
