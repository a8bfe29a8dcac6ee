#include "platform/ds/ds.h"

#include <algorithm>
#include <cmath>

namespace {

// Hundredths of a decibel to an amplitude factor; the bottom of the range is silence.
float Amplitude(LONG hundredthsOfDb) {
    if (hundredthsOfDb <= DSBVOLUME_MIN) return 0.0f;
    return static_cast<float>(std::pow(10.0, hundredthsOfDb / 2000.0));
}

bool IsOwnRegion(const std::vector<uint8_t>& data, const void* region, DWORD bytes) {
    const auto* start = static_cast<const uint8_t*>(region);
    return start >= data.data() && start + bytes <= data.data() + data.size();
}

}  // namespace

IDirectSoundBuffer::IDirectSoundBuffer(DWORD flags, const WAVEFORMATEX* format, DWORD bytes)
    : flags_(flags) {
    if (format == nullptr) return;
    format_ = *format;
    format_.cbSize = 0;
    data_.assign(bytes, format_.wBitsPerSample == 8 ? 0x80 : 0);
    frames_ = bytes / format_.nBlockAlign;
    frequency_ = format_.nSamplesPerSec;
    mixer::Attach(this);
}

IDirectSoundBuffer::~IDirectSoundBuffer() {
    mixer::Detach(this);
}

HRESULT IDirectSoundBuffer::CheckSecondary(const DSBUFFERDESC& description) {
    const WAVEFORMATEX* format = description.lpwfxFormat;
    if (format == nullptr) return DSERR_INVALIDPARAM;
    if (format->wFormatTag != WAVE_FORMAT_PCM) return DSERR_BADFORMAT;
    const bool channelsOk = format->nChannels == 1 || format->nChannels == 2;
    const bool bitsOk = format->wBitsPerSample == 8 || format->wBitsPerSample == 16;
    if (!channelsOk || !bitsOk) return DSERR_BADFORMAT;
    if (format->nBlockAlign != format->nChannels * format->wBitsPerSample / 8) {
        return DSERR_INVALIDPARAM;
    }
    if (format->nSamplesPerSec < DSBFREQUENCY_MIN || format->nSamplesPerSec > DSBFREQUENCY_MAX) {
        return DSERR_INVALIDPARAM;
    }
    const DWORD bytes = description.dwBufferBytes;
    if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX || bytes < format->nBlockAlign) {
        return DSERR_INVALIDPARAM;
    }
    return DS_OK;
}

IDirectSoundBuffer* IDirectSoundBuffer::CreateSecondary(const DSBUFFERDESC& description,
                                                        HRESULT* result) {
    *result = CheckSecondary(description);
    if (*result != DS_OK) return nullptr;
    return new IDirectSoundBuffer(description.dwFlags, description.lpwfxFormat,
                                  description.dwBufferBytes);
}

ULONG IDirectSoundBuffer::AddRef() {
    return ++references_;
}

ULONG IDirectSoundBuffer::Release() {
    if (--references_ > 0) return references_;
    if (owner_ != nullptr) std::erase(owner_->buffers_, this);
    delete this;
    return 0;
}

// The device is gone: the buffer falls silent for good.
void IDirectSoundBuffer::Orphan() {
    mixer::Detach(this);
    mixer::Guard guard(mixer::Lock());
    playing_ = false;
    owner_ = nullptr;
}

HRESULT IDirectSoundBuffer::Lock(DWORD offset, DWORD bytes, void** region1, DWORD* bytes1,
                                 void** region2, DWORD* bytes2, DWORD flags) {
    if (data_.empty()) return DSERR_PRIOLEVELNEEDED;
    const auto size = static_cast<DWORD>(data_.size());
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
    if (region1 == nullptr || bytes1 == nullptr || offset >= size || bytes == 0 || bytes > size) {
        return DSERR_INVALIDPARAM;
    }
    const DWORD first = std::min(bytes, size - offset);
    const DWORD second = bytes - first;
    if (second > 0 && (region2 == nullptr || bytes2 == nullptr)) return DSERR_INVALIDPARAM;
    *region1 = data_.data() + offset;
    *bytes1 = first;
    if (region2 != nullptr) *region2 = second > 0 ? data_.data() : nullptr;
    if (bytes2 != nullptr) *bytes2 = second;
    mixer::Guard guard(mixer::Lock());
    ++locks_;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Unlock(void* region1, DWORD bytes1, void* region2, DWORD bytes2) {
    if (!IsOwnRegion(data_, region1, bytes1)) return DSERR_INVALIDPARAM;
    if (region2 != nullptr && !IsOwnRegion(data_, region2, bytes2)) return DSERR_INVALIDPARAM;
    mixer::Guard guard(mixer::Lock());
    if (locks_ == 0) return DSERR_INVALIDCALL;
    --locks_;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Play(DWORD, DWORD, DWORD flags) {
    if (data_.empty()) return DS_OK;  // the primary buffer plays whenever anything does
    mixer::Guard guard(mixer::Lock());
    if (position_ >= static_cast<double>(frames_)) position_ = 0;
    playing_ = true;
    looping_ = (flags & DSBPLAY_LOOPING) != 0;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Stop() {
    mixer::Guard guard(mixer::Lock());
    playing_ = false;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::SetCurrentPosition(DWORD bytePosition) {
    if (data_.empty()) return DSERR_INVALIDCALL;
    if (bytePosition > data_.size()) return DSERR_INVALIDPARAM;
    mixer::Guard guard(mixer::Lock());
    position_ = static_cast<double>(bytePosition / format_.nBlockAlign);
    return DS_OK;
}

HRESULT IDirectSoundBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) {
    mixer::Guard guard(mixer::Lock());
    const auto bytes = static_cast<DWORD>(static_cast<int64_t>(position_) * format_.nBlockAlign);
    if (playCursor != nullptr) *playCursor = bytes;
    if (writeCursor != nullptr) *writeCursor = bytes;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::GetStatus(DWORD* status) {
    if (status == nullptr) return DSERR_INVALIDPARAM;
    mixer::Guard guard(mixer::Lock());
    *status = playing_ ? (DSBSTATUS_PLAYING | (looping_ ? DSBSTATUS_LOOPING : 0)) : 0;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::SetGainControl(LONG& setting, LONG value, DWORD flag, LONG low,
                                           LONG high) {
    if (!(flags_ & flag)) return DSERR_CONTROLUNAVAIL;
    if (value < low || value > high) return DSERR_INVALIDPARAM;
    mixer::Guard guard(mixer::Lock());
    setting = value;
    UpdateGains();
    return DS_OK;
}

HRESULT IDirectSoundBuffer::GetControl(LONG setting, LONG* value, DWORD flag) const {
    if (!(flags_ & flag)) return DSERR_CONTROLUNAVAIL;
    if (value == nullptr) return DSERR_INVALIDPARAM;
    *value = setting;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::SetVolume(LONG volume) {
    return SetGainControl(volume_, volume, DSBCAPS_CTRLVOLUME, DSBVOLUME_MIN, DSBVOLUME_MAX);
}

HRESULT IDirectSoundBuffer::GetVolume(LONG* volume) {
    return GetControl(volume_, volume, DSBCAPS_CTRLVOLUME);
}

HRESULT IDirectSoundBuffer::SetPan(LONG pan) {
    return SetGainControl(pan_, pan, DSBCAPS_CTRLPAN, DSBPAN_LEFT, DSBPAN_RIGHT);
}

HRESULT IDirectSoundBuffer::GetPan(LONG* pan) {
    return GetControl(pan_, pan, DSBCAPS_CTRLPAN);
}

HRESULT IDirectSoundBuffer::SetFrequency(DWORD frequency) {
    if (!(flags_ & DSBCAPS_CTRLFREQUENCY) || data_.empty()) return DSERR_CONTROLUNAVAIL;
    if (frequency == DSBFREQUENCY_ORIGINAL) frequency = format_.nSamplesPerSec;
    if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
    mixer::Guard guard(mixer::Lock());
    frequency_ = frequency;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::GetFrequency(DWORD* frequency) {
    if (!(flags_ & DSBCAPS_CTRLFREQUENCY) || data_.empty()) return DSERR_CONTROLUNAVAIL;
    if (frequency == nullptr) return DSERR_INVALIDPARAM;
    *frequency = frequency_;
    return DS_OK;
}

// The other side is attenuated by the pan; the volume attenuates both.
void IDirectSoundBuffer::UpdateGains() {
    leftGain_ = Amplitude(volume_ - std::max(pan_, 0));
    rightGain_ = Amplitude(volume_ + std::min(pan_, 0));
}

float IDirectSoundBuffer::SampleAt(int64_t frame, int channel) const {
    const size_t sample =
        static_cast<size_t>(frame) * format_.nChannels + static_cast<size_t>(channel);
    if (format_.wBitsPerSample == 8) return (data_[sample] - 128) / 128.0f;
    const auto value = static_cast<int16_t>(data_[2 * sample] | (data_[2 * sample + 1] << 8));
    return value / 32768.0f;
}

// At the end a looping buffer wraps round and any other stops, back at its start. False when
// the buffer has stopped.
bool IDirectSoundBuffer::KeepWithinBuffer() {
    const auto end = static_cast<double>(frames_);
    if (position_ < end) return true;
    if (looping_) {
        position_ = std::fmod(position_, end);
        return true;
    }
    playing_ = false;
    position_ = 0;
    return false;
}

// Linear interpolation between neighbouring frames, stepping by the buffer's frequency.
void IDirectSoundBuffer::AddTo(float* stereoFrames, int frameCount) {
    if (!playing_ || locks_ > 0 || frames_ == 0) return;
    const double step = static_cast<double>(frequency_) / mixer::kRate;
    const int rightChannel = format_.nChannels == 2 ? 1 : 0;
    for (int i = 0; i < frameCount && KeepWithinBuffer(); ++i) {
        const auto frame = static_cast<int64_t>(position_);
        const int64_t next = frame + 1 < frames_ ? frame + 1 : (looping_ ? 0 : frame);
        const auto fraction = static_cast<float>(position_ - static_cast<double>(frame));
        for (int channel = 0; channel < 2; ++channel) {
            const int source = channel == 0 ? 0 : rightChannel;
            const float a = SampleAt(frame, source);
            const float value = a + (SampleAt(next, source) - a) * fraction;
            stereoFrames[2 * i + channel] += value * (channel == 0 ? leftGain_ : rightGain_);
        }
        position_ += step;
    }
    // A sound that has just played its last frame stops now, not at the next call.
    KeepWithinBuffer();
}

ULONG IDirectSound::AddRef() {
    return ++references_;
}

ULONG IDirectSound::Release() {
    if (--references_ > 0) return references_;
    for (IDirectSoundBuffer* buffer : buffers_)
        buffer->Orphan();
    delete this;
    mixer::ReleaseOutput();
    return 0;
}

HRESULT IDirectSound::SetCooperativeLevel(HWND, DWORD level) {
    return level >= DSSCL_NORMAL && level <= DSSCL_WRITEPRIMARY ? DS_OK : DSERR_INVALIDPARAM;
}

HRESULT IDirectSound::CreateSoundBuffer(const DSBUFFERDESC* description,
                                        IDirectSoundBuffer** buffer, void* outer) {
    if (outer != nullptr) return DSERR_NOAGGREGATION;
    if (description == nullptr || buffer == nullptr) return DSERR_INVALIDPARAM;
    if (description->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    HRESULT result = DS_OK;
    if (description->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        if (description->dwBufferBytes != 0 || description->lpwfxFormat != nullptr) {
            return DSERR_INVALIDPARAM;
        }
        *buffer = new IDirectSoundBuffer(description->dwFlags, nullptr, 0);
    } else {
        *buffer = IDirectSoundBuffer::CreateSecondary(*description, &result);
        if (*buffer == nullptr) return result;
    }
    (*buffer)->owner_ = this;
    buffers_.push_back(*buffer);
    return DS_OK;
}

HRESULT DirectSoundCreate(const void* deviceId, IDirectSound** directSound, void* outer) {
    if (directSound == nullptr) return DSERR_INVALIDPARAM;
    *directSound = nullptr;
    if (outer != nullptr) return DSERR_NOAGGREGATION;
    if (deviceId != nullptr || !mixer::AcquireOutput()) return DSERR_NODRIVER;
    *directSound = new IDirectSound();
    return DS_OK;
}
