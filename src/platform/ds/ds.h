#pragma once
// Sound buffers with DirectSound's units, laws and result codes, mixed by our software mixer:
// volume in hundredths of a decibel (attenuation only), pan as the attenuation of the other
// side, frequency in hertz from 100 to 100000, and a stopped buffer keeps its position.
#include "platform/win/types.h"

#include <cstdint>
#include <vector>

#include "platform/ds/mixer.h"

using ULONG = uint32_t;

#pragma pack(push, 1)
struct PCMWAVEFORMAT {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
};
// The same 16 bytes and the count of the format's extra bytes, which follow it.
struct WAVEFORMATEX : PCMWAVEFORMAT {
    WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18 && sizeof(PCMWAVEFORMAT) == 16);

inline constexpr WORD WAVE_FORMAT_PCM = 1;

struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    const WAVEFORMATEX* lpwfxFormat;
};

inline constexpr HRESULT DS_OK = 0;
inline constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001E);
inline constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032);
inline constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046);
inline constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064);
inline constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078);
inline constexpr HRESULT DSERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110);

inline constexpr DWORD DSSCL_NORMAL = 1;
inline constexpr DWORD DSSCL_WRITEPRIMARY = 4;

inline constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x01;
inline constexpr DWORD DSBCAPS_STATIC = 0x02;
inline constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x20;
inline constexpr DWORD DSBCAPS_CTRLPAN = 0x40;
inline constexpr DWORD DSBCAPS_CTRLVOLUME = 0x80;

inline constexpr DWORD DSBPLAY_LOOPING = 0x01;
inline constexpr DWORD DSBSTATUS_PLAYING = 0x01;
inline constexpr DWORD DSBSTATUS_LOOPING = 0x04;
inline constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x02;

inline constexpr LONG DSBVOLUME_MIN = -10000;
inline constexpr LONG DSBVOLUME_MAX = 0;
inline constexpr LONG DSBPAN_LEFT = -10000;
inline constexpr LONG DSBPAN_RIGHT = 10000;
inline constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
inline constexpr DWORD DSBFREQUENCY_MIN = 100;
inline constexpr DWORD DSBFREQUENCY_MAX = 100000;
inline constexpr DWORD DSBSIZE_MIN = 4;
inline constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

class IDirectSound;

// One buffer. A secondary buffer holds PCM samples (8 or 16 bits, mono or stereo) and is mixed
// while playing; the primary buffer stands for the device's output and holds nothing.
class IDirectSoundBuffer final : public mixer::Source {
  public:
    ULONG AddRef();
    ULONG Release();

    HRESULT Lock(DWORD offset, DWORD bytes, void** region1, DWORD* bytes1, void** region2,
                 DWORD* bytes2, DWORD flags);
    HRESULT Unlock(void* region1, DWORD bytes1, void* region2, DWORD bytes2);
    // Plays from the current position, once or looping; the flags of the latest call win.
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags);
    // Keeps the position, so that the next Play resumes there.
    HRESULT Stop();
    HRESULT SetCurrentPosition(DWORD bytePosition);
    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor);
    HRESULT GetStatus(DWORD* status);
    HRESULT SetVolume(LONG volume);
    HRESULT GetVolume(LONG* volume);
    HRESULT SetPan(LONG pan);
    HRESULT GetPan(LONG* pan);
    // 0 (DSBFREQUENCY_ORIGINAL) goes back to the rate of the buffer's format.
    HRESULT SetFrequency(DWORD frequency);
    HRESULT GetFrequency(DWORD* frequency);

    void AddTo(float* stereoFrames, int frameCount) override;

    // A secondary buffer without a device object (sndPlaySound's, a benchmark's); null when the
    // format or size is refused.
    static IDirectSoundBuffer* CreateSecondary(const DSBUFFERDESC& description, HRESULT* result);

  private:
    friend class IDirectSound;
    IDirectSoundBuffer(DWORD flags, const WAVEFORMATEX* format, DWORD bytes);
    ~IDirectSoundBuffer() override;
    static HRESULT CheckSecondary(const DSBUFFERDESC& description);
    HRESULT SetGainControl(LONG& setting, LONG value, DWORD flag, LONG low, LONG high);
    HRESULT GetControl(LONG setting, LONG* value, DWORD flag) const;
    void UpdateGains();
    bool KeepWithinBuffer();
    float SampleAt(int64_t frame, int channel) const;
    void Orphan();

    ULONG references_ = 1;
    IDirectSound* owner_ = nullptr;
    DWORD flags_;
    WAVEFORMATEX format_{};
    std::vector<uint8_t> data_;
    int64_t frames_ = 0;
    // Everything below is shared with the audio thread and changes under the mixer's lock.
    double position_ = 0;  // in frames of the format
    bool playing_ = false;
    bool looping_ = false;
    int locks_ = 0;
    LONG volume_ = 0;
    LONG pan_ = 0;
    DWORD frequency_ = 0;
    float leftGain_ = 1, rightGain_ = 1;
};

class IDirectSound final {
  public:
    ULONG AddRef();
    // The last release stops every buffer made from the object (each stays valid until its own
    // release) and gives the audio device back.
    ULONG Release();
    HRESULT SetCooperativeLevel(HWND window, DWORD level);
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer,
                              void* outer);

  private:
    friend HRESULT DirectSoundCreate(const void*, IDirectSound**, void*);
    friend class IDirectSoundBuffer;
    IDirectSound() = default;
    ULONG references_ = 1;
    std::vector<IDirectSoundBuffer*> buffers_;
};

// Only the default device exists (a null device id). Fails with DSERR_NODRIVER when no audio
// device can be opened.
HRESULT DirectSoundCreate(const void* deviceId, IDirectSound** directSound, void* outer);

// Plays a WAVE file through the mixer and returns when it has finished; a file that cannot be
// played plays the default sound instead (unless SND_NODEFAULT). TRUE when the file played.
inline constexpr UINT SND_SYNC = 0x0000;
inline constexpr UINT SND_NODEFAULT = 0x0002;
BOOL sndPlaySound(const char* fileName, UINT flags);
