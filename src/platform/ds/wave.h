#pragma once
// The one WAVE file reader, over the buffered RIFF functions, for sound objects and
// sndPlaySound alike, and the conversion of sample formats the mixer cannot take.
#include "platform/ds/ds.h"

namespace ds {

inline constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 3;
inline constexpr WORD WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

// 0 on success with a format block and a sample block (both GlobalAlloc'ed) and the sample
// byte count; 1 on failure with none. A data chunk larger than the rest of the file is a
// failure found before anything is allocated for it.
int32_t ReadWave(const char* path, WAVEFORMATEX** format, uint8_t** samples, uint32_t* size);

// A resource's WAVE image, laid out as a canonical PCM WAVE file: the format at byte 20, the
// data size at 40, the samples from 44. The same blocks and results as ReadWave; an image
// shorter than its header is a failure, a data size beyond its end is cut to it.
int32_t ReadWaveImage(const uint8_t* image, size_t imageSize, WAVEFORMATEX** format,
                      uint8_t** samples, uint32_t* size);

// 8- and 16-bit PCM as they are (from the extensible format under a plain PCM header); 24- and
// 32-bit PCM and 32-bit float (also in the extensible format) of one or two channels turned into
// 16-bit PCM, replacing both blocks; false for what cannot be played.
bool MakePlayable(WAVEFORMATEX** format, uint8_t** samples, uint32_t* size);

}  // namespace ds
