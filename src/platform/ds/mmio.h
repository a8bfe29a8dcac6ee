#pragma once
// Buffered RIFF file reading as the WAVE reader expects it: open, descend into and ascend out of
// chunks, read, seek, and direct access to the I/O buffer (get info, advance, set info).
#include "platform/win/types.h"

#include <cstdint>

namespace mmio {
struct File;
}
using HMMIO = mmio::File*;
using FOURCC = DWORD;
using MMRESULT = UINT;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<FOURCC>(static_cast<BYTE>(a) | (static_cast<BYTE>(b) << 8) |
                               (static_cast<BYTE>(c) << 16) |
                               (static_cast<DWORD>(static_cast<BYTE>(d)) << 24));
}
inline constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
inline constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');

struct MMCKINFO {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;
    DWORD dwDataOffset;
    DWORD dwFlags;
};

struct MMIOINFO {
    DWORD dwFlags;
    UINT wErrorRet;
    LONG cchBuffer;
    char* pchBuffer;
    char* pchNext;     // the next byte to read
    char* pchEndRead;  // one past the last valid byte
    LONG lBufOffset;   // file offset of the buffer's first byte
    LONG lDiskOffset;
};

inline constexpr DWORD MMIO_READ = 0x00000000;
inline constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
inline constexpr UINT MMIO_FINDCHUNK = 0x0010;
inline constexpr UINT MMIO_FINDRIFF = 0x0020;
inline constexpr UINT MMIO_FINDLIST = 0x0040;
inline constexpr LONG MMIO_DEFAULTBUFFER = 8192;

inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MMIOERR_CANNOTREAD = 261;
inline constexpr MMRESULT MMIOERR_CANNOTSEEK = 263;
inline constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;

// Only reading. Null when the file cannot be opened.
HMMIO mmioOpen(const char* path, MMIOINFO* info, DWORD flags);
MMRESULT mmioClose(HMMIO file, UINT flags);
// Bytes read (fewer at the end of the file), or -1.
LONG mmioRead(HMMIO file, char* buffer, LONG bytes);
// The new offset from the start of the file, or -1. Origins as fseek's.
LONG mmioSeek(HMMIO file, LONG offset, int origin);
// Without flags: the chunk at the current position. With MMIO_FINDCHUNK (or FINDRIFF, FINDLIST)
// the first chunk of that identifier (and form type) inside the parent, or inside the file.
MMRESULT mmioDescend(HMMIO file, MMCKINFO* chunk, const MMCKINFO* parent, UINT flags);
// To the end of the chunk (and its pad byte).
MMRESULT mmioAscend(HMMIO file, MMCKINFO* chunk, UINT flags);
MMRESULT mmioGetInfo(HMMIO file, MMIOINFO* info, UINT flags);
// Takes the position from the caller's pchNext and refills the buffer from there; at the end of
// the file the buffer comes back empty (pchNext equals pchEndRead).
MMRESULT mmioAdvance(HMMIO file, MMIOINFO* info, UINT flags);
MMRESULT mmioSetInfo(HMMIO file, const MMIOINFO* info, UINT flags);
